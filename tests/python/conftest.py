import itertools

import pytest

import _qarvex
from age_cluster import Cluster, Unavailable, unavailable

GRAPH_NUMBERS = itertools.count(1)


@pytest.fixture
def movies():
    """A small schema of people and the movies they acted in."""
    return _qarvex.Schema(
        {"Person": ["name", "born"], "Movie": ["title", "released"]},
        {"ACTED_IN": ("Person", "Movie", ["roles"]), "KNOWS": ("Person", "Person", [])},
    )


@pytest.fixture(scope="session")
def age_server():
    """A throwaway PostgreSQL cluster with the AGE extension created in its database
    ``postgres``; stopped and removed at the end of the session, whatever happened."""
    try:
        import psycopg
        cluster = Cluster()
    except (ImportError, Unavailable) as error:
        unavailable(f"no PostgreSQL to test against: {error}")
    try:
        cluster.start()
        with psycopg.connect(cluster.dsn, autocommit=True) as connection:
            try:
                connection.execute("CREATE EXTENSION age")
            except psycopg.Error as error:
                unavailable(f"Apache AGE is not installed: {error}")
        yield cluster
    finally:
        cluster.stop()


@pytest.fixture
def age_graph(age_server):
    """A new, empty AGE graph (its name), dropped after the test."""
    import psycopg
    name = f"graph_{next(GRAPH_NUMBERS)}"
    with psycopg.connect(age_server.dsn, autocommit=True) as admin:
        admin.execute("LOAD 'age'")
        admin.execute('SET search_path = ag_catalog, "$user", public')
        admin.execute("SELECT create_graph(%s)", [name])
        try:
            yield name
        finally:
            admin.execute("SELECT drop_graph(%s, true)", [name])


@pytest.fixture
def age_connection(age_server):
    """A fresh connection to the cluster, in autocommit mode, closed after the test."""
    import psycopg
    with psycopg.connect(age_server.dsn, autocommit=True) as connection:
        yield connection
