"""Schemas read from live Apache AGE graphs on a throwaway PostgreSQL server, and Cypher run on
them; the command line's --from age on the same server."""
import pytest

from age_cluster import unavailable
from qarvex import Schema, cli

try:
    import psycopg

    from qarvex.age import run_cypher, schema_from_age
except ImportError as error:
    unavailable(f"no psycopg to reach PostgreSQL with: {error}")

# Several labels with properties on some nodes only, a type between three label pairs, a
# relationship with an unlabelled end, and names that need quoting: reserved words as labels
# and types, and keys with a space, a backtick, a quote and non-ASCII letters.
MIXED = """
CREATE (alice:Person {name: 'Alice', born: 1970}), (bob:Person {name: 'Bob'}), (:Person),
       (heat:Movie {title: 'Heat', `first name`: 1}), (dune:Book {title: 'Dune'}),
       (acme:Studio), (m:Match {`a``b`: 1, `say "hi"`: 2, `ünï`: 3}), (r:Return),
       (alice)-[:LIKES {stars: 5}]->(heat), (bob)-[:LIKES]->(dune),
       (acme)-[:LIKES {since: 2001}]->(heat), (bob)-[:LIKES {stars: 2}]->(heat),
       (alice)-[:KNOWS]->(bob), (m)-[:Create {`order`: 1}]->(r), ()-[:KNOWS]->(bob)
"""

MIXED_SCHEMA = {
    "nodes": {"Book": ["title"], "Match": ["a`b", 'say "hi"', "ünï"],
              "Movie": ["first name", "title"], "Person": ["born", "name"], "Return": [],
              "Studio": []},
    "relationships": {
        "Create": ("Match", "Return", ["order"]),
        "KNOWS": ("Person", "Person", []),
        "LIKES": [("Person", "Book", []), ("Person", "Movie", ["stars"]),
                  ("Studio", "Movie", ["since"])],
    },
}


def test_a_graph_gives_its_labels_pairs_and_keys(age_connection, age_graph):
    run_cypher(age_connection, age_graph, MIXED)
    schema = schema_from_age(age_connection, age_graph)
    assert schema.to_dict() == MIXED_SCHEMA
    assert Schema.from_json(schema.to_json()).to_dict() == MIXED_SCHEMA


def test_an_empty_graph_gives_an_empty_schema(age_connection, age_graph):
    assert schema_from_age(age_connection, age_graph).to_dict() == {"nodes": {},
                                                                    "relationships": {}}


def test_declared_labels_without_data(age_server, age_connection, age_graph):
    """A node label with no nodes has no keys; a relationship type with no relationship has no
    endpoint pair to write, so it is left out."""
    with psycopg.connect(age_server.dsn, autocommit=True) as admin:
        admin.execute("LOAD 'age'")
        admin.execute('SET search_path = ag_catalog, "$user", public')
        admin.execute("SELECT create_vlabel(%s, 'Empty')", [age_graph])
        admin.execute("SELECT create_elabel(%s, 'UNUSED')", [age_graph])
    assert schema_from_age(age_connection, age_graph).to_dict() == {
        "nodes": {"Empty": []}, "relationships": {}}


def test_the_sample_bounds_the_nodes_and_relationships_read(age_connection, age_graph):
    run_cypher(age_connection, age_graph, "CREATE (:Item {a: 1}), (:Item {b: 1}), "
               "(:Item {c: 1}), (:Item)-[:NEXT]->(:Tag), (:Item)-[:NEXT]->(:Item)")
    keys = {sample: schema_from_age(age_connection, age_graph, sample=sample).node_properties(
        "Item") for sample in (1, 2, None)}
    assert keys[None] == ["a", "b", "c"]
    assert len(keys[1]) == 1 and len(keys[2]) == 2
    assert set(keys[1]) < set(keys[2]) < set(keys[None])
    pairs = schema_from_age(age_connection, age_graph, sample=1).rel_endpoint_pairs("NEXT")
    assert pairs in ([("Item", "Tag")], [("Item", "Item")])


def test_the_import_leaves_the_session_as_it_was(age_server, age_graph):
    # Not in autocommit mode, and with rows as dicts.
    with psycopg.connect(age_server.dsn, row_factory=psycopg.rows.dict_row) as connection:
        path = connection.execute("SHOW search_path").fetchone()
        connection.rollback()
        schema_from_age(connection, age_graph)
        assert connection.info.transaction_status == psycopg.pq.TransactionStatus.IDLE
        assert connection.execute("SHOW search_path").fetchone() == path
        assert connection.execute("SHOW transaction_read_only").fetchone() == {
            "transaction_read_only": "off"}
        with pytest.raises(ValueError, match="transaction in progress"):
            schema_from_age(connection, age_graph)


@pytest.mark.parametrize("graph, sample, message", [
    ("no_such_graph", 1000, "no AGE graph named 'no_such_graph'"),
    (None, 0, "sample must be a positive int or None, got 0"),
    (None, True, "sample must be a positive int or None, got True"),
])
def test_bad_arguments_raise_value_error(age_connection, age_graph, graph, sample, message):
    with pytest.raises(ValueError) as raised:
        schema_from_age(age_connection, graph or age_graph, sample=sample)
    assert str(raised.value) == message


def test_run_cypher_passes_parameters_and_returns_every_column(age_connection, age_graph):
    run_cypher(age_connection, age_graph, "CREATE (:P {name: 'Ann', n: 7}), (:P {name: 'Ben', n: 2})")
    rows = run_cypher(age_connection, age_graph,
                      "MATCH (p:P) WHERE p.n % 5 = $rest RETURN p.name, p.n + 1, '$q0$'",
                      {"rest": 2})
    assert sorted(rows) == [('"Ann"', "8", '"$q0$"'), ('"Ben"', "3", '"$q0$"')]
    assert run_cypher(age_connection, age_graph, "MATCH (p:P) DETACH DELETE p") == []


def test_the_command_line_prints_the_graph_schema(age_server, age_connection, age_graph,
                                                 capsys):
    run_cypher(age_connection, age_graph, MIXED)
    command = ["schema", "import", "--from", "age", "--dsn", age_server.dsn, "--graph"]
    assert cli.main([*command, age_graph, "--sample", "all"]) == 0
    out, err = capsys.readouterr()
    assert err == ""
    assert Schema.from_json(out).to_dict() == MIXED_SCHEMA
    assert cli.main([*command, "no_such_graph"]) == 2
    assert capsys.readouterr() == ("", "qarvex: age: no AGE graph named 'no_such_graph'\n")
