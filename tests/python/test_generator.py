import gc
import re

import pytest

import _qarvex
from _qarvex import CypherGenerator, Schema

TYPES = [
    "match_return", "match_where_return", "create", "merge", "aggregation",
    "match_relationship", "create_relationship", "match_set", "match_delete",
    "with_chain", "distinct_return", "order_by", "unwind",
]

BATCH_DOC = (
    "Generate *n* queries of the given type in a single call.\n\nEquivalent to calling "
    ":meth:`generate` *n* times but avoids per-call\nPython overhead.\n\nParameters\n"
    "----------\nquery_type:\n    One of the types returned by :meth:`supported_types`.\n"
    "n:\n    Number of queries to generate.\n\nReturns\n-------\nlist[str]\n"
    "    Generated Cypher query strings.\n\nRaises\n------\nValueError\n"
    "    If *query_type* is not supported."
)


def test_supported_types_is_a_static_method_returning_a_new_list():
    first = CypherGenerator.supported_types()
    assert first == TYPES
    first.append("extra")
    assert CypherGenerator.supported_types() == TYPES
    assert CypherGenerator.supported_types() is not CypherGenerator.supported_types()


def test_method_docs_and_signatures():
    assert CypherGenerator.generate.__text_signature__ == "($self, query_type)"
    assert CypherGenerator.generate.__doc__ is None
    assert CypherGenerator.generate_batch.__text_signature__ == "($self, query_type, n)"
    assert CypherGenerator.generate_batch.__doc__ == BATCH_DOC
    assert CypherGenerator.supported_types.__text_signature__ == "()"


@pytest.mark.parametrize("query_type", TYPES)
def test_batch_equals_successive_calls_and_leaves_the_same_state(movies, query_type):
    batched = CypherGenerator(movies, seed=7)
    single = CypherGenerator(movies, seed=7)
    batch = batched.generate_batch(query_type, 25)
    assert batch == [single.generate(query_type) for _ in range(25)]
    assert all(type(query) is str for query in batch)
    # The next draws agree as well, whatever type they are for.
    assert [batched.generate(t) for t in TYPES] == [single.generate(t) for t in TYPES]


def test_keyword_arguments(movies):
    generator = CypherGenerator(schema=movies, seed=1)
    assert generator.generate(query_type="match_delete").startswith("MATCH (n:")
    assert len(generator.generate_batch(query_type="merge", n=3)) == 3


def test_seeded_generators_repeat_and_operating_system_seeds_differ(movies):
    def run(generator):
        return [generator.generate(t) for t in TYPES for _ in range(10)]

    assert run(CypherGenerator(movies, seed=42)) == run(CypherGenerator(movies, 42))
    assert run(CypherGenerator(movies, seed=42)) != run(CypherGenerator(movies, seed=43))
    assert run(CypherGenerator(movies)) != run(CypherGenerator(movies, None))


def test_the_generator_keeps_its_own_schema_copy():
    generator = CypherGenerator(Schema({"Only": ["key"]}, {}), seed=3)
    gc.collect()
    assert generator.generate("aggregation") == "MATCH (n:Only) RETURN count(n.key) AS result"


@pytest.mark.parametrize("name", ["Match_Return", "", "nope", "match_return ", "MATCH_RETURN"])
def test_unknown_types_raise_and_draw_nothing(movies, name):
    generator = CypherGenerator(movies, seed=5)
    fresh = CypherGenerator(movies, seed=5)
    message = f"Generator error: Unknown query type: {name}"
    with pytest.raises(ValueError) as caught:
        generator.generate(name)
    assert str(caught.value) == message
    with pytest.raises(ValueError) as caught:
        generator.generate_batch(name, 3)
    assert str(caught.value) == message
    assert generator.generate_batch("create", 10) == fresh.generate_batch("create", 10)


def test_batch_of_zero_returns_an_empty_list_whatever_the_type(movies):
    generator = CypherGenerator(movies, seed=1)
    assert generator.generate_batch("nope", 0) == []
    assert generator.generate_batch("merge", 0) == []


def test_huge_batches_fail_cleanly(movies):
    generator = CypherGenerator(movies, seed=1)
    # The type is checked before any list is made.
    with pytest.raises(ValueError):
        generator.generate_batch("nope", 2**64 - 1)
    for n in (2**63, 2**64 - 1):
        with pytest.raises(MemoryError):
            generator.generate_batch("merge", n)
    assert generator.generate_batch("merge", 3) == CypherGenerator(movies, 1).generate_batch("merge", 3)


ARGUMENT_ERRORS = [
    (lambda g: g.generate(1), TypeError,
     "argument 'query_type': 'int' object cannot be cast as 'str'"),
    (lambda g: g.generate(), TypeError,
     "CypherGenerator.generate() missing 1 required positional argument: 'query_type'"),
    (lambda g: g.generate("merge", 1), TypeError,
     "CypherGenerator.generate() takes 1 positional arguments but 2 were given"),
    (lambda g: g.generate_batch("merge"), TypeError,
     "CypherGenerator.generate_batch() missing 1 required positional argument: 'n'"),
    (lambda g: g.generate_batch(None, -1), TypeError,
     "argument 'query_type': 'NoneType' object cannot be cast as 'str'"),
    (lambda g: g.generate_batch("merge", "3"), TypeError,
     "argument 'n': 'str' object cannot be interpreted as an integer"),
    (lambda g: g.generate_batch("merge", 2.0), TypeError,
     "argument 'n': 'float' object cannot be interpreted as an integer"),
    (lambda g: g.supported_types(1), TypeError, None),
]


@pytest.mark.parametrize("call,error,message", ARGUMENT_ERRORS)
def test_argument_errors(movies, call, error, message):
    with pytest.raises(error) as caught:
        call(CypherGenerator(movies, seed=1))
    if message is not None:
        assert str(caught.value) == message


@pytest.mark.parametrize("n", [-1, 2**64])
def test_batch_size_out_of_range_passes_the_overflow_error_through(movies, n):
    with pytest.raises(OverflowError) as caught:
        CypherGenerator(movies, seed=1).generate_batch("merge", n)
    assert not str(caught.value).startswith("argument")


EMPTY_SCHEMA_TEXTS = {
    "create": "CREATE (n:Node) RETURN n",
    "merge": "MERGE (n:Node) RETURN n",
    "match_relationship": "MATCH (n:Node) RETURN n",
    "create_relationship": "CREATE (n:Node) RETURN n",
    "match_set": "MATCH (n:Node) RETURN n",
    "match_delete": "MATCH (n:Node) DETACH DELETE n",
    "aggregation": "MATCH (n:Node) RETURN count(n) AS result",
    "with_chain": "MATCH (n:Node) WITH n AS val RETURN count(*)",
}


def test_empty_schema_uses_the_default_label():
    generator = CypherGenerator(Schema({}, {}), seed=0)
    for query_type, text in EMPTY_SCHEMA_TEXTS.items():
        assert set(generator.generate_batch(query_type, 20)) == {text}
    limits = generator.generate_batch("match_return", 200)
    assert {q.split(" LIMIT ")[0] for q in limits} == {"MATCH (n:Node) RETURN n"}
    assert any(" LIMIT " in q for q in limits) and "MATCH (n:Node) RETURN n" in limits
    literal_counts = {q.count(",") + 1 for q in generator.generate_batch("unwind", 200)}
    assert literal_counts == {2, 3, 4}


def test_relationship_queries_use_the_types_endpoints(movies):
    queries = set(CypherGenerator(movies, seed=9).generate_batch("create_relationship", 100))
    assert queries == {
        "MATCH (a:Person),(b:Movie) CREATE (a)-[r:ACTED_IN]->(b) RETURN r",
        "MATCH (a:Person),(b:Person) CREATE (a)-[r:KNOWS]->(b) RETURN r",
    }
    matches = CypherGenerator(movies, seed=9).generate_batch("match_relationship", 200)
    assert any(q.startswith("OPTIONAL MATCH ") for q in matches)
    assert any(q.startswith("MATCH ") for q in matches)


# --- every generated query parses --------------------------------------------------------------


PARSE_SCHEMAS = [
    {},
    {"nodes": {"Person": ["name", "born"], "Movie": ["title", "released", "tagline"]},
     "relationships": {"ACTED_IN": ("Person", "Movie", ["roles"]),
                       "FOLLOWS": ("Person", "Person", [])}},
    {"nodes": {"Bare": [], "_Tag2": ["weight_kg", "x1", "y", "z", "label_text"]},
     "relationships": {"TAGGED_BY": ("Bare", "Ghost", []), "has_tag": ("_Tag2", "Bare", ["w"])}},
    {"nodes": {"Solo": ["only"]}, "relationships": {}},
    {"nodes": {"Order": ["end", "count", "limit"], "Match": ["set", "in"]},
     "relationships": {"CONTAINS": ("Order", "Match", ["in"]), "RETURN": ("Match", "Order", [])}},
]
# Names are written into the queries unquoted: plain words, reserved ones included, stand as
# labels, types and property keys.


@pytest.mark.parametrize("definition", PARSE_SCHEMAS,
                         ids=["empty", "movies", "odd", "single", "reserved"])
def test_generated_queries_parse(definition):
    schema = Schema(definition.get("nodes", {}), definition.get("relationships", {}))
    labels = set(schema.node_labels()) | {"Node"}
    for rel_type in schema.rel_types():
        labels.update(schema.rel_endpoints(rel_type))
    generator = CypherGenerator(schema, seed=2024)
    for query_type in TYPES:
        for query in generator.generate_batch(query_type, 600):
            info = _qarvex.parse_query(query)
            assert info.is_valid, (query, info.errors)
            assert set(info.labels_used) <= labels, query
            assert set(info.rel_types_used) <= set(schema.rel_types()), query


def test_names_are_used_as_the_schema_writes_them(movies):
    generator = CypherGenerator(movies, seed=11)
    for query in generator.generate_batch("match_where_return", 200):
        match = re.fullmatch(r"MATCH \(n:(\w+)\) (?:WHERE n\.(\w+) = .* RETURN n\.(\w+)|RETURN n)"
                             r"(?: LIMIT \d+)?", query)
        assert match, query
        label, compared, returned = match.groups()
        assert compared == returned
        assert compared is None or compared in movies.node_properties(label)
