"""The prompt renderings, dictionary form and JSON form of Schema."""

import json

import pytest

from _qarvex import Schema


def movie_schema():
    return Schema(
        {"Person": ["name", "age"], "Movie": ["title"], "Tag": []},
        {"ACTED_IN": ("Person", "Movie", ["role"]), "TAGGED": ("Movie", "Tag", [])},
    )


def content(schema):
    """Everything a schema holds, in a comparable form."""
    return (
        {label: schema.node_properties(label) for label in schema.node_labels()},
        {
            rel: (schema.rel_endpoint_pairs(rel), schema.rel_properties(rel))
            for rel in schema.rel_types()
        },
        schema.to_dict(),
    )


# --- renderings -----------------------------------------------------------------------------

PROMPT = (
    "Graph Schema\n"
    "============\n"
    "\n"
    "Nodes\n"
    "-----\n"
    "  :Movie                       title\n"
    "  :Person                      age, name\n"
    "  :Tag\n"
    "\n"
    "Relationships\n"
    "-------------\n"
    "  :ACTED_IN                    (Person)-->(Movie)   role\n"
    "  :TAGGED                      (Movie)-->(Tag)\n"
)

MARKDOWN = (
    "### Nodes\n"
    "\n"
    "| Label | Properties |\n"
    "|---|---|\n"
    "| :Movie | title |\n"
    "| :Person | age, name |\n"
    "| :Tag | \u2014 |\n"
    "\n"
    "### Relationships\n"
    "\n"
    "| Type | Source \u2192 Target | Properties |\n"
    "|---|---|---|\n"
    "| :ACTED_IN | :Person \u2192 :Movie | role |\n"
    "| :TAGGED | :Movie \u2192 :Tag | \u2014 |\n"
)

CYPHER_CONTEXT = (
    "// Node labels and their properties\n"
    "(:Movie {title})\n"
    "(:Person {age, name})\n"
    "(:Tag)\n"
    "\n"
    "// Relationship types\n"
    "(:Person)-[:ACTED_IN {role}]->(:Movie)\n"
    "(:Movie)-[:TAGGED]->(:Tag)\n"
)


def test_renderings_of_the_worked_example():
    schema = movie_schema()
    assert schema.to_prompt() == PROMPT
    assert schema.to_markdown() == MARKDOWN
    assert schema.to_cypher_context() == CYPHER_CONTEXT


def test_renderings_write_each_pair_as_a_one_pair_type_is_written():
    schema = Schema({}, {"LIKES": [("Person", "Movie", ["at"]), ("Company", "Book", [])]})
    assert schema.to_cypher_context().splitlines()[-2:] == [
        "(:Person)-[:LIKES {at}]->(:Movie)", "(:Company)-[:LIKES]->(:Book)"]
    assert schema.to_prompt().splitlines()[-2:] == [
        "  :LIKES" + " " * 21 + "  (Person)-->(Movie)   at", "  :LIKES" + " " * 21 + "  (Company)-->(Book)"]
    assert schema.to_markdown().splitlines()[-2:] == [
        "| :LIKES | :Person \u2192 :Movie | at |", "| :LIKES | :Company \u2192 :Book | \u2014 |"]


def test_renderings_of_the_empty_schema():
    empty = Schema({}, {})
    assert empty.to_prompt() == (
        "Graph Schema\n============\n\nNodes\n-----\n\nRelationships\n-------------\n"
    )
    assert empty.to_markdown() == (
        "### Nodes\n\n| Label | Properties |\n|---|---|\n\n### Relationships\n\n"
        "| Type | Source \u2192 Target | Properties |\n|---|---|---|\n"
    )
    assert empty.to_cypher_context() == "// Node labels and their properties\n\n// Relationship types\n"


@pytest.mark.parametrize(
    "label, line",
    [
        ("L" * 26, "  :" + "L" * 26 + "  p"),
        ("L" * 30, "  :" + "L" * 30 + "  p"),
        ("\u00e9" * 25, "  :" + "\u00e9" * 25 + "   p"),
        ("\U0001F600", "  :\U0001F600" + " " * 25 + "  p"),
    ],
)
def test_prompt_pads_labels_to_26_characters(label, line):
    assert Schema({label: ["p"]}, {}).to_prompt().splitlines()[5] == line


def test_prompt_pads_a_type_without_properties_but_not_such_a_label():
    lines = Schema({"Tag": []}, {"R": ("X", "Y", [])}).to_prompt().splitlines()
    assert "  :Tag" in lines
    assert "  :R" + " " * 25 + "  (X)-->(Y)" in lines


def test_renderings_sort_properties_and_keep_names_unchanged():
    schema = Schema({"a|b {c}": ["z", "a", "M"]}, {})
    assert "(:a|b {c} {M, a, z})\n" in schema.to_cypher_context()
    assert "| :a|b {c} | M, a, z |\n" in schema.to_markdown()


@pytest.mark.parametrize(
    "method, doc_start",
    [
        ("to_prompt", "Return a human-readable, LLM-friendly representation of the schema.\n\n"),
        ("to_markdown", "Return the schema formatted as a Markdown table.\n\n"),
        ("to_cypher_context", "Return the schema as inline Cypher patterns.\n\n"),
        ("to_dict", "Export the schema as a plain Python dict compatible with the Schema constructor."),
        ("to_json", "Serialise the schema to a JSON string.\n\n"),
    ],
)
def test_method_docs_and_signatures(method, doc_start):
    function = getattr(Schema, method)
    assert function.__doc__.startswith(doc_start)
    assert function.__text_signature__ == "($self)"


def test_static_method_docs_and_signatures():
    assert Schema.from_dict.__text_signature__ == "(d)"
    assert Schema.from_json.__text_signature__ == "(json_str)"
    assert Schema.from_json.__doc__ == (
        "Deserialise a Schema from a JSON string produced by ``to_json()``.\n\n"
        "Example::\n\n    json_str = schema.to_json()\n    schema2 = Schema.from_json(json_str)"
    )
    assert Schema.from_dict.__doc__.endswith("    schema = Schema.from_dict(d)")
    assert Schema.to_json.__doc__.endswith("    assert schema2 == schema  # round-trip safe")
    assert Schema.to_prompt.__doc__.endswith("#   :LIVES_IN                 (Person)-->(City)")


def test_methods_appear_in_class_order():
    names = [name for name in vars(Schema) if not name.startswith("__")]
    assert names == [
        "from_dict", "from_json", "node_labels", "rel_types", "has_node_label", "has_rel_type",
        "node_properties", "rel_properties", "rel_endpoints", "rel_endpoint_pairs", "to_dict",
        "to_json", "merge",
        "to_prompt", "to_markdown", "to_cypher_context",
    ]


# --- dictionary form ------------------------------------------------------------------------


def test_to_dict_shape_and_order():
    d = movie_schema().to_dict()
    assert list(d) == ["nodes", "relationships"]
    assert d["nodes"] == {"Movie": ["title"], "Person": ["age", "name"], "Tag": []}
    assert list(d["nodes"]) == ["Movie", "Person", "Tag"]
    assert d["relationships"] == {
        "ACTED_IN": ("Person", "Movie", ["role"]),
        "TAGGED": ("Movie", "Tag", []),
    }
    assert all(type(value) is tuple for value in d["relationships"].values())
    assert movie_schema().to_dict() is not movie_schema().to_dict()


def test_to_dict_gives_several_pairs_as_a_list_of_tuples_in_order():
    pairs = [("Person", "Movie", ["at", "stars"]), ("Person", "Book", []), ("A", "A", ["x"])]
    value = Schema({}, {"LIKES": [(s, t, list(reversed(k))) for s, t, k in pairs]}).to_dict()
    assert value["relationships"]["LIKES"] == pairs
    assert type(value["relationships"]["LIKES"]) is list
    assert all(type(entry) is tuple for entry in value["relationships"]["LIKES"])


@pytest.mark.parametrize(
    "rebuild",
    [
        lambda s: Schema.from_dict(s.to_dict()),
        lambda s: Schema(**s.to_dict()),
        lambda s: Schema.from_json(s.to_json()),
        lambda s: Schema.from_json(json.dumps(json.loads(s.to_json()), indent=2)),
    ],
    ids=["from_dict", "constructor", "from_json", "from_json_reformatted"],
)
def test_round_trips_keep_content_but_not_identity(rebuild):
    original = Schema(
        {"Person": ["name", "age"], "": [], 'q"\\\n\x00\u00e9\U0001F600': ["\t", ""]},
        {"R": ("Nowhere", "", ["x"]), "S": ("Person", "Person", []),
         "T": [("Person", "", ["a", "b"]), ("", "Person", []), ("\U0001F600", "\n", ["a"])]},
    )
    copy = rebuild(original)
    assert content(copy) == content(original)
    assert copy != original


def test_from_dict_of_json_loads_needs_tuples():
    with_relationship = movie_schema()
    with pytest.raises(TypeError, match=r"^Expected \(str, str, list\[str\]\) for relationship"):
        Schema.from_dict(json.loads(with_relationship.to_json()))
    with pytest.raises(TypeError, match=r"^Expected \(str, str, list\[str\]\) for relationship"):
        Schema.from_dict(json.loads(Schema({}, {"R": [("A", "B", []), ("B", "A", [])]}).to_json()))
    nodes_only = Schema({"A": ["x"]}, {})
    assert content(Schema.from_dict(json.loads(nodes_only.to_json()))) == content(nodes_only)


class MissingHook(dict):
    def __missing__(self, key):
        return {}


@pytest.mark.parametrize(
    "d, error, message",
    [
        ([], TypeError, "argument 'd': 'list' object cannot be cast as 'dict'"),
        ({}, KeyError, "'nodes' key missing from dict"),
        ({"nodes": {}}, KeyError, "'relationships' key missing from dict"),
        (MissingHook(), KeyError, "'nodes' key missing from dict"),
        ({"nodes": [], "relationships": {}}, TypeError, "'nodes' must be a dict"),
        ({"nodes": []}, TypeError, "'nodes' must be a dict"),
        ({"nodes": {}, "relationships": ()}, TypeError, "'relationships' must be a dict"),
        ({"nodes": {"A": "x"}, "relationships": 1}, TypeError, "'relationships' must be a dict"),
        (
            {"nodes": {"A": "x"}, "relationships": {}},
            TypeError,
            "Expected list[str] for node properties of label 'A'",
        ),
        ({"nodes": {1: []}, "relationships": {}}, TypeError, "'int' object cannot be cast as 'str'"),
        (
            {"nodes": {}, "relationships": {"R": ["A", "B", []]}},
            TypeError,
            "Expected (str, str, list[str]) for relationship 'R', e.g. ('Person', 'Movie', ['role'])",
        ),
    ],
)
def test_from_dict_errors_in_table_order(d, error, message):
    with pytest.raises(error) as raised:
        Schema.from_dict(d)
    assert type(raised.value) is error
    assert raised.value.args[0] == message


def test_from_dict_ignores_other_keys_and_accepts_dict_subclasses():
    assert Schema.from_dict({"nodes": {}, "relationships": {}, "extra": 1}).node_labels() == []
    assert Schema.from_dict(MissingHook(nodes={"A": ()}, relationships={})).node_labels() == ["A"]
    assert Schema.from_dict(d={"nodes": {}, "relationships": {}}).rel_types() == []


def test_static_methods_call_shape():
    with pytest.raises(TypeError, match=r"^Schema.from_dict\(\) missing 1 required positional argument: 'd'$"):
        Schema.from_dict()
    with pytest.raises(TypeError, match=r"^argument 'json_str': 'bytes' object cannot be cast as 'str'$"):
        Schema.from_json(b"{}")
    with pytest.raises(TypeError, match=r"^Schema.from_json\(\) got an unexpected keyword argument 'text'$"):
        Schema.from_json(text="{}")


# --- JSON form ------------------------------------------------------------------------------


def test_to_json_is_compact_and_sorted():
    assert Schema({}, {}).to_json() == '{"nodes":{},"relationships":{}}'
    schema = Schema({"Person": ["name", "age"]}, {"KNOWS": ("Person", "Person", [])})
    assert schema.to_json() == '{"nodes":{"Person":["age","name"]},"relationships":{"KNOWS":["Person","Person",[]]}}'
    assert Schema({"\x1f\x7f\"\\/": []}, {}).to_json() == '{"nodes":{"\\u001f\x7f\\"\\\\/":[]},"relationships":{}}'
    several = Schema({}, {"R": [("A", "B", ["y", "x"]), ("B", "A", [])]})
    assert several.to_json() == '{"nodes":{},"relationships":{"R":[["A","B",["x","y"]],["B","A",[]]]}}'


@pytest.mark.parametrize(
    "text, labels, types",
    [
        ('{"relationships":{},"nodes":{},"version":3}', [], []),
        ('{"x":{"nodes":1},"nodes":{"A":[]},"y":[null,true,1.5e3,"s"],"relationships":{}}', ["A"], []),
        ("[{},{}]", [], []),
        ('[{"A":["x"]},{"R":["A","B",[]]}]', ["A"], ["R"]),
        (' \r\n\t{"nodes":{"B":[],"A":[]},"relationships":{"R":["","",[]]}} \n', ["A", "B"], ["R"]),
        ('{"nodes":{},"relationships":{"R":[["A","B",[]]],"S":[ ["A","B",[]] , ["B","A",["x"]] ]}}', [], ["R", "S"]),
    ],
)
def test_from_json_accepts(text, labels, types):
    schema = Schema.from_json(text)
    assert schema.node_labels() == labels
    assert schema.rel_types() == types


def test_from_json_keeps_the_last_duplicate_and_each_key_once():
    schema = Schema.from_json(
        '{"nodes":{"A":["x","x"],"B":["old"],"B":["new"]},'
        '"relationships":{"R":["P","Q",[]],"R":["S","T",["y","y"]]}}'
    )
    assert schema.node_properties("A") == ["x"]
    assert schema.node_properties("B") == ["new"]
    assert schema.rel_endpoints("R") == ("S", "T")
    assert schema.rel_properties("R") == ["y"]


@pytest.mark.parametrize(
    "text, description",
    [
        ('{"nodes":{}}', "missing field `relationships` at line 1 column 12"),
        ('{"relationships":{}}', "missing field `nodes` at line 1 column 20"),
        ('{"nodes":{},"nodes":{},"relationships":{}}', "duplicate field `nodes` at line 1 column 13"),
        ('"x"', 'invalid type: string "x", expected struct Schema at line 1 column 1'),
        ('{"nodes":3}', "invalid type: integer `3`, expected a map at line 1 column 10"),
        ('{"nodes":{"A":"x"},"relationships":{}}', 'invalid type: string "x", expected a sequence at line 1 column 15'),
        ('{"nodes":{"A":[false]}}', "invalid type: boolean `false`, expected a string at line 1 column 16"),
        ('{"nodes":{},"relationships":{"R":["a","b"]}}', "invalid length 2, expected a tuple of size 3 at line 1 column 42"),
        ('{"nodes":{},"relationships":{"R":"a"}}', 'invalid type: string "a", expected a tuple of size 3 at line 1 column 34'),
        ('{"nodes":{},"relationships":{"R":[["a","b",[]],7]}}', "invalid type: integer `7`, expected a tuple of size 3 at line 1 column 48"),
        ('{"nodes":{},"relationships":{"R":[["a","b",[]],["c"]]}}', "invalid length 1, expected a tuple of size 3 at line 1 column 52"),
        ('{"nodes":{},"relationships":{"R":[[]]}}', "invalid length 0, expected a tuple of size 3 at line 1 column 36"),
        ("[{},{},{}]", "invalid length 3, expected struct Schema with 2 elements at line 1 column 8"),
        ("", "EOF while parsing a value at line 1 column 1"),
        ("[", "EOF while parsing a list at line 1 column 2"),
        ('{"a":', "EOF while parsing a value at line 1 column 6"),
        ('"abc', "EOF while parsing a string at line 1 column 5"),
        ('{"a" 1}', "expected `:` at line 1 column 6"),
        ('{"a":[1 2]}', "expected `,` or `]` at line 1 column 9"),
        ('{"a":1 "b":2}', "expected `,` or `}` at line 1 column 8"),
        ("nul", "EOF while parsing a value at line 1 column 4"),
        ("nulx", "expected ident at line 1 column 4"),
        ("[,]", "expected value at line 1 column 2"),
        ("{'a':1}", 'expected `"` at line 1 column 2'),
        ('"\\q"', "invalid escape at line 1 column 2"),
        ("[01]", "invalid number at line 1 column 3"),
        ("1e999", "number out of range at line 1 column 1"),
        ('"\\udfff"', "invalid unicode code point at line 1 column 2"),
        ('"a\nb"', "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"),
        ("{3:4}", "key must be a string at line 1 column 2"),
        ('"\\ud83dx"', "lone leading surrogate in hex escape at line 1 column 2"),
        ('{"a":[1,]}', "trailing comma at line 1 column 8"),
        ("[{},{}] []", "trailing characters at line 1 column 9"),
        ('"\\u00g0"', "unexpected end of hex escape at line 1 column 6"),
        ('{"a":' + "[" * 1000, "recursion limit exceeded at line 1 column 133"),
        ('{\n "nodes": {"\u00e9\U0001F600": 1}}', "invalid type: integer `1`, expected a sequence at line 2 column 18"),
    ],
)
def test_from_json_errors(text, description):
    with pytest.raises(ValueError) as raised:
        Schema.from_json(text)
    assert type(raised.value) is ValueError
    assert str(raised.value) == "Invalid Schema JSON: " + description


def test_from_json_refuses_text_with_a_lone_surrogate():
    with pytest.raises(UnicodeEncodeError):
        Schema.from_json('"\ud800"')
