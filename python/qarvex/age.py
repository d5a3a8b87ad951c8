"""Apache AGE graphs over a psycopg 3 connection: the schema of a live graph, and Cypher
queries run on it.

AGE runs Cypher inside SQL, as ``SELECT * FROM cypher('graph', $$ ... $$) AS (v agtype)``,
once the session has loaded the extension's library, and the SQL it makes of the Cypher names
its functions without their schema ``ag_catalog``. So every transaction here loads the library
and puts ``ag_catalog`` first on the search path until the transaction ends.
"""
from __future__ import annotations

import json
from collections.abc import Iterator, Mapping
from contextlib import contextmanager
from typing import Any

import psycopg
from psycopg import sql
from psycopg.rows import TupleRow, tuple_row

from _qarvex import Schema

from ._draft import SchemaDraft
from ._text import returned_columns

# The labels AGE gives every graph, of the nodes and relationships created without one.
_DEFAULT_LABELS = ("_ag_label_vertex", "_ag_label_edge")

_GRAPH_ID = "SELECT graphid FROM ag_catalog.ag_graph WHERE name = %s"
_LABELS = ("SELECT name, kind FROM ag_catalog.ag_label WHERE graph = %s "
           "AND name <> ALL(%s) ORDER BY name")


def schema_from_age(connection: psycopg.Connection[Any], graph: str, *,
                    sample: int | None = 1000) -> Schema:
    """The schema of the AGE graph ``graph``: its node labels and relationship types from AGE's
    catalog, and the property keys and endpoint pairs found on at most ``sample`` nodes of each
    label and relationships of each type (``None``: all of them).

    A relationship type enters the schema with the pairs of labels it joins in the sample, each
    pair with the keys its relationships have; a type with no relationship in the sample, and
    the pairs with an end that has no label, cannot be written in a schema and are left out.

    The queries run in a read-only transaction of their own, so the connection must have none
    in progress. Raises ``ValueError`` for a graph that does not exist or a bad ``sample``,
    and psycopg's errors for a server without AGE."""
    if sample is not None and (isinstance(sample, bool) or not isinstance(sample, int)
                               or sample < 1):
        raise ValueError(f"sample must be a positive int or None, got {sample!r}")
    draft = SchemaDraft()
    with _read_only(connection) as cursor:
        for label, kind in _labels(cursor, graph):
            if kind == "v":
                draft.add_label(label, _node_keys(cursor, graph, label, sample))
            else:
                for source, target, keys in _endpoint_pairs(cursor, graph, label, sample):
                    draft.add_pair(label, source, target, keys)
    return draft.schema()


def run_cypher(connection: psycopg.Connection[Any], graph: str, query: str,
               parameters: Mapping[str, object] | None = None) -> list[TupleRow]:
    """Runs one Cypher query on the AGE graph ``graph`` and gives its rows: one text of AGE's
    ``agtype`` for each returned column.

    The query runs in a transaction of psycopg's ``connection.transaction()``: its own, or a
    savepoint inside one in progress, whose search path then keeps ``ag_catalog`` first.
    ``parameters`` are the values of the query's ``$name`` parameters (a JSON-encodable
    mapping). The column list AGE asks for is counted from the query's last RETURN."""
    statement = _cypher_call(graph, query, returned_columns(query), with_parameters=True)
    with connection.transaction(), connection.cursor(row_factory=tuple_row) as cursor:
        _use_age(cursor)
        cursor.execute(statement, [json.dumps(dict(parameters or {}))])
        return cursor.fetchall()


@contextmanager
def _read_only(connection: psycopg.Connection[Any]) -> Iterator[psycopg.Cursor[TupleRow]]:
    if connection.info.transaction_status != psycopg.pq.TransactionStatus.IDLE:
        raise ValueError("the connection has a transaction in progress; the schema is read "
                         "in a read-only transaction of its own")
    with connection.transaction(), connection.cursor(row_factory=tuple_row) as cursor:
        cursor.execute("SET TRANSACTION READ ONLY")
        _use_age(cursor)
        yield cursor


def _use_age(cursor: psycopg.Cursor[TupleRow]) -> None:
    cursor.execute("LOAD 'age'")
    cursor.execute("SELECT set_config('search_path', "
                   "'ag_catalog, ' || current_setting('search_path'), true)")


def _labels(cursor: psycopg.Cursor[TupleRow], graph: str) -> list[tuple[str, str]]:
    found = cursor.execute(_GRAPH_ID, [graph]).fetchone()
    if found is None:
        raise ValueError(f"no AGE graph named {graph!r}")
    return [(name, kind) for name, kind
            in cursor.execute(_LABELS, [found[0], list(_DEFAULT_LABELS)]).fetchall()]


def _node_keys(cursor: psycopg.Cursor[TupleRow], graph: str, label: str,
               sample: int | None) -> list[str]:
    query = (f"MATCH (n:{_quoted(label)}) WITH n{_limit(sample)} "
             "UNWIND keys(n) AS key RETURN DISTINCT key")
    return [json.loads(key) for (key,) in _rows(cursor, graph, query, 1)]


def _endpoint_pairs(cursor: psycopg.Cursor[TupleRow], graph: str, rel_type: str,
                    sample: int | None) -> list[tuple[str, str, set[str]]]:
    query = (f"MATCH (a)-[r:{_quoted(rel_type)}]->(b) WITH a, r, b{_limit(sample)} "
             "RETURN DISTINCT label(a), label(b), keys(r)")
    pairs: dict[tuple[str, str], set[str]] = {}
    for row in _rows(cursor, graph, query, 3):
        source, target, keys = (json.loads(value) for value in row)
        if source and target:  # an unlabelled node has the label ""
            pairs.setdefault((source, target), set()).update(keys)
    return [(source, target, keys) for (source, target), keys in sorted(pairs.items())]


def _rows(cursor: psycopg.Cursor[TupleRow], graph: str, query: str,
          columns: int) -> list[TupleRow]:
    return cursor.execute(_cypher_call(graph, query, columns, with_parameters=False)).fetchall()


def _cypher_call(graph: str, query: str, columns: int, *,
                 with_parameters: bool) -> sql.Composed:
    """The SQL that runs ``query`` through AGE's ``cypher()``. AGE wants the query as a
    dollar-quoted constant, so it is quoted with a tag that does not occur in it; with
    parameters, a ``%`` in it is doubled so that psycopg does not take it for a placeholder."""
    tag = _dollar_tag(query)
    body = f"{tag}{query}{tag}"
    if with_parameters:
        body = body.replace("%", "%%") + ", %s"
    names = sql.SQL(", ").join(sql.SQL(f"c{number} ag_catalog.agtype")
                               for number in range(columns))
    return sql.SQL("SELECT * FROM ag_catalog.cypher({graph}, {body}) AS ({names})").format(
        graph=sql.Literal(graph), body=sql.SQL(body), names=names)


def _dollar_tag(text: str) -> str:
    number = 0
    while f"$q{number}$" in text:
        number += 1
    return f"$q{number}$"


def _quoted(name: str) -> str:
    return "`" + name.replace("`", "``") + "`"


def _limit(sample: int | None) -> str:
    return "" if sample is None else f" LIMIT {sample}"
