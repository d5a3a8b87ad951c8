"""Schemas from Neo4j's two dictionary forms, the structured schema of its tooling for language
models and the map of apoc.meta.schema(), on fixtures of one small graph written in each form,
and the path each names for a member that does not fit."""
import copy

import pytest

from qarvex import schema_from_apoc, schema_from_neo4j

# People who act in and like movies and books, and studios that make movies; LIKES joins two
# label pairs and KNOWS has no properties. Studio has no properties, so the structured form
# names it only in a pattern.
STRUCTURED = {
    "node_props": {
        "Person": [{"property": "name", "type": "STRING"},
                   {"property": "born", "type": "INTEGER", "min": 1920, "max": 2001}],
        "Movie": [{"property": "title", "type": "STRING", "values": ["Heat"], "distinct_count": 1}],
        "Book": [{"property": "title", "type": "STRING"}],
    },
    "rel_props": {
        "ACTED_IN": [{"property": "roles", "type": "LIST"}],
        "LIKES": [{"property": "stars", "type": "INTEGER"}],
    },
    "relationships": [
        {"start": "Person", "type": "ACTED_IN", "end": "Movie"},
        {"start": "Person", "type": "LIKES", "end": "Movie"},
        {"start": "Person", "type": "LIKES", "end": "Book"},
        {"start": "Person", "type": "KNOWS", "end": "Person"},
        {"start": "Studio", "type": "MADE", "end": "Movie"},
    ],
    "metadata": {"constraint": [], "index": []},
}


def _property(kind):
    return {"type": kind, "indexed": False, "unique": False, "existence": False,
            "array": kind == "LIST"}


# The same graph. Studio lists no relationship of its own: its MADE pair comes from Movie's
# incoming entry alone, while LIKES and ACTED_IN are listed from both ends.
APOC = {
    "Person": {
        "type": "node", "count": 3, "labels": [],
        "properties": {"name": _property("STRING"), "born": _property("INTEGER")},
        "relationships": {
            "ACTED_IN": {"direction": "out", "count": 2, "labels": ["Movie"],
                         "properties": {"roles": _property("LIST")}},
            "LIKES": {"direction": "out", "count": 2, "labels": ["Movie", "Book"],
                      "properties": {"stars": _property("INTEGER")}},
            "KNOWS": {"direction": "out", "count": 1, "labels": ["Person"], "properties": {}},
        },
    },
    "Movie": {
        "type": "node", "count": 2, "labels": [],
        "properties": {"title": _property("STRING")},
        "relationships": {
            "ACTED_IN": {"direction": "in", "count": 2, "labels": ["Person"], "properties": {}},
            "LIKES": {"direction": "in", "count": 1, "labels": ["Person"], "properties": {}},
            "MADE": {"direction": "in", "count": 1, "labels": ["Studio"], "properties": {}},
        },
    },
    "Book": {
        "type": "node", "count": 1, "labels": [], "properties": {"title": _property("STRING")},
        "relationships": {"LIKES": {"direction": "in", "count": 1, "labels": ["Person"],
                                    "properties": {}}},
    },
    "Studio": {"type": "node", "count": 1, "labels": [], "properties": {}, "relationships": {}},
    "ACTED_IN": {"type": "relationship", "count": 2, "properties": {"roles": _property("LIST")}},
    "LIKES": {"type": "relationship", "count": 2, "properties": {"stars": _property("INTEGER")}},
    "KNOWS": {"type": "relationship", "count": 1, "properties": {}},
    "MADE": {"type": "relationship", "count": 1, "properties": {}},
}

EXPECTED = {
    "nodes": {"Book": ["title"], "Movie": ["title"], "Person": ["born", "name"], "Studio": []},
    "relationships": {
        "ACTED_IN": ("Person", "Movie", ["roles"]),
        "KNOWS": ("Person", "Person", []),
        "LIKES": [("Person", "Movie", ["stars"]), ("Person", "Book", ["stars"])],
        "MADE": ("Studio", "Movie", []),
    },
}


@pytest.mark.parametrize("importer, form", [(schema_from_neo4j, STRUCTURED),
                                            (schema_from_apoc, APOC)],
                         ids=["neo4j", "apoc"])
def test_both_forms_of_one_graph_give_its_schema(importer, form):
    assert importer(form).to_dict() == EXPECTED


def test_the_structured_form_needs_no_metadata_and_may_be_empty():
    without = {key: value for key, value in STRUCTURED.items() if key != "metadata"}
    assert schema_from_neo4j(without).to_dict() == EXPECTED
    empty = schema_from_neo4j({"node_props": {}, "rel_props": {}, "relationships": []})
    assert empty.to_dict() == {"nodes": {}, "relationships": {}}


def test_a_repeated_pattern_is_one_pair():
    structured = copy.deepcopy(STRUCTURED)
    structured["relationships"].append({"start": "Person", "type": "LIKES", "end": "Movie"})
    assert schema_from_neo4j(structured).rel_endpoint_pairs("LIKES") == [
        ("Person", "Movie"), ("Person", "Book")]


def altered(form, path, value):
    """A deep copy of ``form`` with the member at ``path`` (a tuple of keys and indexes)
    replaced by ``value``, or removed when ``value`` is ``DELETE``."""
    changed = copy.deepcopy(form)
    parent = changed
    for step in path[:-1]:
        parent = parent[step]
    if value is DELETE:
        del parent[path[-1]]
    else:
        parent[path[-1]] = value
    return changed


DELETE = object()
NO_PROPERTIES = {"type": "relationship", "count": 0, "properties": {}}

# Each row: the importer, the member changed (path, new value), and the error's text.
MALFORMED = [
    (schema_from_neo4j, (), [], "the input: expected dict, got list"),
    (schema_from_neo4j, ("node_props",), DELETE, "node_props: missing"),
    (schema_from_neo4j, ("relationships", 3, "start"), 7,
     "relationships[3].start: expected str, got int"),
    (schema_from_neo4j, ("relationships", 1, "type"), DELETE, "relationships[1].type: missing"),
    (schema_from_neo4j, ("relationships",), "Person", "relationships: expected list, got str"),
    (schema_from_neo4j, ("node_props", "Person", 1), "born",
     "node_props.Person[1]: expected dict, got str"),
    (schema_from_neo4j, ("node_props", "Movie", 0, "property"), None,
     "node_props.Movie[0].property: expected str, got None"),
    (schema_from_neo4j, ("node_props", 3), [], "node_props[3]: expected a str key, got int"),
    (schema_from_neo4j, ("rel_props",), [], "rel_props: expected dict, got list"),
    (schema_from_neo4j, ("rel_props", "HAS PART"), [{"property": "share", "type": "FLOAT"}],
     'rel_props["HAS PART"]: no entry of relationships has this type'),
    (schema_from_neo4j, ("metadata",), None, "metadata: expected dict, got None"),
    (schema_from_apoc, (), "Person", "the input: expected dict, got str"),
    (schema_from_apoc, ("Person", "type"), "label",
     "Person.type: expected 'node' or 'relationship', got 'label'"),
    (schema_from_apoc, ("Book", "type"), DELETE, "Book.type: missing"),
    (schema_from_apoc, ("Person", "properties"), ["name"],
     "Person.properties: expected dict, got list"),
    (schema_from_apoc, ("Studio", "relationships"), DELETE, "Studio.relationships: missing"),
    (schema_from_apoc, ("Person", "relationships", "LIKES", "direction"), "both",
     "Person.relationships.LIKES.direction: expected 'out' or 'in', got 'both'"),
    (schema_from_apoc, ("Movie", "relationships", "MADE", "labels", 0), None,
     "Movie.relationships.MADE.labels[0]: expected str, got None"),
    (schema_from_apoc, ("Movie", "relationships", "MADE", "labels"), "Studio",
     "Movie.relationships.MADE.labels: expected list, got str"),
    (schema_from_apoc, ("KNOWS", "properties"), DELETE, "KNOWS.properties: missing"),
    (schema_from_apoc, ("WROTE",), NO_PROPERTIES,
     "WROTE: no node entry has a relationship of this type"),
    (schema_from_apoc, ("Bad Label",), {"count": 1},
     '["Bad Label"].type: missing'),
]


@pytest.mark.parametrize("importer, path, value, message", MALFORMED,
                         ids=[message for *_, message in MALFORMED])
def test_a_member_that_does_not_fit_is_named_by_its_path(importer, path, value, message):
    form = STRUCTURED if importer is schema_from_neo4j else APOC
    with pytest.raises(ValueError) as raised:
        importer(value if path == () else altered(form, path, value))
    assert str(raised.value) == message
