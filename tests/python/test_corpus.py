"""Every query of the shared corpora, validated against its database's schema (or an empty one)
and parsed without a schema: nothing may crash or stall, and each result must be consistent."""
import pytest

from _qarvex import Qarvex, Schema, parse_query
from corpus import CORPUS, records, schema_of, schemas

pytestmark = pytest.mark.skipif(not CORPUS.is_dir(), reason="the shared corpus is not present")


def check_consistent(result):
    assert len(result.errors) + len(result.warnings) == len(result.diagnostics)
    assert result.is_valid == (not result.errors)
    if result.syntax_errors:
        assert [d.code for d in result.diagnostics] == ["E101"]


def test_text2cypher_queries_against_their_schemas():
    by_name = schemas()
    by_database = {}
    for record in records("neo4j-text2cypher.jsonl"):
        by_database.setdefault(record.get("database"), []).append(record["query"])
    checked = 0
    for database, queries in by_database.items():
        schema = schema_of(by_name[database]) if database in by_name else Schema({}, {})
        for result in Qarvex(schema).validate_batch(queries):
            check_consistent(result)
            checked += 1
    assert checked > 10000


@pytest.mark.parametrize("dialect", ["core", "neo4j"])
def test_text2cypher_feedback_is_empty_exactly_for_valid_queries(dialect):
    validators = {name: Qarvex(schema_of(entry), dialect=dialect)
                  for name, entry in schemas().items()}
    for record in records("neo4j-text2cypher.jsonl"):
        validator = validators.get(record.get("database"))
        if validator is None:
            continue
        text = validator.feedback(record["query"])
        assert (text == "") == validator.validate(record["query"]).is_valid, record["id"]
        assert len(text) < 4000, record["id"]


def test_tck_queries_validate_and_parse():
    queries = [record["query"] for record in records("tck-queries.jsonl")]
    validator = Qarvex(Schema({}, {}))
    for query, result in zip(queries, validator.validate_batch(queries)):
        check_consistent(result)
        info = parse_query(query)
        assert info.is_valid == (not result.syntax_errors), query
