"""The command line against the module: `qarvex check` on 100,000 queries from one JSON Lines
file, against `validate_batch` on the same queries in-process. The queries are the text2cypher
corpus queries of one database, repeated to 100,000, checked against that database's schema;
the command's output goes to /dev/null. Two files hold them: one line {"query": ...} a query,
and the corpus records themselves (ten more fields a line, four times the text to decode)."""
import json
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from _qarvex import Qarvex, Schema

CORPUS = Path(__file__).resolve().parents[1].parent / "shared" / "corpus"
DATABASE = "companies"
COUNT = 100_000
ROUNDS = 9
PACKAGE = Path(__file__).resolve().parents[1] / "python"


def corpus_schema(database):
    """The corpus schema in our form: each type's first endpoint pair, all its properties."""
    source = json.loads((CORPUS / "neo4j-text2cypher-schemas.json").read_text())[database]
    nodes = {label: sorted(properties) for label, properties in source["nodes"].items()}
    relationships = {}
    for entry in source["relationships"]:
        start, end, properties = relationships.get(entry["type"],
                                                   (entry["start"], entry["end"], set()))
        relationships[entry["type"]] = (start, end, properties | set(entry["properties"]))
    return Schema(nodes, {name: (start, end, sorted(properties))
                          for name, (start, end, properties) in relationships.items()})


def main():
    records = [line for line in (CORPUS / "neo4j-text2cypher.jsonl").read_text().splitlines()
               if json.loads(line)["database"] == DATABASE]
    records = (records * (COUNT // len(records) + 1))[:COUNT]
    queries = [json.loads(line)["query"] for line in records]
    schema = corpus_schema(DATABASE)
    validator = Qarvex(schema)
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(
        [*os.environ.get("PYTHONPATH", "").split(os.pathsep), str(PACKAGE)]))
    with tempfile.TemporaryDirectory() as folder:
        schema_file = Path(folder) / "schema.json"
        schema_file.write_text(schema.to_json())
        runs = {}
        for name, lines in (("queries", [json.dumps({"query": query}) for query in queries]),
                            ("records", records)):
            data = Path(folder) / f"{name}.jsonl"
            data.write_text("\n".join(lines) + "\n")
            for output in ("text", "json"):
                command = [sys.executable, "-m", "qarvex", "check", "--schema",
                           str(schema_file), "--format", output, str(data)]
                runs[f"--format {output}, {COUNT} {name} ({data.stat().st_size / 1e6:.0f} MB)"] \
                    = command
        # Rounds alternate the in-process call and every command, so that a change in the
        # machine's load reaches both sides of each ratio alike. Processor time (user and
        # system, all threads) is counted beside the elapsed time.
        in_process = []
        seconds = {label: [] for label in runs}
        ratios = {label: [] for label in runs}
        for _ in range(ROUNDS):
            in_process.append(timed(resource.RUSAGE_SELF, lambda: validator.validate_batch(queries)))
            for label, command in runs.items():
                taken = timed(resource.RUSAGE_CHILDREN, lambda: subprocess.run(
                    command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
                seconds[label].append(taken)
                ratios[label].append(taken[0] / in_process[-1][0])
    processors = len(os.sched_getaffinity(0))
    print(f"validate_batch({COUNT}) in-process on {processors} logical processor(s): "
          f"{summary(in_process)}")
    for label in runs:
        print(f"qarvex check {label}: {summary(seconds[label])}; "
              f"median ratio {statistics.median(ratios[label]):.2f}x")


def timed(who, action):
    """The elapsed and the processor seconds of one call of action."""
    before = resource.getrusage(who)
    started = time.perf_counter()
    action()
    elapsed = time.perf_counter() - started
    after = resource.getrusage(who)
    return elapsed, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def summary(runs):
    elapsed = [run[0] for run in runs]
    processor = [run[1] for run in runs]
    return (f"best {min(elapsed):.3f} s, median {statistics.median(elapsed):.3f} s elapsed, "
            f"median {statistics.median(processor):.2f} s processor")


if __name__ == "__main__":
    main()
