import pytest

from _qarvex import Schema


def test_empty_schema():
    schema = Schema({}, {})
    assert schema.node_labels() == [] and schema.rel_types() == []
    assert repr(schema) == "Schema(nodes=[], relationships=[])"


def test_lookups(movies):
    assert movies.node_labels() == ["Movie", "Person"]
    assert movies.rel_types() == ["ACTED_IN", "KNOWS"]
    assert movies.has_node_label("Person") and not movies.has_node_label("person")
    assert movies.has_rel_type("KNOWS") and not movies.has_rel_type("knows")
    assert movies.node_properties("Person") == ["born", "name"]
    assert movies.node_properties("Nobody") == []
    assert movies.rel_properties("ACTED_IN") == ["roles"]
    assert movies.rel_properties("NOPE") == []
    assert movies.rel_endpoints("ACTED_IN") == ("Person", "Movie")
    assert movies.rel_endpoints("NOPE") is None
    assert movies.node_properties(label="Movie") == ["released", "title"]


def test_repeated_keys_are_stored_once_and_listed_sorted():
    schema = Schema({"Person": ["name", "name", "age"]}, {})
    assert schema.node_properties("Person") == ["age", "name"]


def test_sorting_is_by_utf8_bytes():
    labels = ["b", "B", "a", "A", "PersonX", "Person", "é", "Zoo", "actor", "\U0001f600", "\uffff"]
    schema = Schema({label: [] for label in labels}, {})
    assert schema.node_labels() == sorted(labels, key=lambda name: name.encode())
    assert schema.node_labels()[:4] == ["A", "B", "Person", "PersonX"]


def test_names_are_stored_unchanged():
    schema = Schema({"": [""], " Person ": []}, {"": ("", "", [])})
    assert schema.node_labels() == ["", " Person "]
    assert schema.node_properties("") == [""]
    assert schema.rel_endpoints("") == ("", "")


def test_endpoints_need_not_be_declared_labels():
    schema = Schema({}, {"KNOWS": ("A", "B", [])})
    assert schema.rel_endpoints("KNOWS") == ("A", "B")


LIKES = [("Person", "Movie", ["at"]), ("Person", "Book", []), ("Company", "Movie", ["stars"])]


def test_a_type_with_several_pairs():
    schema = Schema({}, {"LIKES": LIKES, "KNOWS": ("Person", "Person", ["since"])})
    assert schema.rel_endpoint_pairs("LIKES") == [("Person", "Movie"), ("Person", "Book"), ("Company", "Movie")]
    assert schema.rel_endpoints("LIKES") == ("Person", "Movie")
    assert schema.rel_properties("LIKES") == ["at", "stars"]
    assert schema.rel_endpoint_pairs("KNOWS") == [("Person", "Person")]
    assert schema.rel_endpoint_pairs("NOPE") == []
    assert schema.rel_endpoint_pairs(rel_type="LIKES")[2] == ("Company", "Movie")
    assert repr(schema) == 'Schema(nodes=[], relationships=["KNOWS", "LIKES"])'


def test_a_repeated_pair_is_kept_at_its_first_place_with_its_keys_united():
    schema = Schema({}, {"R": [("A", "B", ["x"]), ("C", "D", []), ("A", "B", ["y", "x"])]})
    assert schema.rel_endpoint_pairs("R") == [("A", "B"), ("C", "D")]
    assert schema.to_dict()["relationships"]["R"] == [("A", "B", ["x", "y"]), ("C", "D", [])]
    single = Schema({}, {"R": [("A", "B", ["x"]), ("A", "B", [])]})
    assert single.to_dict()["relationships"]["R"] == ("A", "B", ["x"])


def test_list_subclasses_hold_pairs():
    class Pairs(list):
        pass

    class Triple(tuple):
        pass

    schema = Schema({}, {"R": Pairs([Triple(("A", "B", ())), ("B", "A", ["w"])])})
    assert schema.rel_endpoint_pairs("R") == [("A", "B"), ("B", "A")]


def test_accepted_property_collections():
    schema = Schema({"P": ("name",), "Q": []}, {"R": ("P", "Q", ("w",))})
    assert schema.node_properties("P") == ["name"]
    assert schema.rel_properties("R") == ["w"]


NODE_ERROR = "Expected list[str] for node properties of label 'Person'"
REL_ERROR = "Expected (str, str, list[str]) for relationship 'KNOWS', e.g. ('Person', 'Movie', ['role'])"

CONSTRUCTION_ERRORS = [
    ({"Person": "name"}, {}, NODE_ERROR),
    ({"Person": {"name"}}, {}, NODE_ERROR),
    ({"Person": ["name", 1]}, {}, NODE_ERROR),
    ({"Person": None}, {}, NODE_ERROR),
    ({1: []}, {}, "'int' object cannot be cast as 'str'"),
    ({}, {2.5: ("A", "B", [])}, "'float' object cannot be cast as 'str'"),
    ({}, {"KNOWS": ["Person", "Person", []]}, REL_ERROR),
    ({}, {"KNOWS": ("Person", "Person")}, REL_ERROR),
    ({}, {"KNOWS": ("Person", "Person", [], [])}, REL_ERROR),
    ({}, {"KNOWS": ("Person", 1, [])}, REL_ERROR),
    ({}, {"KNOWS": ("Person", "Person", "since")}, REL_ERROR),
    ({}, {"KNOWS": ("Person", "Person", [None])}, REL_ERROR),
    ({}, {"KNOWS": []}, REL_ERROR),
    ({}, {"KNOWS": [("Person", "Person", []), ["Person", "Person", []]]}, REL_ERROR),
    ({}, {"KNOWS": [("Person", "Person", []), ("Person", "Person")]}, REL_ERROR),
    ({}, {"KNOWS": [("Person", "Person", []), ("Person", None, [])]}, REL_ERROR),
    ({}, {"KNOWS": [("Person", "Person", "since")]}, REL_ERROR),
    ({}, {"KNOWS": [("Person", "Person", [])] * 2 + [None]}, REL_ERROR),
    ({}, {"KNOWS": (("Person", "Person", []), ("Person", "Person", []))}, REL_ERROR),
    ({}, {"KNOWS": [[("Person", "Person", [])]]}, REL_ERROR),
    # Every node entry is read before any relationship entry.
    ({"Person": "name"}, {"KNOWS": []}, NODE_ERROR),
]


@pytest.mark.parametrize("nodes,relationships,message", CONSTRUCTION_ERRORS)
def test_construction_errors(nodes, relationships, message):
    with pytest.raises(TypeError) as caught:
        Schema(nodes, relationships)
    assert str(caught.value) == message


def test_first_bad_node_entry_is_reported():
    with pytest.raises(TypeError, match="label 'B'"):
        Schema({"A": [], "B": "x", "C": "y"}, {})


def test_dict_subclasses_and_tuple_subclasses_are_accepted():
    class Nodes(dict):
        pass

    class Triple(tuple):
        pass

    schema = Schema(Nodes(P=["a"]), Nodes(R=Triple(("P", "P", ["w"]))))
    assert schema.rel_endpoints("R") == ("P", "P")


def test_merge_unites_properties_and_endpoint_pairs():
    left = Schema({"P": ["a"]}, {"R": ("P", "Q", ["x"])})
    right = Schema({"P": ["b"], "S": []}, {"R": ("S", "T", ["y"]), "U": ("S", "S", [])})
    merged = left.merge(right)
    assert merged.node_labels() == ["P", "S"]
    assert merged.node_properties("P") == ["a", "b"]
    assert merged.rel_properties("R") == ["x", "y"]
    assert merged.rel_endpoints("R") == ("P", "Q")
    assert merged.rel_endpoint_pairs("R") == [("P", "Q"), ("S", "T")]
    assert merged.to_dict()["relationships"]["R"] == [("P", "Q", ["x"]), ("S", "T", ["y"])]
    assert merged.rel_endpoint_pairs("U") == [("S", "S")]
    assert right.merge(left).rel_endpoint_pairs("R") == [("S", "T"), ("P", "Q")]
    assert left.node_properties("P") == ["a"] and right.node_properties("P") == ["b"]
    assert left.rel_endpoint_pairs("R") == [("P", "Q")]


def test_merge_unites_the_keys_of_a_pair_in_both():
    left = Schema({}, {"R": [("A", "B", ["x"]), ("A", "C", [])]})
    right = Schema({}, {"R": [("D", "D", []), ("A", "B", ["y"])]})
    assert left.merge(right).to_dict()["relationships"]["R"] == [
        ("A", "B", ["x", "y"]), ("A", "C", []), ("D", "D", [])]
    same = Schema({}, {"R": ("A", "B", ["x"])}).merge(Schema({}, {"R": ("A", "B", ["y"])}))
    assert same.to_dict()["relationships"]["R"] == ("A", "B", ["x", "y"])


def test_merge_with_itself_is_a_new_equal_content_schema(movies):
    merged = movies.merge(movies)
    assert merged is not movies and merged != movies
    assert repr(merged) == repr(movies)
    assert merged.node_properties("Person") == movies.node_properties("Person")


def test_equality_is_identity():
    a = Schema({"P": []}, {})
    b = Schema({"P": []}, {})
    assert a != b and not (a == b)
    assert a == a
    assert hash(a) != hash(b)


@pytest.mark.parametrize("name,shown", [
    ('say "hi"', r'"say \"hi\""'),
    ("back\\slash", r'"back\\slash"'),
    ("tab\tcr\rlf\n", r'"tab\tcr\rlf\n"'),
    ("nul\x00", r'"nul\0"'),
    ("bell\x07del\x7f", r'"bell\u{7}del\u{7f}"'),
    ("next\x85line\u2028", r'"next\u{85}line\u{2028}"'),
    ("café ☕ 日本", '"café ☕ 日本"'),
    ("it's", '"it\'s"'),
])
def test_repr_escapes(name, shown):
    assert repr(Schema({name: []}, {})) == f"Schema(nodes=[{shown}], relationships=[])"


def test_method_docs():
    assert Schema.node_properties.__doc__ == "Return the list of properties declared for a node label."
    assert Schema.node_properties.__text_signature__ == "($self, label)"
    assert Schema.rel_endpoints.__doc__ == (
        "Return `(src_label, tgt_label)` for a relationship type, or None if unknown.")
    assert Schema.merge.__doc__.startswith("Return a new Schema that is the union of *self* and *other*.")
    assert Schema.merge.__doc__.endswith("# merged has Person, Movie, KNOWS, ACTED_IN")
    assert ("* When a relationship type exists in both, its endpoint pairs are\n"
            "  united: the pairs of *self* first, then the new pairs of *other*.\n") in Schema.merge.__doc__
    assert "take precedence" not in Schema.merge.__doc__
    assert Schema.rel_endpoint_pairs.__doc__ == (
        "Return the list of `(src_label, tgt_label)` pairs declared for a relationship type, in "
        "order; an empty list if unknown.")
    assert Schema.rel_endpoint_pairs.__text_signature__ == "($self, rel_type)"
    assert Schema.node_labels.__doc__ is None
    assert Schema.node_labels.__text_signature__ == "($self)"
