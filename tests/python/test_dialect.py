"""The dialect argument of Qarvex and parse_query, and the --dialect flag of `qarvex check`."""
import io

import pytest

from _qarvex import Qarvex, parse_query
from qarvex import cli

NEO4J_ONLY = "MATCH (p:Person) WHERE COUNT { (p)-[:ACTED_IN]->() } > 1 RETURN count(p) AS count"


def test_the_dialect_is_chosen_per_validator(movies):
    core, neo4j = Qarvex(movies), Qarvex(movies, dialect="neo4j")
    assert (core.dialect, neo4j.dialect) == ("core", "neo4j")
    assert Qarvex(movies, dialect="core").dialect == "core"
    assert repr(core) == "Qarvex()" and repr(neo4j) == "Qarvex(dialect='neo4j')"
    assert core.validate(NEO4J_ONLY).syntax_errors
    assert neo4j.validate(NEO4J_ONLY).is_valid
    assert [r.is_valid for r in neo4j.validate_batch([NEO4J_ONLY, "MATCH ("])] == [True, False]
    with pytest.raises(AttributeError):
        neo4j.dialect = "core"


def test_the_dialect_is_chosen_per_parse():
    assert not parse_query(NEO4J_ONLY).is_valid
    info = parse_query(NEO4J_ONLY, dialect="neo4j")
    assert info.is_valid and info.labels_used == ["Person"] and info.rel_types_used == ["ACTED_IN"]


@pytest.mark.parametrize("call", [
    lambda schema, value: Qarvex(schema, dialect=value),
    lambda schema, value: parse_query("RETURN 1", dialect=value),
])
def test_a_bad_dialect_is_refused(movies, call):
    with pytest.raises(ValueError) as error:
        call(movies, "cypher")
    assert str(error.value) == "Unknown dialect: 'cypher'; expected 'core' or 'neo4j'"
    with pytest.raises(TypeError) as error:
        call(movies, 5)
    assert str(error.value) == "argument 'dialect': 'int' object cannot be cast as 'str'"


def test_the_dialect_is_keyword_only(movies):
    with pytest.raises(TypeError, match="positional"):
        Qarvex(movies, "neo4j")
    with pytest.raises(TypeError, match="positional"):
        parse_query("RETURN 1", "neo4j")


def test_the_check_command_takes_a_dialect(tmp_path, monkeypatch):
    (tmp_path / "schema.json").write_text(
        '{"nodes":{"Person":["name"]},"relationships":{"ACTED_IN":["Person","Person",[]]}}')
    (tmp_path / "q.cypher").write_text(NEO4J_ONLY + "\n")
    args = ["check", "--schema", str(tmp_path / "schema.json"), str(tmp_path / "q.cypher")]
    for extra, status in (([], 1), (["--dialect", "neo4j"], 0)):
        monkeypatch.setattr("sys.stdout", io.StringIO())
        monkeypatch.setattr("sys.stderr", io.StringIO())
        assert cli.main([*args, *extra]) == status


@pytest.mark.parametrize("query", [
    "MATCH (n:Person|Movie) WHERE n IS Person AND n:!(Movie&%) RETURN n",
    "MATCH (p:Person WHERE p.born > 1960)-[r:ACTED_IN WHERE r.roles IS NOT NULL]->(m) RETURN m",
    "MATCH (a:Person) ((x:Person)-[:KNOWS]->(y:Person) WHERE x.born < y.born){1,3} (b) "
    "RETURN size(x)",
    "MATCH p = SHORTEST 1 (a:Person)-[:KNOWS]->+(b:Person) RETURN p",
    "MATCH (n:$($label)) SET n:$($other) RETURN n",
])
def test_neo4j_patterns_are_accepted_and_checked(movies, query):
    assert Qarvex(movies, dialect="neo4j").validate(query).errors == []
    assert Qarvex(movies).validate(query).syntax_errors


@pytest.mark.parametrize("query, codes, fixed", [
    ("MATCH (n:Persn|Movie) RETURN n", ["E201"], "MATCH (n:Person|Movie) RETURN n"),
    ("MATCH (n) WHERE n IS Persn RETURN n", ["E201"], "MATCH (n) WHERE n IS Person RETURN n"),
    ("MATCH ()-[r:!KNOWZ]->() RETURN r", ["E211", "W201"], "MATCH ()-[r:!KNOWS]->() RETURN r"),
    ("MATCH (p:Person)-[:ACTED_IN]->(m:Person|Movie) RETURN p", [], None),
    ("MATCH ((a:Person)-[:KNOWS]->(b)){1,3} RETURN a.nme", ["W201"], None),
    ("MATCH ((a:Person)-[:KNOWS]->(b) WHERE a.nme = 'x'){1,3} RETURN a", ["E303", "W201"],
     "MATCH ((a:Person)-[:KNOWS]->(b) WHERE a.name = 'x'){1,3} RETURN a"),
])
def test_neo4j_pattern_checks(movies, query, codes, fixed):
    result = Qarvex(movies, dialect="neo4j").validate(query)
    assert [d.code for d in result.diagnostics] == codes
    assert result.fixed_query == fixed


def test_query_information_reads_neo4j_patterns():
    info = parse_query("MATCH (a:A|!B)-[:R&!S]->(c WHERE c.k > 1) ((d:D)-[:T]->(e)){2} RETURN 1",
                       dialect="neo4j")
    assert info.is_valid
    assert info.labels_used == ["A", "B", "D"]
    assert info.rel_types_used == ["R", "S", "T"]
    assert "k" in info.properties_used


@pytest.mark.parametrize("query, codes, fixed", [
    ("MATCH (p:Person) CALL (p) { RETURN p.nme AS n } RETURN n", ["E303"],
     "MATCH (p:Person) CALL (p) { RETURN p.name AS n } RETURN n"),
    ("MATCH (p:Person), (m:Movie) CALL (p) { RETURN m.title AS t } RETURN t", ["W101", "E501"],
     None),
    ("CALL db.labels() YIELD label AS l WHERE l STARTS WITH 'P' RETURN l", [], None),
    ("LOAD CSV WITH HEADERS FROM $url AS row MERGE (:Person {name: row.name})", [], None),
    ("MATCH (p:Person) RETURN p {.nme, .born}", ["E303"], "MATCH (p:Person) RETURN p {.name, .born}"),
    ("MATCH (ö:Persn) RETURN ö.name", ["E201"], "MATCH (ö:Person) RETURN ö.name"),
    ("MATCH (`a``b`:`Persn`) RETURN `a``b`.name", ["E201"],
     "MATCH (`a``b`:Person) RETURN `a``b`.name"),
    ("RETURN 1 IS :: INTEGER NOT NULL AS typed, 'a' IS NOT NFC NORMALIZED AS normal", [], None),
])
def test_the_neo4j_clauses_are_checked(movies, query, codes, fixed):
    result = Qarvex(movies, dialect="neo4j").validate(query)
    assert [d.code for d in result.diagnostics] == codes
    assert result.fixed_query == fixed
    assert Qarvex(movies).validate(query).syntax_errors


def test_an_unprojected_order_by_aggregate_is_a_neo4j_error(movies):
    query = "MATCH (p:Person) RETURN p.name, count(*) AS c ORDER BY max(p.born)"
    (diagnostic,) = Qarvex(movies, dialect="neo4j").validate(query).diagnostics
    assert (diagnostic.code, diagnostic.code_name) == ("E505", "UnprojectedOrderByAggregate")
    assert diagnostic.message == ("Aggregate max() in ORDER BY is not an item of the aggregating "
                                  "RETURN before it; project it as an item of its own and order "
                                  "by that item")
    assert Qarvex(movies).validate(query).is_valid


def test_query_information_of_the_neo4j_clauses():
    info = parse_query(
        "LOAD CSV FROM 'f' AS row CALL (row) { MATCH (m:`Movie`) RETURN m {.title} AS movie } "
        "RETURN movie", dialect="neo4j")
    assert info.is_valid and info.labels_used == ["Movie"] and info.properties_used == ["title"]
