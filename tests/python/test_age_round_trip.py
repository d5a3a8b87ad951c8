"""The whole loop on a real database: a schema imported from an AGE graph, queries of all
thirteen types generated from it, validated, and the valid ones run on AGE. Every query that
passes our checker and fails on AGE must be one of the explained kinds."""
import collections
import pathlib
import re
import subprocess
import sys

import pytest

from age_cluster import unavailable
from qarvex import CypherGenerator, Qarvex

try:
    import psycopg

    from qarvex.age import run_cypher, schema_from_age
except ImportError as error:
    unavailable(f"no psycopg to reach PostgreSQL with: {error}")

ROOT = pathlib.Path(__file__).resolve().parents[2]

# A movie graph with a type between two label pairs, properties on some nodes only, a reserved
# word as a label (Match), and on it keys that need quoting: one with a space, one with
# non-ASCII letters, and "order", which AGE takes for a keyword after a dot.
GRAPH = """
CREATE (alice:Person {name: 'Alice', born: 1970}), (bob:Person {name: 'Bob'}),
       (heat:Movie {title: 'Heat', released: 1995}), (dune:Book {title: 'Dune'}),
       (m:Match {`order`: 1, `first name`: 'x', `ünï`: 2}),
       (alice)-[:ACTED_IN {roles: ['Eady']}]->(heat), (alice)-[:LIKES {stars: 5}]->(heat),
       (bob)-[:LIKES {stars: 3}]->(dune), (alice)-[:KNOWS]->(bob), (m)-[:IN_LIST]->(heat)
"""
PARAMETERS = {"name": "Alice", "id": 1, "value": 1995, "limit": 10}
PER_TYPE = 25

# Cypher, and our checker, take any word as a property key; AGE's grammar refuses its keywords
# there ("n.order" is a syntax error on AGE, "n.`order`" is not). The generator writes names
# unquoted, so a generated query that reads such a key fails on AGE.
AGE_KEYWORD_KEYS = ("order",)


def explanation(query, error):
    """Why a query our checker accepts fails on AGE, or None for an unexplained failure."""
    if error.startswith("syntax error") and any(re.search(rf"\.{key}\b", query)
                                                for key in AGE_KEYWORD_KEYS):
        return "AGE refuses a keyword as an unquoted property key"
    return None


def run(connection, graph, query):
    """None when the query ran on AGE (rolled back afterwards), else AGE's error line."""
    try:
        with connection.transaction(force_rollback=True):
            run_cypher(connection, graph, query, PARAMETERS)
    except psycopg.Error as error:
        return str(error).splitlines()[0]
    return None


def test_generated_and_validated_queries_run_on_age(age_connection, age_graph):
    run_cypher(age_connection, age_graph, GRAPH)
    schema = schema_from_age(age_connection, age_graph)
    generator = CypherGenerator(schema, seed=2026)
    validator = Qarvex(schema)
    record, unexplained = {}, []
    for query_type in CypherGenerator.supported_types():
        queries = generator.generate_batch(query_type, PER_TYPE)
        valid = [query for query, result in zip(queries, validator.validate_batch(queries))
                 if result.is_valid]
        failed = collections.Counter()
        for query in valid:
            error = run(age_connection, age_graph, query)
            if error is not None:
                reason = explanation(query, error)
                failed[reason] += 1
                if reason is None:
                    unexplained.append(f"{query}\n    {error}")
        ran = len(valid) - sum(failed.values())
        record[query_type] = (len(queries), len(valid), ran, dict(failed))
    for query_type, (generated, valid, ran, failed) in record.items():
        print(f"{query_type:20} generated {generated}, valid {valid}, ran {ran}, "
              f"failed {failed}")
    assert not unexplained, "\n".join(unexplained)
    assert all(ran > 0 for _, _, ran, _ in record.values()), record


def test_the_example_runs_a_query_of_each_type(age_server):
    done = subprocess.run([sys.executable, str(ROOT / "examples" / "age_pipeline.py"),
                           age_server.dsn, "example_graph"],
                          capture_output=True, text=True, timeout=120)
    assert (done.returncode, done.stderr) == (0, "")
    lines = [line for line in done.stdout.splitlines() if " ran, " in line]
    assert [line.split()[0] for line in lines] == CypherGenerator.supported_types()
    with psycopg.connect(age_server.dsn) as connection:
        graphs = connection.execute("SELECT name FROM ag_catalog.ag_graph").fetchall()
    assert ("example_graph",) not in graphs
