"""qarvex.dask on a real local cluster of two worker processes: validate_bag and validate_frame
give what validate_batch gives in this process, also when a worker dies mid-run, the validator
is built once per worker process, and every object travels to a worker and back.

Under CI these tests must run, so a missing Dask fails there; elsewhere they skip."""
import importlib
import os
import signal
import warnings

import pytest

from _qarvex import CypherGenerator, Qarvex, Schema, parse_query
from corpus import CORPUS, records, schema_of, schemas
import qarvex.dask


def require(module):
    if os.environ.get("CI") == "true":
        return importlib.import_module(module)
    return pytest.importorskip(module, reason=f"{module} is not installed (Dask is optional)")


db = require("dask.bag")
distributed = require("distributed")
pandas = require("pandas")
with warnings.catch_warnings():
    # Debian's Dask has no dask-expr, so the classic DataFrame warns once on import.
    warnings.simplefilter("ignore", FutureWarning)
    dd = require("dask.dataframe")

# The workers cannot import this file, so the functions it sends them travel by value.
require("cloudpickle").register_pickle_by_value(__import__(__name__))

pytestmark = pytest.mark.skipif(not CORPUS.is_dir(), reason="the shared corpus is not present")

DATABASE = "companies"


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            yield client


@pytest.fixture(scope="module")
def schema():
    return schema_of(schemas()[DATABASE])


@pytest.fixture(scope="module")
def queries():
    return [record["query"] for record in records("neo4j-text2cypher.jsonl")]


@pytest.fixture(scope="module")
def expected(schema, queries):
    return [(result.to_json(), repr(result)) for result in Qarvex(schema).validate_batch(queries)]


def forms(results):
    return [(result.to_json(), repr(result)) for result in results]


def test_validate_bag_gives_what_validate_batch_gives(client, schema, queries, expected):
    bag = db.from_sequence(queries, npartitions=7)
    results = qarvex.dask.validate_bag(bag, schema).compute()
    assert len(results) == len(queries)
    assert forms(results) == expected
    # The corpus holds every kind of result, so each payload part travelled.
    assert {d.code[0] for r in results for d in r.diagnostics} == {"E", "W"}
    assert any(r.fixed_query for r in results) and any(r.syntax_errors for r in results)


def test_validate_frame_adds_the_result_columns(client, schema, queries):
    local = Qarvex(schema).validate_batch(queries)
    frame = pandas.DataFrame({"id": range(len(queries)), "query": queries},
                             index=range(100, 100 + len(queries)))
    checked = qarvex.dask.validate_frame(dd.from_pandas(frame, npartitions=5), "query",
                                         schema).compute()
    assert list(checked.columns) == ["id", "query", *qarvex.dask.RESULT_COLUMNS]
    assert list(checked.index) == list(frame.index) and list(checked["id"]) == list(frame["id"])
    assert checked["is_valid"].dtype == bool
    assert list(checked["is_valid"]) == [r.is_valid for r in local]
    assert list(checked["errors"]) == [r.errors for r in local]
    assert list(checked["fixed_query"]) == [r.fixed_query for r in local]
    codes = [[d.code for d in r.diagnostics if d.severity == "error"] for r in local]
    assert list(checked["error_codes"]) == codes
    assert all(len(c) == len(e) for c, e in zip(checked["error_codes"], checked["errors"]))


def validators_in_this_process():
    return [id(validator) for validator in qarvex.dask._validators.values()]


def test_the_validator_is_built_once_per_worker_process(client, schema, queries):
    bag = db.from_sequence(queries, npartitions=40)
    qarvex.dask.validate_bag(bag, schema).compute()
    first = client.run(validators_in_this_process)
    qarvex.dask.validate_bag(bag, schema).compute()
    assert client.run(validators_in_this_process) == first
    assert all(len(ids) == 1 for ids in first.values()), first


ARGUMENT_ERRORS = [
    (lambda bag, s: qarvex.dask.validate_bag(bag, s, dialect="x"), ValueError,
     "Unknown dialect: 'x'; expected 'core' or 'neo4j'"),
    (lambda bag, s: qarvex.dask.validate_bag(bag, s.to_dict()), TypeError,
     "schema must be a Schema, not dict"),
    (lambda bag, s: qarvex.dask.validate_bag(bag, s, read_only="yes"), TypeError,
     "argument 'read_only': 'str' object cannot be cast as 'bool'"),
    (lambda bag, s: qarvex.dask.validate_bag(bag, s, allowed_procedures=[""]), ValueError,
     "allowed_procedures: '': an empty procedure name"),
    (lambda bag, s: qarvex.dask.validate_frame(
        dd.from_pandas(pandas.DataFrame({"q": ["RETURN 1"]}), npartitions=1), "query", s),
     KeyError, "'query'"),
]


@pytest.mark.parametrize("call,error,message", ARGUMENT_ERRORS,
                         ids=[m for _, _, m in ARGUMENT_ERRORS])
def test_bad_arguments_fail_before_anything_runs(schema, call, error, message):
    with pytest.raises(error) as caught:
        call(db.from_sequence(["RETURN 1"]), schema)
    assert str(caught.value) == message


def test_objects_travel_to_a_worker_and_back(client, movies):
    validator = Qarvex(movies)
    query = "MATCH (p:Persn)-[:ACTED_IN]->(m) RETURN m.titel"
    local = validator.validate(query)
    on_worker = client.submit(lambda v, q: v.validate(q), validator, query).result()
    assert (on_worker.to_json(), repr(on_worker)) == (local.to_json(), repr(local))
    returned = client.submit(lambda r: r, local).result()
    assert (returned.to_json(), repr(returned)) == (local.to_json(), repr(local))
    diagnostic = client.submit(lambda r: r.diagnostics[0], local).result()
    assert diagnostic.to_dict() == local.diagnostics[0].to_dict()

    assert client.submit(lambda s: s.to_json(), movies).result() == movies.to_json()
    info = parse_query("MATCH (a:A)-[:R]->(b) RETURN a.x")
    assert repr(client.submit(lambda i: i, info).result()) == repr(info)

    generator = CypherGenerator(movies, seed=11)
    generator.generate("create")
    remote = client.submit(lambda g: g.generate_batch("match_relationship", 20), generator)
    assert remote.result() == generator.generate_batch("match_relationship", 20)


def test_a_worker_killed_mid_run_still_gives_every_result_once(client, schema, queries):
    many = queries * 8
    local = forms(Qarvex(schema).validate_batch(many))
    persisted = qarvex.dask.validate_bag(db.from_sequence(many, npartitions=96), schema).persist()
    futures = distributed.futures_of(persisted)
    done, _ = distributed.wait(futures, return_when="FIRST_COMPLETED")
    # Kill the worker holding a finished partition, so that it is lost and computed again.
    finished = next(iter(done))
    holder = client.who_has([finished])[finished.key][0]
    pid = client.run(os.getpid, workers=[holder])[holder]
    os.kill(pid, signal.SIGKILL)
    assert not all(future.done() for future in futures), "the run ended before the kill"
    results = persisted.compute()
    assert len(results) == len(many)
    assert forms(results) == local
    client.wait_for_workers(2, timeout=60)
    assert holder not in client.scheduler_info()["workers"]


def test_the_guardrails_reach_the_workers(client, schema, queries):
    # Last in the file: its validator is a second one on each worker.
    options = {"dialect": "neo4j", "read_only": True, "allowed_procedures": ["db.*"]}
    queries = [*queries, "MATCH (n) DETACH DELETE n", "CALL apoc.meta.data()"]
    local = forms(Qarvex(schema, **options).validate_batch(queries))
    bag = db.from_sequence(queries, npartitions=5)
    results = qarvex.dask.validate_bag(bag, schema, **options).compute()
    assert forms(results) == local
    codes = {d.code for r in results for d in r.diagnostics}
    assert {"E701", "E702"} <= codes
