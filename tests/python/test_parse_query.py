import pytest

import _qarvex
from _qarvex import QueryInfo, parse_query

EXAMPLE = "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.name"


def test_valid_query():
    info = parse_query(EXAMPLE)
    assert isinstance(info, QueryInfo)
    assert info.is_valid is True and bool(info) is True
    assert info.labels_used == ["Movie", "Person"]
    assert info.rel_types_used == ["ACTED_IN"]
    assert info.properties_used == ["name"]
    assert info.errors == []
    assert repr(info) == ('QueryInfo(is_valid=true, labels=["Movie", "Person"], '
                          'rel_types=["ACTED_IN"], properties=["name"], errors=[])')


def test_invalid_query_reports_the_syntax_error_inside_the_result():
    info = parse_query("MATCH (n RETURN n")
    assert info.is_valid is False and bool(info) is False
    assert info.errors == [
        "Parse error:  --> 1:10\n"
        "  |\n"
        "1 | MATCH (n RETURN n\n"
        "  |          ^---\n"
        "  |\n"
        "  = expected node_labels or properties"
    ]
    assert info.labels_used == [] and info.rel_types_used == [] and info.properties_used == []
    assert repr(info) == (
        'QueryInfo(is_valid=false, labels=[], rel_types=[], properties=[], errors=["Parse error: '
        ' --> 1:10\\n  |\\n1 | MATCH (n RETURN n\\n  |          ^---\\n  |\\n'
        '  = expected node_labels or properties"])')


@pytest.mark.parametrize("query", ["", "   ", "// only a comment", "RETURN", "MATCH (n) RETURN n;;"])
def test_texts_the_grammar_rejects_give_one_error(query):
    info = parse_query(query)
    assert not info.is_valid
    assert len(info.errors) == 1 and info.errors[0].startswith("Parse error: ")


def test_keyword_argument():
    info = parse_query(query="MATCH (n) RETURN n")
    assert info.is_valid
    assert (info.labels_used, info.rel_types_used, info.properties_used) == ([], [], [])


@pytest.mark.parametrize("name", ["labels_used", "rel_types_used", "properties_used", "errors"])
def test_each_access_returns_a_fresh_list(name):
    info = parse_query("MATCH (n:A)-[:R]->() RETURN n.x") if name != "errors" else parse_query("(")
    first = getattr(info, name)
    second = getattr(info, name)
    assert first == second and first is not second and len(first) == 1
    first.append("changed")
    first[0] = "changed"
    assert getattr(info, name) == second


def test_attributes_are_read_only_properties_with_docs():
    info = parse_query(EXAMPLE)
    docs = {
        "is_valid": "True if the query is syntactically valid.",
        "errors": "Syntax error messages (empty if valid).",
        "labels_used": "Node labels referenced in the query.",
        "rel_types_used": "Relationship types referenced in the query.",
        "properties_used": 'Property keys accessed in the query (e.g. ``["name", "age"]``).',
    }
    for name, doc in docs.items():
        assert getattr(QueryInfo, name).__doc__ == doc
        with pytest.raises(AttributeError):
            setattr(info, name, None)
    with pytest.raises(TypeError):
        QueryInfo()


def test_function_doc_and_signature():
    assert parse_query.__text_signature__ == "(query, *, dialect='core')"
    assert parse_query.__doc__ == (
        "Parse a Cypher query and return structural information without requiring a schema.\n\n"
        "Example::\n\n"
        '    info = parse_query("MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.name")\n'
        "    info.is_valid        # True\n"
        '    info.labels_used     # ["Movie", "Person"]\n'
        '    info.rel_types_used  # ["ACTED_IN"]\n'
        '    info.properties_used # ["name"]')
    assert _qarvex.parse_query is parse_query


@pytest.mark.parametrize("call,message", [
    (lambda: parse_query(1), "argument 'query': 'int' object cannot be cast as 'str'"),
    (lambda: parse_query(None), "argument 'query': 'NoneType' object cannot be cast as 'str'"),
    (lambda: parse_query(b"RETURN 1"), "argument 'query': 'bytes' object cannot be cast as 'str'"),
    (lambda: parse_query(), "parse_query() missing 1 required positional argument: 'query'"),
    (lambda: parse_query("a", "b"), "parse_query() takes 1 positional arguments but 2 were given"),
    (lambda: parse_query(text="RETURN 1"),
     "parse_query() got an unexpected keyword argument 'text'"),
])
def test_argument_errors(call, message):
    with pytest.raises(TypeError) as caught:
        call()
    assert str(caught.value) == message


def test_repr_escapes_names():
    # Backticks stay part of a quoted name; the repr escapes quotes, backslashes and controls.
    info = parse_query('MATCH (n:`a"b\\c`:`t\tn\nr\r`:`\x01é`) RETURN n')
    assert info.labels_used == ["`\x01é`", '`a"b\\c`', "`t\tn\nr\r`"]
    assert repr(info) == ('QueryInfo(is_valid=true, labels=["`\\u{1}é`", "`a\\"b\\\\c`", '
                          '"`t\\tn\\nr\\r`"], rel_types=[], properties=[], errors=[])')


# Each row: a query and the labels, relationship types and property keys it uses.
WALK = [
    # Collection points.
    ("node_labels_and_types_sorted", EXAMPLE, ["Movie", "Person"], ["ACTED_IN"], ["name"]),
    ("node_property_map_keys", "MATCH (n:Person {name: 'Ann'}) RETURN n", ["Person"], [], ["name"]),
    ("match_where", "MATCH (n) WHERE n.age > 3 RETURN n", [], [], ["age"]),
    ("create", "CREATE (n:A {k: 1})-[:R]->(:B)", ["A", "B"], ["R"], ["k"]),
    ("merge_part", "MERGE (n:A {k: 1})-[:R]->(m:B)", ["A", "B"], ["R"], ["k"]),
    ("call_subquery", "CALL { MATCH (a:Inner) RETURN a.p } RETURN 1", ["Inner"], [], ["p"]),
    ("every_query_part", "MATCH (a:A) CREATE (b:B) WITH a MATCH (c:C) CREATE (:D) RETURN c.p",
     ["A", "B", "C", "D"], [], ["p"]),
    ("unions", "MATCH (a:Z) RETURN a UNION MATCH (b:A) RETURN b UNION ALL RETURN 1",
     ["A", "Z"], [], []),
    ("each_name_once", "MATCH (a:B), (c:B) RETURN a.x, c.x", ["B"], [], ["x"]),
    ("case_sensitive", "MATCH (n:person), (m:Person) RETURN n", ["Person", "person"], [], []),
    ("byte_order_with_backticks", "MATCH (:`é`), (:Zed), (:a), (:`Z`), (:Per), (:Person) RETURN 1",
     ["Per", "Person", "Zed", "`Z`", "`é`", "a"], [], []),
    ("map_literal_values_not_keys", "MATCH (n) RETURN {k: n.v}", [], [], ["v"]),
    ("list_items", "RETURN [n.a, [n.b]]", [], [], ["a", "b"]),
    ("operators", "MATCH (n) WHERE NOT n.a IS NULL AND -n.b < 3 XOR n.c IN [n.d] OR n.e IS NOT NULL "
     "RETURN n.f ^ n.g % 2", [], [], ["a", "b", "c", "d", "e", "f", "g"]),
    ("subscript_and_slice", "RETURN n.a[n.b][n.c .. n.d]", [], [], ["a", "b", "c", "d"]),
    ("function_arguments", "RETURN toUpper(n.name), count(DISTINCT n.x)", [], [], ["name", "x"]),
    ("case_parts", "RETURN CASE n.a WHEN n.b THEN n.c ELSE n.d END", [], [], ["a", "b", "c", "d"]),
    ("list_comprehension_parts", "RETURN [x IN n.a WHERE x.b | x.c]", [], [], ["a", "b", "c"]),
    ("reduce_parts", "RETURN reduce(s = n.a, x IN n.b | s + x.c)", [], [], ["a", "b", "c"]),
    ("pattern_comprehension", "RETURN [(a:A)-[:R]->(b:B {k: 1}) WHERE a.w | b.p]",
     ["A", "B"], ["R"], ["k", "p", "w"]),
    ("shortest_path_expression", "RETURN shortestPath((a:A)-[:R*]-(b:B))", ["A", "B"], ["R"], []),
    ("shortest_path_pattern", "MATCH p = allShortestPaths((a:A)-[:R*]-(b:B {k: 1})) RETURN p",
     ["A", "B"], ["R"], ["k"]),
    ("exists_pattern", "MATCH (n) WHERE EXISTS { (n)-[:R]->(:M {k: 1}) } RETURN n", ["M"], ["R"],
     ["k"]),
    ("count_and_collect_subqueries",
     "RETURN COUNT { MATCH (a:A) RETURN a.x }, COLLECT { MATCH (b:B) RETURN b.y }",
     ["A", "B"], [], ["x", "y"]),
    ("quantifier_list", "RETURN all(x IN n.list WHERE x.flag)", [], [], ["list"]),
    # Keys inside a node property value count; labels and types found there do not.
    ("property_value_keeps_keys_only",
     "MATCH (n {k: [(a:Hidden)-[:HIDDEN]->(b) | b.inner]}) RETURN n", [], [], ["inner", "k"]),
    # Places the walk does not visit.
    ("relationship_property_maps", "MATCH ()-[r:KNOWS {since: 2020}]->() RETURN r", [], ["KNOWS"], []),
    ("with_items", "MATCH (n:Person) WITH n.age AS a RETURN a", ["Person"], [], []),
    ("with_where_order_skip_limit",
     "MATCH (n) WITH n ORDER BY n.a SKIP n.b LIMIT n.c WHERE n.d > 1 RETURN n", [], [], []),
    ("order_by", "MATCH (n) RETURN n ORDER BY n.age", [], [], []),
    ("skip_and_limit", "MATCH (n) RETURN n SKIP n.a LIMIT n.b", [], [], []),
    ("set", "MATCH (n) SET n.x = 1, n:Extra", [], [], []),
    ("remove", "MATCH (n) REMOVE n:Gone, n.y", [], [], []),
    ("delete", "MATCH (n) DETACH DELETE n.z", [], [], []),
    ("foreach", "MATCH (n) FOREACH (x IN n.list | CREATE (:Inside {k: 1}))", [], [], []),
    ("unwind", "UNWIND n.list AS x RETURN x", [], [], []),
    ("procedure_call", "CALL db.labels()", [], [], []),
    ("procedure_arguments_and_yield", "CALL my.proc(n.x) YIELD y RETURN y", [], [], []),
    ("merge_actions", "MERGE (n:A) ON CREATE SET n.c = 1 ON MATCH SET n.m = 2", ["A"], [], []),
    ("path_variable_and_parameter_map", "MATCH p = (n:A $props) RETURN p", ["A"], [], []),
    ("quantifier_predicate", "RETURN any(x IN xs WHERE x.hidden)", [], [], []),
]


@pytest.mark.parametrize("query,labels,types,properties", [row[1:] for row in WALK],
                         ids=[row[0] for row in WALK])
def test_information_walk(query, labels, types, properties):
    info = parse_query(query)
    assert info.is_valid, info.errors
    assert info.labels_used == labels
    assert info.rel_types_used == types
    assert info.properties_used == properties


def test_deeply_chained_query_is_walked():
    query = "RETURN " + " + ".join(["n.x"] * 20000)
    info = parse_query(query)
    assert info.is_valid, info.errors[0][-200:]
    assert info.properties_used == ["x"]
