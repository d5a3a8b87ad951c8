"""The labels, relationship types and endpoint pairs an importer finds, gathered in whatever
order its source lists them and made into one ``Schema`` at the end."""
from __future__ import annotations

from collections.abc import Iterable

from _qarvex import Schema

_Entry = tuple[str, str, list[str]]


class SchemaDraft:
    """A schema being gathered. A relationship type enters the schema only with at least one
    endpoint pair; the labels at its ends enter it as node labels even when the source lists
    no properties for them."""

    def __init__(self) -> None:
        self._labels: dict[str, set[str]] = {}
        self._pairs: dict[str, dict[tuple[str, str], set[str]]] = {}
        self._type_keys: dict[str, set[str]] = {}

    def add_label(self, label: str, keys: Iterable[str] = ()) -> None:
        self._labels.setdefault(label, set()).update(keys)

    def add_pair(self, rel_type: str, source: str, target: str, keys: Iterable[str] = ()) -> None:
        """One endpoint pair of a type; a pair added again keeps its first place."""
        pairs = self._pairs.setdefault(rel_type, {})
        pairs.setdefault((source, target), set()).update(keys)

    def add_type_keys(self, rel_type: str, keys: Iterable[str]) -> None:
        """Keys the source gives for the type as a whole: every pair of the type has them."""
        self._type_keys.setdefault(rel_type, set()).update(keys)

    def has_pairs(self, rel_type: str) -> bool:
        return bool(self._pairs.get(rel_type))

    def schema(self) -> Schema:
        nodes = {label: sorted(keys) for label, keys in self._labels.items()}
        relationships: dict[str, _Entry | list[_Entry]] = {}
        for rel_type, pairs in self._pairs.items():
            type_keys = self._type_keys.get(rel_type, set())
            relationships[rel_type] = [(source, target, sorted(keys | type_keys))
                                       for (source, target), keys in pairs.items()]
            for source, target in pairs:
                nodes.setdefault(source, [])
                nodes.setdefault(target, [])
        return Schema(nodes, relationships)
