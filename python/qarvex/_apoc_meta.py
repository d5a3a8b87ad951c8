"""The schema of the map that ``CALL apoc.meta.schema() YIELD value`` returns: one entry for
each label and each relationship type, keyed by its name.

    {"Person": {"type": "node", "count": 3, "labels": [],
                "properties": {"name": {"type": "STRING", ...}},
                "relationships": {"ACTED_IN": {"direction": "out", "labels": ["Movie"],
                                               "properties": {...}, ...}}},
     "Movie": {"type": "node", ..., "relationships": {"ACTED_IN": {"direction": "in",
                                                                   "labels": ["Person"], ...}}},
     "ACTED_IN": {"type": "relationship", "count": 2, "properties": {"roles": {...}}}}
"""
from __future__ import annotations

from collections.abc import Mapping

from _qarvex import Schema

from ._draft import SchemaDraft
from ._shape import Member

# "out": the entry's label is the source and the listed labels the targets; "in": the reverse.
_DIRECTIONS = ("out", "in")


def schema_from_apoc(meta: Mapping[str, object]) -> Schema:
    """The schema of an ``apoc.meta.schema()`` map. A node entry's relationships give the
    endpoint pairs (an outgoing entry and the matching incoming one give their pair once);
    the properties of a relationship entry hold for each pair of its type. Property types and
    counts are ignored.

    Raises ``ValueError`` naming the path of the first member that does not fit the form (as
    ``Person.relationships.ACTED_IN.direction: expected 'out' or 'in', got 'both'``), or of a
    relationship entry whose type no node entry has."""
    draft = SchemaDraft()
    relationship_entries: list[tuple[str, Member]] = []
    for name, entry in Member(meta).entries():
        kind = entry.field("type")
        if kind.text() == "node":
            draft.add_label(name, _keys(entry))
            _add_pairs(draft, name, entry.field("relationships"))
        elif kind.text() == "relationship":
            relationship_entries.append((name, entry))
        else:
            kind.fail(f"expected 'node' or 'relationship', got {kind.value!r}")
    for rel_type, entry in relationship_entries:
        keys = _keys(entry)
        if not draft.has_pairs(rel_type):
            entry.fail("no node entry has a relationship of this type")
        draft.add_type_keys(rel_type, keys)
    return draft.schema()


def _keys(entry: Member) -> list[str]:
    return [key for key, _ in entry.field("properties").entries()]


def _add_pairs(draft: SchemaDraft, label: str, relationships: Member) -> None:
    for rel_type, link in relationships.entries():
        direction = link.field("direction")
        if direction.text() not in _DIRECTIONS:
            direction.fail(f"expected 'out' or 'in', got {direction.value!r}")
        for other in link.field("labels").items():
            if direction.value == "out":
                draft.add_pair(rel_type, label, other.text())
            else:
                draft.add_pair(rel_type, other.text(), label)
