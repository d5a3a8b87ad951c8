"""1,000,000 corpus queries through qarvex.dask.validate_bag on a local cluster of two worker
processes, against validate_batch in this process, and where the cluster's time goes.

Rounds alternate the sides; each figure is the median of its rounds. The cluster's time is
split by running the same bag three ways: doing nothing per partition (sending the queries and
scheduling), validating without sending results back (plus validation), and the full call
(plus pickling the results and bringing them back).
"""
import json
import os
import pathlib
import pickle
import statistics
import subprocess
import sys
import time
import warnings

from _qarvex import Qarvex, Schema

CORPUS = pathlib.Path(__file__).resolve().parents[2] / "shared" / "corpus"
DATABASE = "companies"
TOTAL = 1_000_000
PARTITIONS = 32
ROUNDS = 3


def corpus_schema():
    entry = json.loads((CORPUS / "neo4j-text2cypher-schemas.json").read_text())[DATABASE]
    nodes = {label: list(keys) for label, keys in entry["nodes"].items()}
    relationships = {rel["type"]: (rel["start"], rel["end"], list(rel.get("properties", {})))
                     for rel in entry["relationships"]}
    return Schema(nodes, relationships)


def corpus_queries(count):
    with open(CORPUS / "neo4j-text2cypher.jsonl", encoding="utf-8") as lines:
        queries = [json.loads(line)["query"] for line in lines if line.strip()]
    return (queries * (count // len(queries) + 1))[:count]


def timed(action):
    started = time.perf_counter()
    result = action()
    return time.perf_counter() - started, result


def one_core_rate(schema_json, count):
    """Queries per second of validate_batch confined to one processor, in a child process."""
    child = subprocess.run(
        ["taskset", "-c", "0", sys.executable, __file__, "--one-core", str(count)],
        input=schema_json, capture_output=True, text=True, check=True)
    return float(child.stdout.split()[-1])


def run_one_core(count):
    validator = Qarvex(Schema.from_json(sys.stdin.read()))
    queries = corpus_queries(count)
    seconds = min(timed(lambda: validator.validate_batch(queries))[0] for _ in range(3))
    print(count / seconds)


def pickling_cost(results):
    """Seconds per result to pickle a partition's results and load them again, as one pickle
    and as one of Dask's messages (which serialises the items of a list one by one)."""
    from distributed.protocol import dumps, loads, to_serialize

    costs = []
    for dump, load in [(lambda: pickle.dumps(results, protocol=5), pickle.loads),
                       (lambda: dumps({"data": to_serialize(results)}), loads)]:
        dumped_seconds, data = timed(dump)
        loaded_seconds, _ = timed(lambda: load(data))
        costs.append((dumped_seconds / len(results), loaded_seconds / len(results)))
    return costs


def main():
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", FutureWarning)
        import dask.bag as db
        import distributed
    import qarvex.dask

    schema = corpus_schema()
    queries = corpus_queries(TOTAL)
    validator = Qarvex(schema)
    key = schema.to_json()

    def local():
        return validator.validate_batch(queries)

    def bag():
        return db.from_sequence(queries, npartitions=PARTITIONS)

    def full():
        return qarvex.dask.validate_bag(bag(), schema).compute()

    def validate_only():
        return bag().map_partitions(
            lambda part, k: [len(qarvex.dask._validate_partition(part, k))], key).compute()

    def nothing():
        return bag().map_partitions(lambda part: [len(part)]).compute()

    times = {"local": [], "full": [], "validate_only": [], "nothing": []}
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster):
        nothing()  # warm-up: workers import qarvex and build their validators
        validate_only()
        for _ in range(ROUNDS):
            for name, action in [("local", local), ("full", full),
                                 ("validate_only", validate_only), ("nothing", nothing)]:
                seconds, result = timed(action)
                times[name].append(seconds)
                del result
    median = {name: statistics.median(values) for name, values in times.items()}
    sample = validator.validate_batch(queries[:TOTAL // PARTITIONS])
    (dump, load), (message_dump, message_load) = pickling_cost(sample)

    processors = len(os.sched_getaffinity(0))
    print(f"{TOTAL:,} queries, {PARTITIONS} partitions, 2 worker processes x 1 thread, "
          f"{processors} logical processor(s); medians of {ROUNDS} alternating rounds")
    print(f"validate_batch, one process:   {TOTAL / median['local']:>12,.0f} queries/s "
          f"({median['local']:.2f} s)")
    print(f"validate_bag, local cluster:   {TOTAL / median['full']:>12,.0f} queries/s "
          f"({median['full']:.2f} s)")
    print("where the cluster's time goes:")
    print(f"  sending queries + scheduling: {median['nothing']:.2f} s")
    print(f"  validation on the workers:    {median['validate_only'] - median['nothing']:.2f} s")
    print(f"  results pickled and returned: {median['full'] - median['validate_only']:.2f} s")
    print(f"  per result, one pickle:    dumps {dump * 1e6:.2f} us, loads {load * 1e6:.2f} us")
    print(f"  per result, a Dask message: dumps {message_dump * 1e6:.2f} us, "
          f"loads {message_load * 1e6:.2f} us")
    rate = one_core_rate(key, 200_000)
    print(f"validate_batch on one core:    {rate:>12,.0f} queries/s")


if __name__ == "__main__":
    if sys.argv[1:2] == ["--one-core"]:
        run_one_core(int(sys.argv[2]))
    else:
        main()
