"""The schema of Neo4j's structured-schema dictionary, the form that Neo4j's Python tooling for
language models exposes:

    {"node_props": {"Person": [{"property": "name", "type": "STRING"}, ...], ...},
     "rel_props": {"ACTED_IN": [{"property": "roles", "type": "LIST"}], ...},
     "relationships": [{"start": "Person", "type": "ACTED_IN", "end": "Movie"}, ...],
     "metadata": {"constraint": [...], "index": [...]}}
"""
from __future__ import annotations

from collections.abc import Mapping

from _qarvex import Schema

from ._draft import SchemaDraft
from ._shape import Member


def schema_from_neo4j(structured: Mapping[str, object]) -> Schema:
    """The schema of a structured-schema dictionary. Every ``relationships`` pattern is an
    endpoint pair of its type, and a type's ``rel_props`` hold for each of its pairs; property
    types, the extra statistics of an enhanced schema and ``metadata`` are ignored.

    Raises ``ValueError`` naming the path of the first member that does not fit the form (as
    ``relationships[3].start: expected str, got int``), or of a ``rel_props`` type that no
    pattern uses."""
    root = Member(structured)
    draft = SchemaDraft()
    for label, properties in root.field("node_props").entries():
        draft.add_label(label, _property_names(properties))
    for pattern in root.field("relationships").items():
        rel_type = pattern.field("type").text()
        draft.add_pair(rel_type, pattern.field("start").text(), pattern.field("end").text())
    for rel_type, properties in root.field("rel_props").entries():
        keys = _property_names(properties)
        if not draft.has_pairs(rel_type):
            properties.fail("no entry of relationships has this type")
        draft.add_type_keys(rel_type, keys)
    metadata = root.optional_field("metadata")
    if metadata is not None:
        metadata.entries()  # only its shape is checked: constraints and indexes add no names
    return draft.schema()


def _property_names(properties: Member) -> list[str]:
    return [entry.field("property").text() for entry in properties.items()]
