"""Every query of the shared corpora, validated against its database's schema (or an empty one)
and parsed without a schema: nothing may crash or stall, and each result must be consistent."""
import json
import pathlib

import pytest

from _qarvex import Qarvex, Schema, parse_query

CORPUS = pathlib.Path(__file__).resolve().parents[2].parent / "shared" / "corpus"

pytestmark = pytest.mark.skipif(not CORPUS.is_dir(), reason="the shared corpus is not present")


def records(name):
    with open(CORPUS / name, encoding="utf-8") as lines:
        return [json.loads(line) for line in lines if line.strip()]


def schema_of(entry):
    nodes = {label: list(properties) for label, properties in entry.get("nodes", {}).items()}
    relationships = {}
    for rel in entry.get("relationships", []):
        relationships[rel["type"]] = (rel["start"], rel["end"], list(rel.get("properties", {})))
    return Schema(nodes, relationships)


def check_consistent(result):
    assert len(result.errors) + len(result.warnings) == len(result.diagnostics)
    assert result.is_valid == (not result.errors)
    if result.syntax_errors:
        assert [d.code for d in result.diagnostics] == ["E101"]


def test_text2cypher_queries_against_their_schemas():
    schemas = json.loads((CORPUS / "neo4j-text2cypher-schemas.json").read_text(encoding="utf-8"))
    by_database = {}
    for record in records("neo4j-text2cypher.jsonl"):
        by_database.setdefault(record.get("database"), []).append(record["query"])
    checked = 0
    for database, queries in by_database.items():
        schema = schema_of(schemas[database]) if database in schemas else Schema({}, {})
        for result in Qarvex(schema).validate_batch(queries):
            check_consistent(result)
            checked += 1
    assert checked > 10000


def test_tck_queries_validate_and_parse():
    queries = [record["query"] for record in records("tck-queries.jsonl")]
    validator = Qarvex(Schema({}, {}))
    for query, result in zip(queries, validator.validate_batch(queries)):
        check_consistent(result)
        info = parse_query(query)
        assert info.is_valid == (not result.syntax_errors), query
