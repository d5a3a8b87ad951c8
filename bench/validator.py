"""Validation from Python: per-call cost of validate, and validate_batch throughput."""
import os
import subprocess
import sys
import time

from _qarvex import Qarvex, Schema

TYPICAL = ("MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) WHERE m.released > 2000 AND p.born < 1970 "
           "RETURN p.name, m.title, r.roles ORDER BY m.released DESC LIMIT 10")
# The same 20 labels and 30 relationship types as bench_validate.cpp, so that the per-call
# figure here minus the native one is the cost of crossing into Python.
NODES = {"Person": ["name", "born", "age", "email", "city", "id"],
         "Movie": ["title", "released", "tagline", "budget", "rating", "id"]}
NODES.update({f"Label{i}": [f"p{k}" for k in range(6)] for i in range(18)})
RELATIONSHIPS = {"ACTED_IN": ("Person", "Movie", ["roles"])}
RELATIONSHIPS.update({f"TYPE_{i}": (f"Label{i % 18}", "Person", ["since"]) for i in range(29)})
SCHEMA = Schema(NODES, RELATIONSHIPS)


def best_of(runs, action):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        action()
        times.append(time.perf_counter() - started)
    return min(times)


def main():
    validator = Qarvex(SCHEMA)
    calls = 20000
    seconds = best_of(5, lambda: [validator.validate(TYPICAL) for _ in range(calls)])
    print(f"validate: {seconds / calls * 1e6:.2f} us per call")
    queries = [TYPICAL] * 100000
    seconds = best_of(3, lambda: validator.validate_batch(queries))
    processors = len(os.sched_getaffinity(0))
    print(f"validate_batch(100000) on {processors} logical processor(s): "
          f"{len(queries) / seconds:,.0f} queries/s")
    if "--single" not in sys.argv and processors > 1:
        # The same batch confined to one processor gives the one-worker figure.
        single = subprocess.run(["taskset", "-c", "0", sys.executable, __file__, "--single"],
                                capture_output=True, text=True)
        print(single.stdout.strip().splitlines()[-1])


if __name__ == "__main__":
    main()
