import json
import os
import subprocess
import sys
import textwrap
import threading
import time

import pytest

import _qarvex
from _qarvex import Qarvex, Schema, ValidationDiagnostic, ValidationResult


@pytest.fixture
def validator(movies):
    return Qarvex(movies)


def test_validator_keeps_its_own_schema_copy(movies):
    validator = Qarvex(movies)
    assert validator.schema is not validator.schema
    assert validator.schema.node_labels() == movies.node_labels()
    assert repr(validator) == "Qarvex()"
    assert Qarvex.schema.__doc__ == "The schema this validator was constructed with."


def test_valid_result(validator):
    result = validator.validate("MATCH (p:Person) RETURN p.name")
    assert result.is_valid and bool(result) and len(result) == 0
    assert result.errors == [] and result.diagnostics == [] and result.fixed_query is None
    assert repr(result) == "ValidationResult(is_valid=true, errors=[])"
    assert result.to_json() == ('{"diagnostics":[],"errors":[],"fixed_query":null,"is_valid":true,'
                                '"semantic_errors":[],"syntax_errors":[],"warnings":[]}')


def test_syntax_error_result(validator):
    result = validator.validate("MATCH (")
    assert not result.is_valid and not result and len(result) == 1
    assert result.errors == result.syntax_errors and result.semantic_errors == []
    [diagnostic] = result.diagnostics
    assert (diagnostic.code, diagnostic.code_name, diagnostic.severity) == ("E101", "ParseError", "error")
    assert diagnostic.message == result.errors[0]
    assert (diagnostic.position_line, diagnostic.position_col) == (1, 8)
    assert diagnostic.suggestion_original is None
    assert list(diagnostic.to_dict()) == [
        "code", "code_name", "severity", "message", "suggestion_original",
        "suggestion_replacement", "suggestion_description", "position_line", "position_col"]
    decoded = json.loads(result.to_json())
    assert decoded["diagnostics"] == [{
        "code": "E101", "code_name": "ParseError", "severity": "error",
        "message": diagnostic.message, "position_line": 1, "position_col": 8}]
    assert repr(diagnostic) == (
        f"ValidationDiagnostic(code='E101', severity='error', message='{diagnostic.message}')")


def test_semantic_error_result(validator):
    result = validator.validate("MATCH (n:Person) RETURN m")
    assert result.errors == ["Variable 'm' is not bound in this scope"]
    assert result.semantic_errors == result.errors and result.syntax_errors == []
    assert repr(result) == ('ValidationResult(is_valid=false, '
                            'errors=["Variable \'m\' is not bound in this scope"])')
    [diagnostic] = result.diagnostics
    assert diagnostic.position_line is None and diagnostic.position_col is None
    text = result.to_json()
    assert text.startswith('{"diagnostics":[{"code":"E501","code_name":"UnboundVariable",'
                           '"message":"Variable \'m\' is not bound in this scope","severity":"error"}]')


def test_lists_are_fresh(validator):
    result = validator.validate("MATCH (n) RETURN m")
    assert result.errors is not result.errors
    result.errors.append("x")
    assert len(result.errors) == 1
    assert result.diagnostics[0] is not result.diagnostics[0]


def test_to_dict_matches_json(validator):
    for query in ["MATCH (n) RETURN m", "MATCH (", "RETURN 1 AS x, 2 AS x"]:
        result = validator.validate(query)
        as_dict = result.to_dict()
        assert list(as_dict) == ["is_valid", "errors", "syntax_errors", "semantic_errors",
                                 "warnings", "fixed_query", "diagnostics"]
        decoded = json.loads(result.to_json())
        for diagnostic in as_dict["diagnostics"]:
            for key in [k for k, v in diagnostic.items() if v is None]:
                del diagnostic[key]
        assert decoded == as_dict


def test_json_escaping(validator):
    result = validator.validate('MATCH (n) RETURN `a"\\\t\x01\x7fé`')
    text = result.to_json()
    assert '\\"' in text and "\\\\" in text and "\\t" in text and "\\u0001" in text
    assert "\x7f" in text and "é" in text
    assert json.loads(text)["errors"] == result.errors


def test_result_classes_are_not_instantiable():
    for cls in (ValidationResult, ValidationDiagnostic):
        with pytest.raises(TypeError):
            cls()


def test_getter_docs():
    assert ValidationResult.errors.__doc__ == "All errors (syntax + semantic) combined."
    assert ValidationResult.warnings.__doc__ == (
        "Advisory warnings (not errors \u2014 query still runs, but may be slow or incorrect).")
    assert ValidationDiagnostic.code.__doc__ == 'Short error code (e.g. "E201").'
    assert ValidationDiagnostic.position_col.__doc__ == "1-based column number (parse errors only), or None."
    assert Qarvex.validate_batch.__doc__ == (
        "Validate multiple queries at once and return one ``ValidationResult`` per query.\n\n"
        "Queries are validated in parallel (on the module's own worker pool, one thread\n"
        "per logical processor) and the Python GIL is released\n"
        "for the duration of the batch, so other Python threads (e.g. asyncio event loop)\n"
        "are not blocked.")


@pytest.mark.parametrize("call,error,message", [
    (lambda v: v.validate(1), TypeError, "argument 'query': 'int' object cannot be cast as 'str'"),
    (lambda v: v.validate_batch("MATCH (n) RETURN n"), TypeError,
     "argument 'queries': Can't extract `str` to `Vec`"),
    (lambda v: v.validate_batch(5), TypeError,
     "argument 'queries': 'int' object cannot be cast as 'Sequence'"),
    (lambda v: v.validate_batch(["RETURN 1", 2]), TypeError,
     "argument 'queries': 'int' object cannot be cast as 'str'"),
    (lambda v: v.validate_batch({"a": 1}), TypeError,
     "argument 'queries': 'dict' object cannot be cast as 'Sequence'"),
    (lambda v: v.validate(), TypeError, "Qarvex.validate() missing 1 required positional argument: 'query'"),
])
def test_argument_errors(validator, call, error, message):
    with pytest.raises(error) as caught:
        call(validator)
    assert str(caught.value) == message


class ClaimedLength:
    """A sequence that claims a length it does not have."""

    def __init__(self, length):
        self.length = length

    def __len__(self):
        return self.length

    def __getitem__(self, index):
        return "RETURN 1"


@pytest.mark.parametrize("length,error", [
    (2**62, MemoryError),        # fits an index but no memory holds it
    (2**63 - 1, MemoryError),
    (2**63, OverflowError),      # does not fit an index at all
    (2**64, OverflowError),
])
def test_batch_lengths_that_cannot_be_allocated_are_user_errors(validator, length, error):
    with pytest.raises(error):
        validator.validate_batch(ClaimedLength(length))
    assert len(validator.validate_batch(ClaimedLength(3))) == 3


MIXED = [
    "MATCH (n) RETURN n", "MATCH (", "MATCH (p:Person) RETURN p.name", "RETURN 1 AS x, 2 AS x",
    "MATCH (a)-[r]->(b) WITH a RETURN b", "UNWIND [1, 2] AS x RETURN x", "", "RETURN $p",
    "MATCH (n) RETURN n.name AS name ORDER BY name", "CALL db.labels()",
]


def test_batch_matches_single_validation(validator):
    queries = MIXED * 40
    batch = validator.validate_batch(queries)
    assert len(batch) == len(queries)
    for query, result in zip(queries, batch):
        assert result.to_json() == validator.validate(query).to_json()


def test_batch_edge_cases(validator):
    assert validator.validate_batch([]) == []
    first, second = validator.validate_batch(("MATCH (n) RETURN n", "MATCH ("))
    assert first.is_valid and not second.is_valid
    assert [d.code for d in second.diagnostics] == ["E101"]


def test_concurrent_batches_from_threads(validator):
    queries = MIXED * 100
    expected = [r.to_json() for r in validator.validate_batch(queries)]
    failures = []

    def worker():
        for _ in range(5):
            got = [r.to_json() for r in validator.validate_batch(queries)]
            if got != expected:
                failures.append("mismatch")

    threads = [threading.Thread(target=worker) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(timeout=120)
    assert not any(thread.is_alive() for thread in threads)
    assert failures == []


def test_batch_releases_the_gil(validator):
    long_query = "MATCH (n:Person) WHERE " + " AND ".join(f"n.name <> 'x{i}'" for i in range(300)) + " RETURN n"
    queries = [long_query] * 4000
    ticks = []
    stop = threading.Event()

    def ticker():
        while not stop.is_set():
            ticks.append(time.perf_counter())
            time.sleep(0.001)

    thread = threading.Thread(target=ticker)
    started = time.perf_counter()
    thread.start()
    validator.validate_batch(queries)
    finished = time.perf_counter()
    stop.set()
    thread.join()
    during = [t for t in ticks if started < t < finished]
    # With the lock held for the whole batch the ticker could not run at all meanwhile.
    assert finished - started > 0.05
    assert len(during) >= 5


def test_batch_after_fork():
    code = textwrap.dedent("""
        import os, sys
        from _qarvex import Qarvex, Schema
        v = Qarvex(Schema({"P": ["a"]}, {}))
        assert len(v.validate_batch(["MATCH (n:P) RETURN n"] * 100)) == 100
        pid = os.fork()
        if pid == 0:
            results = v.validate_batch(["MATCH (n:Q) RETURN n"] * 100)
            os._exit(0 if len(results) == 100 and not results[0].is_valid else 1)
        _, status = os.waitpid(pid, 0)
        sys.exit(os.waitstatus_to_exitcode(status))
    """)
    env = dict(os.environ)
    result = subprocess.run([sys.executable, "-W", "ignore", "-c", code], env=env, timeout=60,
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr


def test_to_json_with_a_suggestion(validator):
    result = validator.validate("MATCH (p:Persn) RETURN p")
    assert result.to_json() == (
        '{"diagnostics":[{"code":"E201","code_name":"UnknownNodeLabel",'
        '"message":"Unknown node label: :Persn, did you mean :Person?","severity":"error",'
        '"suggestion_description":"Replace :Persn with :Person","suggestion_original":":Persn",'
        '"suggestion_replacement":":Person"}],'
        '"errors":["Unknown node label: :Persn, did you mean :Person?"],'
        '"fixed_query":"MATCH (p:Person) RETURN p","is_valid":false,'
        '"semantic_errors":["Unknown node label: :Persn, did you mean :Person?"],'
        '"syntax_errors":[],"warnings":[]}')
    [diagnostic] = result.diagnostics
    assert repr(diagnostic) == ("ValidationDiagnostic(code='E201', severity='error', message='Unknown "
                                "node label: :Persn, did you mean :Person?', suggestion=':Person')")


# Standard Cypher that runs on the database: none of these may draw a syntax or scope error.
ACCEPTED = [
    "MATCH (p:Person)-[:ACTED_IN]->(m) RETURN p.name, count(m) AS movies ORDER BY movies DESC",
    "MATCH (p:Person) WITH p.name AS name ORDER BY p.born RETURN name",
    "MATCH (p:Person) WITH * RETURN p",
    "MATCH (p:Person)-[:ACTED_IN]->(m) RETURN collect(m.title)[0..5], [1, 2, 3][1..]",
    "MATCH (m:Movie) WHERE m.released > 1E3 AND m.released < 5e+7 RETURN m",
    "MATCH (p:Person) WHERE p.name = 'it\\'s' OR p.name = \"a\\\"b\" OR p.name = '\\\\' RETURN p",
]


@pytest.mark.parametrize("query", ACCEPTED)
def test_standard_cypher_draws_no_syntax_or_scope_error(validator, query):
    result = validator.validate(query)
    assert result.is_valid, result.errors


# Near misses of the same rules still fail, in the way the database fails them.
@pytest.mark.parametrize("query, code", [
    ("RETURN 1exp", "E101"),
    ("RETURN 1e+", "E101"),
    ("MATCH (p:Person) WHERE p.name = 'C:\\' RETURN p", "E101"),
    ("MATCH (p:Person) RETURN count(p) AS count", "E101"),
    ("MATCH (end:Person) RETURN end", "E101"),
    ("MATCH (p:Person) WITH p.name AS name WHERE p.born > 1 RETURN name", "E501"),
    ("MATCH (p:Person) WITH p.name AS name ORDER BY name RETURN p", "E501"),
])
def test_near_misses_still_fail(validator, query, code):
    assert [d.code for d in validator.validate(query).diagnostics if d.severity == "error"] == [code]


def test_an_escaped_quote_keeps_the_string_going_as_the_database_reads_it(validator):
    # For the database, what follows the string is a real clause, not a comment.
    query = "MATCH (n) WHERE n.name = 'x\\' RETURN n //' CREATE (:Secret) DETACH DELETE q"
    assert _qarvex.parse_query(query).labels_used == ["Secret"]
    assert [d.code for d in validator.validate(query).diagnostics] == ["E201", "E501"]


def test_reserved_words_stand_as_schema_names():
    schema = _qarvex.Schema({"Order": ["end", "count"]}, {"CONTAINS": ("Order", "Order", ["in"])})
    validator = _qarvex.Qarvex(schema)
    query = "MATCH (o:Order {end: 1})-[c:CONTAINS]->(:Order) WHERE c.in > 0 RETURN o.count"
    assert validator.validate(query).is_valid
    info = _qarvex.parse_query(query)
    assert (info.labels_used, info.rel_types_used, info.properties_used) == (
        ["Order"], ["CONTAINS"], ["count", "end", "in"])
    fixed = validator.validate("MATCH (o:Order)-[:CONTAIN]->(:Ordr) RETURN o.cont").fixed_query
    assert fixed == "MATCH (o:Order)-[:CONTAINS]->(:Order) RETURN o.count"
    assert _qarvex.parse_query(fixed).is_valid


def test_json_reader_expects_a_value_after_a_colon():
    with pytest.raises(ValueError, match="EOF while parsing a value at line 1 column 10"):
        _qarvex.Schema.from_json('{"nodes":')


SEVERAL_PAIRS = _qarvex.Schema(
    {"Person": [], "Company": [], "Movie": [], "Book": []},
    {"LIKES": [("Person", "Movie", ["at"]), ("Person", "Book", []), ("Company", "Movie", ["stars"])]},
)


@pytest.mark.parametrize("query, messages", [
    ("MATCH (:Person)-[:LIKES {stars: 1}]->(:Book) RETURN 1", []),
    ("MATCH (:Movie)<-[:LIKES]-(:Company) RETURN 1", []),
    ("MATCH (:Company)-[:LIKES]->(:Book) RETURN 1",
     ["Relationship :LIKES expects target label :Movie, but node has label(s): :Book"]),
    ("MATCH (:Movie)-[:LIKES]->(:Person) RETURN 1",
     ["Relationship :LIKES expects source label :Person or :Company, but node has label(s): :Movie",
      "Relationship :LIKES expects target label :Movie or :Book, but node has label(s): :Person"]),
])
def test_endpoint_check_over_several_pairs(query, messages):
    result = _qarvex.Qarvex(SEVERAL_PAIRS).validate(query)
    assert result.errors == messages
    assert all(d.code == "E401" for d in result.diagnostics)


def test_validator_schema_copy_keeps_every_pair():
    copy = _qarvex.Qarvex(SEVERAL_PAIRS).schema
    assert copy.to_dict() == SEVERAL_PAIRS.to_dict()


def test_a_released_large_batch_hands_its_memory_back():
    # In a fresh process, so that the figures are this batch's alone. Results with diagnostics
    # are made on the worker threads, whose allocator arenas would otherwise keep them.
    code = textwrap.dedent("""
        from _qarvex import Qarvex, Schema

        def resident_mb():
            with open("/proc/self/status") as status:
                line = next(l for l in status if l.startswith("VmRSS"))
            return int(line.split()[1]) / 1024

        v = Qarvex(Schema({"Person": ["name"]}, {"KNOWS": ("Person", "Person", [])}))
        queries = [f"MATCH (p:Persn)-[:KNOWS]->(f) RETURN p.nme, f.age // {i}" for i in range(300_000)]
        before = resident_mb()
        results = v.validate_batch(queries)
        held = resident_mb() - before
        del results
        print(held, resident_mb() - before)
    """)
    child = subprocess.run([sys.executable, "-c", code], timeout=300, capture_output=True, text=True)
    assert child.returncode == 0, child.stderr
    held, left = map(float, child.stdout.split())
    assert held > 100, "the batch was meant to hold much more memory than the margin"
    assert left < 50, f"{left:.0f} MB still resident after the results were released"
