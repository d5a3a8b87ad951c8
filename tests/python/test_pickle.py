"""Every object pickles and copies: the copy reads, prints and serialises like the original, a
generator continues its sequence, and a malformed payload raises a clear ValueError."""
import copy
import pickle

import pytest

import _qarvex
from _qarvex import CypherGenerator, Qarvex, Schema, parse_query

COPIES = [
    pytest.param(lambda o: pickle.loads(pickle.dumps(o)), id="pickle"),
    pytest.param(lambda o: pickle.loads(pickle.dumps(o, protocol=0)), id="pickle-protocol-0"),
    pytest.param(copy.copy, id="copy"),
    pytest.param(copy.deepcopy, id="deepcopy"),
]

RESULT_QUERIES = [
    "MATCH (p:Person) RETURN p.name",
    "MATCH (p:Persn)-[:ACTED_IN]->(m:Movie) RETURN m.titel",
    "MATCH (p:Person RETURN p",
    "MATCH (p:Person), (m:Movie) RETURN p, m LIMIT 'x'",
    "MATCH (n) RETURN n",
    "RETURN 'nul\x00 and ünïcödé'",
]

RESULT_ATTRIBUTES = ["is_valid", "errors", "syntax_errors", "semantic_errors", "warnings",
                     "fixed_query"]


def same_result(copied, original):
    assert type(copied) is type(original)
    assert copied.to_json() == original.to_json()
    assert copied.to_dict() == original.to_dict()
    assert repr(copied) == repr(original)
    assert (bool(copied), len(copied)) == (bool(original), len(original))
    for name in RESULT_ATTRIBUTES:
        assert getattr(copied, name) == getattr(original, name), name
    assert [repr(d) for d in copied.diagnostics] == [repr(d) for d in original.diagnostics]


@pytest.mark.parametrize("make_copy", COPIES)
@pytest.mark.parametrize("query", RESULT_QUERIES)
def test_results_and_diagnostics_copy_exactly(movies, make_copy, query):
    original = Qarvex(movies).validate(query)
    same_result(make_copy(original), original)
    for diagnostic in original.diagnostics:
        copied = make_copy(diagnostic)
        assert copied.to_dict() == diagnostic.to_dict() and repr(copied) == repr(diagnostic)


def test_the_corpus_of_payload_shapes_is_covered(movies):
    # The table above reaches each payload part: suggestion, position, fixed query, warning.
    results = Qarvex(movies).validate_batch(RESULT_QUERIES)
    diagnostics = [d for r in results for d in r.diagnostics]
    assert any(d.suggestion_original for d in diagnostics)
    assert any(d.position_line for d in diagnostics)
    assert any(d.severity == "warning" for d in diagnostics)
    assert any(r.fixed_query for r in results)


@pytest.mark.parametrize("make_copy", COPIES)
def test_schema_and_validator_copy_through_the_json_form(movies, make_copy):
    schema = make_copy(movies)
    assert schema is not movies and schema.to_json() == movies.to_json()
    assert repr(schema) == repr(movies)
    validator = make_copy(Qarvex(movies))
    assert validator.schema.to_json() == movies.to_json()
    query = "MATCH (p:Persn) RETURN p.nme"
    assert validator.validate(query).to_json() == Qarvex(movies).validate(query).to_json()


@pytest.mark.parametrize("make_copy", COPIES)
def test_a_validator_keeps_its_dialect(movies, make_copy):
    validator = make_copy(Qarvex(movies, dialect="neo4j"))
    assert (validator.dialect, repr(validator)) == ("neo4j", "Qarvex(dialect='neo4j')")
    query = "MATCH (p:Person) WHERE COUNT { (p)-->() } > 1 RETURN p.name AS count"
    assert validator.validate(query).is_valid


@pytest.mark.parametrize("make_copy", COPIES)
def test_query_info_copies_exactly(make_copy):
    for query in ["MATCH (a:A)-[:R]->(b:B) RETURN a.x, b.y", "MATCH (a RETURN a"]:
        original = parse_query(query)
        copied = make_copy(original)
        assert repr(copied) == repr(original) and bool(copied) == bool(original)
        for name in ["errors", "labels_used", "rel_types_used", "properties_used"]:
            assert getattr(copied, name) == getattr(original, name)


@pytest.mark.parametrize("make_copy", COPIES)
@pytest.mark.parametrize("seed", [0, 7, None])
def test_a_copied_generator_continues_the_same_sequence(movies, make_copy, seed):
    generator = CypherGenerator(movies, seed)
    generator.generate_batch("create_relationship", 5)
    copied = make_copy(generator)
    for query_type in CypherGenerator.supported_types():
        assert copied.generate_batch(query_type, 3) == generator.generate_batch(query_type, 3)


def test_a_copied_generator_is_independent(movies):
    generator = CypherGenerator(movies, 1)
    copied = copy.copy(generator)
    first = copied.generate("create")
    assert generator.generate("create") == first  # the copy drew nothing from the original


def test_the_validator_payload_is_its_schema_and_a_dict_of_options(movies):
    restore, (schema_json, options) = Qarvex(movies).__reduce__()
    assert restore is _qarvex._restore_qarvex and schema_json == movies.to_json()
    assert options == {"dialect": "core"}
    assert _qarvex._restore_qarvex(schema_json, {}).schema.to_json() == schema_json


def test_restore_functions_live_in_the_module_but_are_not_exported():
    names = [name for name in dir(_qarvex) if name.startswith("_restore_")]
    assert sorted(names) == sorted([
        "_restore_schema", "_restore_qarvex", "_restore_validation_result",
        "_restore_validation_diagnostic", "_restore_cypher_generator", "_restore_query_info"])
    for name in names:
        assert getattr(_qarvex, name).__module__ == "_qarvex" and name not in _qarvex.__all__


SCHEMA_JSON = '{"nodes":{"A":[]},"relationships":{}}'
STATE = (1, 2, 3, 4)
DIAGNOSTIC = ("E201", "Unknown node label: :B", (":B", ":A", "Replace :B with :A"), None)

MALFORMED = [
    (lambda: _qarvex._restore_schema(7), "Cannot restore Schema: json_text must be a str"),
    (lambda: _qarvex._restore_schema("{"), "Invalid Schema JSON: "),
    (lambda: _qarvex._restore_qarvex(SCHEMA_JSON, []),
     "Cannot restore Qarvex: options must be a dict"),
    (lambda: _qarvex._restore_qarvex(SCHEMA_JSON, {"colour": True}),
     "Cannot restore Qarvex: options has an unknown option 'colour'"),
    (lambda: _qarvex._restore_qarvex(SCHEMA_JSON, {"dialect": "cypher5"}),
     "Unknown dialect: 'cypher5'; expected 'core' or 'neo4j'"),
    (lambda: _qarvex._restore_qarvex(SCHEMA_JSON, {"dialect": 1}),
     "Cannot restore Qarvex: the dialect must be a str"),
    (lambda: _qarvex._restore_validation_result([], None),
     "Cannot restore ValidationResult: diagnostics must be a tuple"),
    (lambda: _qarvex._restore_validation_result((DIAGNOSTIC[:3],), None),
     "Cannot restore ValidationResult: each diagnostic must be a tuple of 4 items"),
    (lambda: _qarvex._restore_validation_result((), b"MATCH"),
     "Cannot restore ValidationResult: fixed_query must be a str"),
    (lambda: _qarvex._restore_validation_diagnostic("E999", "m", None, None),
     "Cannot restore ValidationDiagnostic: code is not a diagnostic code: 'E999'"),
    (lambda: _qarvex._restore_validation_diagnostic("W101", "m", ("a", "b", "c"), None),
     "Cannot restore ValidationDiagnostic: suggestion is not possible for W101"),
    (lambda: _qarvex._restore_validation_diagnostic("E201", "m", ("a", "b"), None),
     "Cannot restore ValidationDiagnostic: suggestion must be a tuple of 3 items"),
    (lambda: _qarvex._restore_validation_diagnostic("E201", "m", None, (1, 2)),
     "Cannot restore ValidationDiagnostic: position is not possible for E201"),
    (lambda: _qarvex._restore_validation_diagnostic("E101", "m", None, (0, 2)),
     "Cannot restore ValidationDiagnostic: position must count lines and columns from 1"),
    (lambda: _qarvex._restore_validation_diagnostic("E101", "m", None, (1, -2)),
     "Cannot restore ValidationDiagnostic: position column must be an int from 0 to 2**64-1"),
    (lambda: _qarvex._restore_validation_diagnostic("E101", "m", None, (True, 2)),
     "Cannot restore ValidationDiagnostic: position line must be an int"),
    (lambda: _qarvex._restore_cypher_generator(SCHEMA_JSON, (0, 0, 0, 0)),
     "Cannot restore CypherGenerator: state must not be all zero"),
    (lambda: _qarvex._restore_cypher_generator(SCHEMA_JSON, (1, 2, 3)),
     "Cannot restore CypherGenerator: state must be a tuple of 4 items"),
    (lambda: _qarvex._restore_cypher_generator(SCHEMA_JSON, (1, 2, 3, 2**64)),
     "Cannot restore CypherGenerator: state must be an int from 0 to 2**64-1"),
    (lambda: _qarvex._restore_query_info(1, (), (), (), ()),
     "Cannot restore QueryInfo: is_valid must be a bool"),
    (lambda: _qarvex._restore_query_info(True, (), ("A", 2), (), ()),
     "Cannot restore QueryInfo: labels_used must be a str"),
]


@pytest.mark.parametrize("restore,message", MALFORMED, ids=[m for _, m in MALFORMED])
def test_a_malformed_payload_raises_a_clear_value_error(restore, message):
    with pytest.raises(ValueError) as caught:
        restore()
    assert str(caught.value).startswith(message)


def test_another_class_payload_is_refused(movies):
    _, schema_payload = movies.__reduce__()
    with pytest.raises(TypeError, match=r"_restore_validation_result\(\) missing 1 required"):
        _qarvex._restore_validation_result(*schema_payload)
    _, info_payload = parse_query("RETURN 1").__reduce__()
    with pytest.raises(TypeError, match=r"_restore_schema\(\) takes 1 positional arguments"):
        _qarvex._restore_schema(*info_payload)


def test_valid_payloads_restore(movies):
    diagnostic = _qarvex._restore_validation_diagnostic(*DIAGNOSTIC)
    assert (diagnostic.code, diagnostic.severity, diagnostic.suggestion_replacement) == \
        ("E201", "error", ":A")
    result = _qarvex._restore_validation_result((DIAGNOSTIC,), "MATCH (a:A) RETURN a")
    assert not result.is_valid and result.errors == ["Unknown node label: :B"]
    generator = _qarvex._restore_cypher_generator(SCHEMA_JSON, STATE)
    assert generator.__reduce__()[1] == (SCHEMA_JSON, STATE)
