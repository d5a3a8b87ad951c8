"""Every public name of qarvex, used once with the types the stub promises. mypy --strict checks
it statically (tests/python/test_typing.py); the same test runs it, so that the values at run
time have the types asserted here."""
from typing import Literal, assert_type

import _qarvex
import qarvex
from qarvex import (
    CypherGenerator,
    QueryInfo,
    Qarvex,
    Schema,
    ValidationDiagnostic,
    ValidationResult,
    parse_query,
    schema_from_apoc,
    schema_from_neo4j,
)


def check(value: object, kind: type | tuple[type, ...]) -> None:
    assert isinstance(value, kind), f"{value!r} is not a {kind}"


def schema_surface() -> Schema:
    schema = Schema({"Person": ["name", "born"], "Movie": ["title"], "Book": []},
                    {"ACTED_IN": ("Person", "Movie", ["roles"]),
                     "LIKES": [("Person", "Movie", []), ("Person", "Book", ["stars"])]})
    check(assert_type(schema.node_labels(), list[str]), list)
    check(assert_type(schema.rel_types(), list[str]), list)
    check(assert_type(schema.has_node_label("Person"), bool), bool)
    check(assert_type(schema.has_rel_type("ACTED_IN"), bool), bool)
    check(assert_type(schema.node_properties("Person"), list[str]), list)
    check(assert_type(schema.rel_properties("ACTED_IN"), list[str]), list)
    endpoints = assert_type(schema.rel_endpoints("ACTED_IN"), tuple[str, str] | None)
    assert endpoints == ("Person", "Movie")
    assert schema.rel_endpoints("NOPE") is None
    pairs = assert_type(schema.rel_endpoint_pairs("LIKES"), list[tuple[str, str]])
    assert pairs == [("Person", "Movie"), ("Person", "Book")]
    as_dict = schema.to_dict()
    check(assert_type(as_dict["nodes"], dict[str, list[str]]), dict)
    check(assert_type(as_dict["relationships"],
                      dict[str, tuple[str, str, list[str]] | list[tuple[str, str, list[str]]]]),
          dict)
    check(assert_type(Schema(**as_dict), Schema), Schema)
    check(assert_type(Schema.from_dict(as_dict), Schema), Schema)
    check(assert_type(Schema.from_json(assert_type(schema.to_json(), str)), Schema), Schema)
    check(assert_type(schema.merge(Schema({}, {})), Schema), Schema)
    for text in (schema.to_prompt(), schema.to_markdown(), schema.to_cypher_context()):
        check(assert_type(text, str), str)
    return schema


def diagnostic_surface(diagnostic: ValidationDiagnostic) -> None:
    check(assert_type(diagnostic.code, str), str)
    check(assert_type(diagnostic.code_name, str), str)
    severity = assert_type(diagnostic.severity, Literal["error", "warning"])
    assert severity in ("error", "warning")
    check(assert_type(diagnostic.message, str), str)
    check(assert_type(diagnostic.suggestion_original, str | None), (str, type(None)))
    check(assert_type(diagnostic.suggestion_replacement, str | None), (str, type(None)))
    check(assert_type(diagnostic.suggestion_description, str | None), (str, type(None)))
    check(assert_type(diagnostic.position_line, int | None), (int, type(None)))
    check(assert_type(diagnostic.position_col, int | None), (int, type(None)))
    as_dict = diagnostic.to_dict()
    check(assert_type(as_dict["code"], str), str)
    assert_type(as_dict["severity"], Literal["error", "warning"])
    check(assert_type(as_dict["position_line"], int | None), (int, type(None)))


def result_surface(result: ValidationResult) -> None:
    check(assert_type(result.is_valid, bool), bool)
    for texts in (result.errors, result.syntax_errors, result.semantic_errors, result.warnings):
        check(assert_type(texts, list[str]), list)
    check(assert_type(result.fixed_query, str | None), (str, type(None)))
    check(assert_type(bool(result), bool), bool)
    check(assert_type(len(result), int), int)
    for diagnostic in assert_type(result.diagnostics, list[ValidationDiagnostic]):
        diagnostic_surface(diagnostic)
    as_dict = result.to_dict()
    check(assert_type(as_dict["is_valid"], bool), bool)
    check(assert_type(as_dict["fixed_query"], str | None), (str, type(None)))
    check(assert_type(as_dict["diagnostics"], "list[_qarvex._DiagnosticDict]"), list)
    check(assert_type(result.to_json(), str), str)


def exercise() -> None:
    """Runs the whole surface; raises AssertionError where a value has another type."""
    schema = schema_surface()
    validator = Qarvex(schema)
    check(assert_type(validator.schema, Schema), Schema)
    result = assert_type(validator.validate("MATCH (p:Persn) RETURN p.nme"), ValidationResult)
    result_surface(result)
    result_surface(validator.validate("MATCH (p:Person RETURN p"))
    batch = assert_type(validator.validate_batch(["RETURN 1", "MATCH (n) RETURN m"]),
                        list[ValidationResult])
    for item in batch:
        result_surface(item)
    validator.validate_batch(("RETURN 1",))  # any sequence of strings
    check(assert_type(validator.feedback("MATCH (p:Persn) RETURN p"), str), str)
    guarded = Qarvex(schema, dialect="neo4j", read_only=True, allowed_procedures={"db.*"})
    check(assert_type(guarded.read_only, bool), bool)
    check(assert_type(guarded.allowed_procedures, tuple[str, ...] | None), tuple)
    assert validator.allowed_procedures is None

    generator = CypherGenerator(schema, seed=7)
    CypherGenerator(schema)
    CypherGenerator(schema, None)
    check(assert_type(generator.generate("match_return"), str), str)
    check(assert_type(generator.generate_batch("merge", 2), list[str]), list)
    for query_type in CypherGenerator.supported_types():
        check(assert_type(generator.generate(query_type), str), str)

    info = assert_type(parse_query("MATCH (p:Person) RETURN p.name"), QueryInfo)
    check(assert_type(info.is_valid, bool), bool)
    check(assert_type(bool(info), bool), bool)
    check(assert_type(info.updates, bool), bool)
    for names in (info.errors, info.labels_used, info.rel_types_used, info.properties_used,
                  info.procedures):
        check(assert_type(names, list[str]), list)

    structured = {"node_props": {"Person": [{"property": "name", "type": "STRING"}]},
                  "rel_props": {},
                  "relationships": [{"start": "Person", "type": "KNOWS", "end": "Person"}]}
    check(assert_type(schema_from_neo4j(structured), Schema), Schema)
    meta = {"Person": {"type": "node", "properties": {}, "relationships": {}}}
    check(assert_type(schema_from_apoc(meta), Schema), Schema)

    check(assert_type(qarvex.__version__, str), str)
    assert qarvex.Qarvex is _qarvex.Qarvex and qarvex.parse_query is _qarvex.parse_query


if __name__ == "__main__":
    exercise()
