"""Read-only mode and the procedure allow-list: QueryInfo.updates and .procedures, the options
of Qarvex with their errors, properties, repr and pickling, validate_batch, and the flags of
`qarvex check`; over the corpus, updates agrees with a careful text scan."""
import copy
import io
import pickle
import re

import pytest

import _qarvex
from _qarvex import Qarvex, Schema, parse_query
from corpus import CORPUS, records
from qarvex import cli
from qarvex._locate import Locator

DIALECTS = ["core", "neo4j"]
ALL = ("core", "neo4j")
NEO4J = ("neo4j",)

# Queries that look like writes to a keyword search, and are not.
LOOKALIKES = [
    ("MATCH (n:Person) WHERE n.name = 'CREATE (m)' RETURN n", ALL),
    ("MATCH (n:Person) WHERE n.name CONTAINS \"DETACH DELETE\" RETURN n", ALL),
    ("MATCH (n) // DELETE n\nRETURN n", ALL),
    ("MATCH (n) /* SET n.x = 1 */ RETURN n", ALL),
    ("MATCH (`CREATE`:Person) RETURN `CREATE`", ALL),
    ("MATCH (n) RETURN n.`x // CREATE (m)`", ALL),
    ("MATCH (n:Person) RETURN n.create, n.delete, n.merge", ALL),
    ("MATCH (n {merge: 1, set: 2}) RETURN n", ALL),
    ("MATCH (n:Remove)-[:SET]->(m:Create) RETURN n", ALL),
    (r"RETURN 'x\' CREATE (n) //'", ALL),  # the quote is escaped: CREATE is in the string
    ("MATCH (n) RETURN n.x AS `FOREACH`", ALL),
    ("MATCH (n) WHERE n:Create RETURN n", NEO4J),
    ("WITH 1 AS create RETURN create", NEO4J),
]

# Writes that hide from a keyword search, with the clauses read-only mode reports, in order.
HIDDEN_WRITES = [
    ("CALL { CREATE (n:Person) } RETURN 1", ["CREATE"], ALL),
    ("FOREACH (x IN [1, 2] | CREATE (:Person {name: x}))", ["FOREACH", "CREATE"], ALL),
    ("MATCH (n) WHERE EXISTS { MATCH (n) SET n.x = 1 } RETURN n", ["SET"], NEO4J),
    ("MATCH (n) RETURN COUNT { MATCH (m) CREATE (k) RETURN k } AS c", ["CREATE"], ALL),
    ("MATCH (n) RETURN n.x AS x UNION MATCH (m) SET m.x = 1 RETURN m.x AS x", ["SET"], ALL),
    ("MERGE (p:Person {name: 'a'}) ON MATCH SET p.born = 1 ON CREATE SET p.born = 2",
     ["MERGE"], ALL),
    ("match (n) detach delete n", ["DETACH DELETE"], ALL),
    ("MATCH (n) DETACH /* both */ DELETE n", ["DETACH DELETE"], ALL),
    ("MATCH (n) DETACH\n// a comment\nDELETE n", ["DETACH DELETE"], ALL),
    ("MATCH (n) NODETACH DELETE n", ["NODETACH DELETE"], NEO4J),
    ("MATCH (n) REMOVE n:Person", ["REMOVE"], ALL),
    (r"WITH 'x\\' AS s CREATE (n) //'", ["CREATE"], ALL),  # the backslash is escaped
    ("MATCH (a) CREATE (b) WITH b MATCH (c) MERGE (c)-[:R]->(b) DELETE a", ["CREATE", "MERGE",
                                                                             "DELETE"], ALL),
    ("MATCH (n) CALL (n) { SET n.x = 1 } IN TRANSACTIONS OF 10 ROWS",
     ["CALL { ... } IN TRANSACTIONS", "SET"], NEO4J),
    ("CALL { MATCH (n) RETURN n } IN TRANSACTIONS RETURN n", ["CALL { ... } IN TRANSACTIONS"],
     NEO4J),
]

# Procedure calls and the names QueryInfo.procedures gives.
PROCEDURES = [
    ("CALL db.labels()", ["db.labels"], ALL),
    ("CALL db.labels() YIELD label RETURN label", ["db.labels"], ALL),
    ("CALL db.labels", ["db.labels"], NEO4J),
    ("CALL myproc()", ["myproc"], ALL),
    ("CALL `db`.`labels`() YIELD label RETURN label", ["db.labels"], ALL),
    ("CALL `my.proc`()", ["`my.proc`"], ALL),
    ("CALL db.index.fulltext.queryNodes('i', 'q') YIELD node RETURN node",
     ["db.index.fulltext.queryNodes"], ALL),
    ("CALL b.x() YIELD a CALL a.y() YIELD b CALL b.x() YIELD c RETURN a, b, c",
     ["a.y", "b.x"], ALL),
    ("CALL { CALL db.labels() YIELD label RETURN label } RETURN label", ["db.labels"], ALL),
    ("MATCH (n) RETURN COUNT { CALL apoc.x() YIELD v RETURN v } AS c", ["apoc.x"], ALL),
    ("MATCH (n) RETURN 'CALL db.labels()' AS text", [], ALL),
]


def cases(table):
    return [pytest.param(*row[:-1], dialect, id=f"{dialect}:{row[0][:40]}")
            for row in table for dialect in row[-1]]


@pytest.fixture
def schema():
    return Schema({"Person": ["name", "born"]}, {"R": ("Person", "Person", [])})


def guarded_codes(schema, query, dialect, **options):
    result = Qarvex(schema, dialect=dialect, **options).validate(query)
    assert not result.syntax_errors, result.syntax_errors
    return [d.message for d in result.diagnostics if d.code in ("E701", "E702")]


@pytest.mark.parametrize("query, dialect", cases(LOOKALIKES))
def test_a_lookalike_is_no_update(schema, query, dialect):
    info = parse_query(query, dialect=dialect)
    assert info.is_valid and not info.updates
    assert guarded_codes(schema, query, dialect, read_only=True) == []


@pytest.mark.parametrize("query, clauses, dialect", cases(HIDDEN_WRITES))
def test_a_hidden_write_is_found_and_refused_at_each_clause(schema, query, clauses, dialect):
    assert parse_query(query, dialect=dialect).updates
    expected = [f"Clause {clause} is not allowed in read-only mode" for clause in clauses]
    assert guarded_codes(schema, query, dialect, read_only=True) == expected
    assert guarded_codes(schema, query, dialect) == []


def test_load_csv_reads_but_is_refused_in_read_only_mode(schema):
    query = "LOAD CSV WITH HEADERS FROM 'file:///people.csv' AS row RETURN row.name"
    assert not parse_query(query, dialect="neo4j").updates
    assert guarded_codes(schema, query, "neo4j", read_only=True) == [
        "Clause LOAD CSV is not allowed in read-only mode"]
    assert guarded_codes(schema, query, "neo4j") == []


@pytest.mark.parametrize("query, names, dialect", cases(PROCEDURES))
def test_procedures_are_listed_by_full_name_sorted_once_each(schema, query, names, dialect):
    info = parse_query(query, dialect=dialect)
    assert (info.procedures, info.updates) == (names, False)
    refused = guarded_codes(schema, query, dialect, allowed_procedures=[])
    assert sorted(set(refused)) == [f"Procedure {name} is not allowed" for name in names]
    assert guarded_codes(schema, query, dialect, allowed_procedures=names) == []


ALLOWS = [
    (["db.labels"], "CALL db.labels()", []),
    (["db.*"], "CALL db.labels()", []),
    (["db.*"], "CALL db.index.fulltext.queryNodes('i', 'q') YIELD node RETURN node", []),
    (["db.*"], "CALL dbms.listQueries()", ["dbms.listQueries"]),
    (["db.*"], "CALL db()", ["db"]),
    (["db.index.*"], "CALL db.labels()", ["db.labels"]),
    (["db.labels"], "CALL DB.LABELS()", ["DB.LABELS"]),  # names are case-sensitive
    (["db.labels"], "CALL db.labelsX()", ["db.labelsX"]),
    (["apoc.meta.data"],
     "CALL apoc.meta.data() YIELD value CALL apoc.cypher.run('x', {}) YIELD value AS v "
     "CALL apoc.cypher.run('y', {}) YIELD value AS w RETURN v, w",
     ["apoc.cypher.run", "apoc.cypher.run"]),
]


@pytest.mark.parametrize("dialect", DIALECTS)
@pytest.mark.parametrize("allowed, query, refused", ALLOWS)
def test_the_allow_list_takes_names_and_namespaces(schema, dialect, allowed, query, refused):
    expected = [f"Procedure {name} is not allowed" for name in refused]
    assert guarded_codes(schema, query, dialect, allowed_procedures=allowed) == expected


@pytest.mark.parametrize("dialect", DIALECTS)
def test_guardrail_errors_stand_in_text_order_with_the_others(schema, dialect):
    query = ("MATCH (p:Persn) CALL x.y(p) YIELD v CREATE (q:Persn) "
             "MERGE (r:Person) ON CREATE SET r.born = COUNT { CALL z.w() YIELD u RETURN u } "
             "RETURN p")
    result = Qarvex(schema, dialect=dialect, read_only=True,
                    allowed_procedures={"z.*"}).validate(query)
    assert [(d.code, d.severity, d.suggestion_original) for d in result.diagnostics
            if d.code[1] == "7"] == [("E702", "error", None), ("E701", "error", None),
                                     ("E701", "error", None)]
    assert [d.code for d in result.diagnostics] == ["E201", "E702", "E701", "E201", "E701"]
    assert result.errors[1:3] == ["Procedure x.y is not allowed",
                                  "Clause CREATE is not allowed in read-only mode"]
    # An error without a suggestion leaves no corrected query: the corrected one is refused too.
    assert result.fixed_query is None


@pytest.mark.parametrize("dialect", DIALECTS)
def test_the_defaults_change_nothing(schema, dialect):
    queries = [row[0] for row in LOOKALIKES + HIDDEN_WRITES + PROCEDURES]
    plain = Qarvex(schema, dialect=dialect).validate_batch(queries)
    given = Qarvex(schema, dialect=dialect, read_only=False,
                   allowed_procedures=None).validate_batch(queries)
    assert [r.to_json() for r in given] == [r.to_json() for r in plain]


def test_validate_batch_gives_what_validate_gives(schema):
    validator = Qarvex(schema, dialect="neo4j", read_only=True, allowed_procedures=["db.*"])
    queries = [row[0] for row in LOOKALIKES + HIDDEN_WRITES + PROCEDURES] * 3
    batch = validator.validate_batch(queries)
    assert [r.to_json() for r in batch] == [validator.validate(q).to_json() for q in queries]
    assert sum(not r.is_valid for r in batch) > len(HIDDEN_WRITES)


SETTINGS = [
    ({}, "Qarvex()", False, None),
    ({"dialect": "neo4j"}, "Qarvex(dialect='neo4j')", False, None),
    ({"read_only": True}, "Qarvex(read_only=True)", True, None),
    ({"allowed_procedures": []}, "Qarvex(allowed_procedures=())", False, ()),
    ({"dialect": "neo4j", "read_only": True, "allowed_procedures": iter(["db.*", "a'b", "db.*"])},
     "Qarvex(dialect='neo4j', read_only=True, allowed_procedures=(\"a'b\", 'db.*'))", True,
     ("a'b", "db.*")),
    ({"allowed_procedures": frozenset({"zé.x", "z.y"})},
     "Qarvex(allowed_procedures=('z.y', 'zé.x'))", False, ("z.y", "zé.x")),
]


@pytest.mark.parametrize("options, shown, read_only, allowed", SETTINGS)
def test_the_settings_show_in_properties_repr_and_copies(schema, options, shown, read_only,
                                                         allowed):
    validator = Qarvex(schema, **options)
    assert (repr(validator), validator.read_only, validator.allowed_procedures) == (
        shown, read_only, allowed)
    for copied in (pickle.loads(pickle.dumps(validator)), copy.deepcopy(validator),
                   pickle.loads(pickle.dumps(validator, protocol=0))):
        assert (repr(copied), copied.read_only, copied.allowed_procedures) == (
            shown, read_only, allowed)
        query = "MATCH (n) CALL db.labels() YIELD label SET n.x = label"
        assert copied.validate(query).to_json() == validator.validate(query).to_json()
    with pytest.raises(AttributeError):
        validator.read_only = True


def test_the_payload_names_only_the_options_given(schema):
    restore, (schema_json, options) = Qarvex(schema).__reduce__()
    assert options == {"dialect": "core"}  # as before, so older versions read it
    _, (_, options) = Qarvex(schema, read_only=True, allowed_procedures=["b", "a"]).__reduce__()
    assert options == {"dialect": "core", "read_only": True, "allowed_procedures": ("a", "b")}
    restored = restore(schema_json, {"dialect": "neo4j"})
    assert (restored.read_only, restored.allowed_procedures) == (False, None)


BAD_PAYLOADS = [
    ({"read_only": 1}, "Cannot restore Qarvex: read_only must be a bool"),
    ({"allowed_procedures": ["a"]}, "Cannot restore Qarvex: allowed_procedures must be a tuple"),
    ({"allowed_procedures": ("",)},
     "Cannot restore Qarvex: allowed_procedures holds an empty procedure name"),
    ({"allowed_procedures": (1,)}, "Cannot restore Qarvex: allowed_procedures must be a str"),
]


@pytest.mark.parametrize("options, message", BAD_PAYLOADS)
def test_a_malformed_options_payload_is_a_clear_error(schema, options, message):
    restore, (schema_json, _) = Qarvex(schema).__reduce__()
    with pytest.raises(ValueError) as error:
        restore(schema_json, options)
    assert str(error.value) == message


ARGUMENT_ERRORS = [
    ({"read_only": 1}, TypeError, "argument 'read_only': 'int' object cannot be cast as 'bool'"),
    ({"read_only": None}, TypeError,
     "argument 'read_only': 'NoneType' object cannot be cast as 'bool'"),
    ({"allowed_procedures": "db.labels"}, TypeError,
     "argument 'allowed_procedures': expected an iterable of str, not a single str"),
    ({"allowed_procedures": 3}, TypeError,
     "argument 'allowed_procedures': 'int' object is not iterable"),
    ({"allowed_procedures": ["db.labels", b"x"]}, TypeError,
     "argument 'allowed_procedures': 'bytes' object cannot be cast as 'str'"),
    ({"allowed_procedures": [""]}, ValueError, "allowed_procedures: '': an empty procedure name"),
    ({"allowed_procedures": ["*"]}, ValueError,
     "allowed_procedures: '*': a '*' may only end a namespace, as in 'db.*'"),
    ({"allowed_procedures": ["db*"]}, ValueError,
     "allowed_procedures: 'db*': a '*' may only end a namespace, as in 'db.*'"),
    ({"allowed_procedures": ["a.*.b"]}, ValueError,
     "allowed_procedures: 'a.*.b': a '*' may only end a namespace, as in 'db.*'"),
]


@pytest.mark.parametrize("options, error, message", ARGUMENT_ERRORS)
def test_bad_options_raise_clear_errors(schema, options, error, message):
    with pytest.raises(error) as caught:
        Qarvex(schema, **options)
    assert str(caught.value) == message


def test_the_options_are_keyword_only(schema):
    with pytest.raises(TypeError, match="positional"):
        Qarvex(schema, "core", True)


@pytest.mark.parametrize("query", ["CALL db.labels() YIELD label CREATE (n {x: label})",
                                   "MATCH (n RETURN n", "MERGE (n) ON MATCH SET n.x = 1"])
def test_query_info_keeps_the_new_fields_through_pickle(query):
    info = parse_query(query, dialect="neo4j")
    for copied in (pickle.loads(pickle.dumps(info)), copy.copy(info)):
        assert (copied.updates, copied.procedures, repr(copied)) == (
            info.updates, info.procedures, repr(info))


@pytest.mark.parametrize("is_valid, updates", [(True, True), (False, False)])
def test_an_old_query_info_payload_still_restores(is_valid, updates):
    # Five fields, as before updates and procedures: a query that parsed is taken to update.
    old = _qarvex._restore_query_info(is_valid, (), ("Person",), (), ("name",))
    assert (old.is_valid, old.labels_used, old.properties_used) == (is_valid, ["Person"], ["name"])
    assert (old.updates, old.procedures) == (updates, [])


def test_the_repr_of_query_info_is_unchanged():
    info = parse_query("CALL db.labels() YIELD label CREATE (n:A {x: label})")
    assert repr(info) == ('QueryInfo(is_valid=true, labels=["A"], rel_types=[], properties=["x"], '
                          'errors=[])')


LOCATIONS = [
    ("MATCH (n) WITH n.create AS c\n  DETACH /* x */ DELETE n", "E701", "DETACH /*"),
    ("MATCH (n) SET n.x = 1", "E701", "SET n.x"),
    ("MATCH (n:Create) CALL db.labels() YIELD label CREATE (m)", "E701", "CREATE (m)"),
    ("MATCH (n) WITH n CALL apoc.x() YIELD v RETURN v", "E702", "apoc.x()"),
    ("MATCH (n) CALL (n) { SET n.x = {a: 1} }\n  IN TRANSACTIONS", "E701", "CALL (n)"),
]


@pytest.mark.parametrize("query, code, at", LOCATIONS)
def test_a_guardrail_error_points_at_its_clause(schema, query, code, at):
    validator = Qarvex(schema, dialect="neo4j", read_only=True, allowed_procedures=["db.*"])
    diagnostic = next(d for d in validator.validate(query).diagnostics if d.code == code)
    offset = Locator(query).offset(diagnostic.code, diagnostic.message)
    assert query[offset:].startswith(at), (query, offset)


def test_the_check_command_takes_the_guardrail_flags(tmp_path, monkeypatch):
    (tmp_path / "schema.json").write_text('{"nodes":{"Person":["name"]},"relationships":{}}')
    (tmp_path / "q.cypher").write_text("MATCH (p:Person) RETURN p.name;\n"
                                       "CALL db.labels() YIELD label RETURN label;\n"
                                       "CALL apoc.meta.data() YIELD value RETURN value;\n"
                                       "MATCH (p:Person)\nSET p.name = 'x';\n")
    args = ["check", "--schema", str(tmp_path / "schema.json"), str(tmp_path / "q.cypher")]
    outputs = []
    for extra in ([], ["--read-only"], ["--allow-procedure", "db.*", "--allow-procedure", "x"],
                  ["--read-only", "--allow-procedure", "db.*", "--dialect", "neo4j"]):
        out, err = io.StringIO(), io.StringIO()
        monkeypatch.setattr("sys.stdout", out)
        monkeypatch.setattr("sys.stderr", err)
        outputs.append((cli.main([*args, *extra]), out.getvalue().replace(str(tmp_path), "")))
    refused_set = "/q.cypher:5:1: error: Clause SET is not allowed in read-only mode [E701]\n"
    refused_apoc = ("/q.cypher:3:6: error: Procedure apoc.meta.data is not allowed [E702]\n")
    assert outputs == [(0, ""), (1, refused_set), (1, refused_apoc),
                       (1, refused_apoc + refused_set)]


# ---- the corpus against a text scan ----------------------------------------------------------

UPDATING_WORDS = ("CREATE", "MERGE", "SET", "REMOVE", "DELETE", "FOREACH")
_LEXEMES = re.compile(r"""
    '(?:[^'\\]|\\.)*'?        # a string in single quotes, backslash escapes included
  | "(?:[^"\\]|\\.)*"?        # in double quotes
  | `(?:[^`]|``)*`?           # a backtick name, doubled backticks included
  | //[^\n]*                  # a line comment
  | /\*(?:.|\n)*?(?:\*/|$)    # a block comment
""", re.VERBOSE)
_UPDATING = re.compile(r"(?<![.:\w$])\s*\b(" + "|".join(UPDATING_WORDS) + r")\b(?!\s*:)", re.I)


def scan_updates(query):
    """Whether an updating keyword stands in the query as a word outside strings, comments and
    backtick names, and not as a property key (after '.', before ':') or a label (after ':')."""
    code = _LEXEMES.sub(" ", query)
    return any(not re.search(r"[.:$]\s*$", code[:m.start(1)]) for m in _UPDATING.finditer(code))


def corpus_queries():
    for name in ("neo4j-text2cypher.jsonl", "tck-queries.jsonl"):
        for record in records(name):
            yield name, record["query"]


@pytest.mark.skipif(not CORPUS.is_dir(), reason="the shared corpus is not present")
@pytest.mark.parametrize("dialect", DIALECTS)
def test_updates_agree_with_a_text_scan_over_the_corpus(dialect):
    flagged_without = []
    missed_in_tck = []
    for name, query in corpus_queries():
        info = parse_query(query, dialect=dialect)
        if not info.is_valid:
            continue
        scanned = scan_updates(query)
        if info.updates and not scanned:
            flagged_without.append(query)
        if name == "tck-queries.jsonl" and scanned and not info.updates:
            missed_in_tck.append(query)
    assert flagged_without == []
    assert missed_in_tck == []


@pytest.mark.parametrize("query, expected", [
    ("MATCH (n) SET n.x = 1", True), ("MATCH (n) RETURN n.set", False),
    ("MATCH (n:Create) RETURN n", False), ("RETURN {create: 1}", False),
    (r"RETURN 'x\' CREATE (n) //'", False), (r"WITH 'x\\' AS s CREATE (n) //'", True),
    ("MATCH (n) /* DELETE */ RETURN `MERGE`", False), ("match (n) detach delete n", True),
])
def test_the_text_scan_itself(query, expected):
    assert scan_updates(query) is expected
