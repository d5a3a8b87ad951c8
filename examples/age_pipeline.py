"""From a live Apache AGE graph to checked queries that run on it.

Creates a small movie graph in AGE, imports its schema, generates one query of each type with
CypherGenerator, validates each with Qarvex and runs the valid ones on AGE (each in a
transaction that is rolled back, so the graph stays as it was), then drops the graph.

    python examples/age_pipeline.py 'host=/run/postgresql dbname=app' [GRAPH]

The database needs the AGE extension (CREATE EXTENSION age) and a user that may load it.
"""
import sys

import psycopg
from psycopg.rows import TupleRow

from qarvex import CypherGenerator, Qarvex
from qarvex.age import run_cypher, schema_from_age

MOVIES = """
CREATE (keanu:Person {name: 'Keanu Reeves', born: 1964}), (carrie:Person {name: 'Carrie'}),
       (matrix:Movie {title: 'The Matrix', released: 1999}), (dune:Book {title: 'Dune'}),
       (keanu)-[:ACTED_IN {roles: ['Neo']}]->(matrix), (carrie)-[:ACTED_IN]->(matrix),
       (keanu)-[:LIKES {stars: 5}]->(dune), (carrie)-[:LIKES]->(matrix),
       (keanu)-[:KNOWS]->(carrie)
"""
Connection = psycopg.Connection[TupleRow]
# Values for the parameters the generator writes.
PARAMETERS = {"name": "Carrie", "id": 1, "value": 1999, "limit": 10}


def create_graph(connection: Connection, graph: str) -> None:
    connection.execute("LOAD 'age'")
    connection.execute("SELECT ag_catalog.create_graph(%s)", [graph])
    run_cypher(connection, graph, MOVIES)


def drop_graph(connection: Connection, graph: str) -> None:
    connection.execute("SELECT ag_catalog.drop_graph(%s, true)", [graph])


def run_checked(connection: Connection, graph: str) -> int:
    """Generates, validates and runs one query of each type; the number that failed on AGE."""
    schema = schema_from_age(connection, graph)
    print(schema.to_prompt())
    generator = CypherGenerator(schema, seed=7)
    validator = Qarvex(schema)
    failures = 0
    for query_type in CypherGenerator.supported_types():
        query = generator.generate(query_type)
        result = validator.validate(query)
        if not result.is_valid:
            print(f"{query_type:20} refused: {query}\n{'':20} {result.errors[0]}")
            continue
        try:
            with connection.transaction(force_rollback=True):
                rows = run_cypher(connection, graph, query, PARAMETERS)
        except psycopg.Error as error:
            failures += 1
            print(f"{query_type:20} failed on AGE: {query}\n{'':20} {error}")
            continue
        print(f"{query_type:20} ran, {len(rows)} row{'s' * (len(rows) != 1)}: {query}")
    return failures


def main(dsn: str, graph: str) -> int:
    with psycopg.connect(dsn, autocommit=True) as connection:
        # create_graph makes tables whose definitions name AGE's types without their schema.
        connection.execute('SET search_path = ag_catalog, "$user", public')
        create_graph(connection, graph)
        try:
            return 1 if run_checked(connection, graph) else 0
        finally:
            drop_graph(connection, graph)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else "qarvex_example"))
