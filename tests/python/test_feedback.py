"""Qarvex.feedback: the text for a model's next attempt, in both dialects."""
import pickle

import pytest

from _qarvex import Qarvex, Schema

COUNT_QUERY = "MATCH (p:Person) WHERE COUNT { (p)-[:KNOWS]->() } > 1 RETURN p"

CASES = [
    ("core", "MATCH (p:Person) RETURN p.name", ""),
    ("neo4j", "MATCH (n) RETURN n", ""),  # a warning alone
    ("neo4j", COUNT_QUERY, ""),
    ("core", "MATCH (b:Book)<-[:WROTE]-(a:Author) RETURN b.isbn",
     "error E201: Unknown node label: :Book\n"
     "  declared labels, nearest first: :Movie, :Person\n"
     "error E211: Unknown relationship type: :WROTE\n"
     "  declared types, nearest first: :KNOWS, :ACTED_IN\n"
     "error E201: Unknown node label: :Author\n"
     "  declared labels, nearest first: :Person, :Movie\n"),
    ("neo4j", "MATCH (p:Person)-[:DIRECTED]->(m:Movie) RETURN p.followers, m.rating",
     "error E211: Unknown relationship type: :DIRECTED\n"
     "  types declared from (:Person) to (:Movie), nearest first: :ACTED_IN\n"
     "error E303: Unknown property 'followers' on variable 'p' with label :Person\n"
     "  properties of :Person, nearest first: born, name\n"
     "error E303: Unknown property 'rating' on variable 'm' with label :Movie\n"
     "  properties of :Movie, nearest first: title, released\n"),
    ("core", "MATCH (p:Persn)-[:ACTED_IN]->(m:Movie) RETURN m.titel",
     "error E201: Unknown node label: :Persn, did you mean :Person?\n"
     "  declared labels, nearest first: :Person, :Movie\n"
     "error E303: Unknown property 'titel' on variable 'm' with label :Movie, did you mean .title?\n"
     "  properties of :Movie, nearest first: title, released\n"
     "corrected query:\n"
     "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN m.title\n"),
    ("neo4j", "MATCH (m:Movie)-[:ACTED_IN]->(p:Person) WITH m RETURN p",
     "error E401: Relationship :ACTED_IN expects source label :Person, but node has label(s): :Movie\n"
     "  declared endpoints of :ACTED_IN: (:Person)-[:ACTED_IN]->(:Movie)\n"
     "error E401: Relationship :ACTED_IN expects target label :Movie, but node has label(s): :Person\n"
     "error E501: Variable 'p' is not bound in this scope\n"
     "  variables bound here, nearest first: m\n"),
    ("core", COUNT_QUERY,
     "error E101:\n"
     " --> 1:32\n"
     "  |\n"
     "1 | MATCH (p:Person) WHERE COUNT { (p)-[:KNOWS]->() } > 1 RETURN p\n"
     "  |                                ^---\n"
     "  |\n"
     "  = expected single_query\n"
     "  Neo4j-only syntax: this checker reads core Cypher, which does not have the COUNT { ... } "
     "subquery; rewrite that part without it\n"),
    ("core", "MATCH (p:Person) RETURN count(p) AS count",
     "error E101:\n"
     " --> 1:37\n"
     "  |\n"
     "1 | MATCH (p:Person) RETURN count(p) AS count\n"
     "  |                                     ^---\n"
     "  |\n"
     "  = expected variable\n"
     "  Neo4j-only syntax: this checker reads core Cypher, which does not have a keyword as a name "
     "unless it is in backticks; rewrite that part without it\n"),
    ("neo4j", "MATCH (p:Person) RETRUN p",
     "error E101:\n"
     " --> 1:18\n"
     "  |\n"
     "1 | MATCH (p:Person) RETRUN p\n"
     "  |                  ^---\n"
     "  |\n"
     "  = expected EOI, union_clause, reading_clause, updating_clause, with_clause, return_clause, "
     "where_clause, left_arrow, or quantified_path\n"),
]


@pytest.mark.parametrize("dialect, query, text", CASES)
def test_feedback_text(movies, dialect, query, text):
    validator = Qarvex(movies, dialect=dialect)
    assert validator.feedback(query) == text
    assert validator.feedback(query=query) == text
    assert (text == "") == validator.validate(query).is_valid


@pytest.mark.parametrize("dialect", ["core", "neo4j"])
def test_feedback_is_the_same_after_a_pickle_round_trip(movies, dialect):
    validator = Qarvex(movies, dialect=dialect)
    restored = pickle.loads(pickle.dumps(validator))
    for _, query, _ in CASES:
        assert restored.feedback(query) == validator.feedback(query) == validator.feedback(query)


def test_feedback_of_a_huge_schema_stays_short():
    schema = Schema({f"Label{i:05}": [] for i in range(100000)}, {})
    text = Qarvex(schema).feedback("MATCH (b:Book) RETURN b")
    assert text.count("\n") == 2 and len(text) < 500
    assert text.endswith(":Label00019 (and 99980 more)\n")


@pytest.mark.parametrize("argument", [None, b"RETURN 1", ["RETURN 1"]])
def test_feedback_takes_a_query_text(movies, argument):
    validator = Qarvex(movies)
    with pytest.raises(TypeError):
        validator.feedback(argument)
    with pytest.raises(TypeError):
        validator.feedback(validator.validate("RETURN x"))


@pytest.mark.parametrize("dialect", ["core", "neo4j"])
def test_feedback_reports_the_guardrails(movies, dialect):
    validator = Qarvex(movies, dialect=dialect, read_only=True, allowed_procedures=["db.*"])
    assert validator.feedback("MATCH (p:Person) DETACH DELETE p") == (
        "error E701: Clause DETACH DELETE is not allowed in read-only mode\n")
    assert validator.feedback("CALL apoc.meta.schema() YIELD value RETURN value") == (
        "error E702: Procedure apoc.meta.schema is not allowed\n")
    assert validator.feedback("CALL db.labels() YIELD label RETURN label") == ""
