"""The command line against the module: `qarvex check` on 100,000 queries from one JSON Lines
file, against `validate_batch` on the same queries in-process. The queries are the text2cypher
corpus records of one database, repeated to 100,000 lines, checked against that database's
schema; the command's text output goes to /dev/null."""
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from _qarvex import Qarvex, Schema

CORPUS = Path(__file__).resolve().parents[1].parent / "shared" / "corpus"
DATABASE = "companies"
COUNT = 100_000
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


def best_of(runs, action):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        action()
        times.append(time.perf_counter() - started)
    return min(times)


def main():
    lines = [line for line in (CORPUS / "neo4j-text2cypher.jsonl").read_text().splitlines()
             if json.loads(line)["database"] == DATABASE]
    lines = (lines * (COUNT // len(lines) + 1))[:COUNT]
    queries = [json.loads(line)["query"] for line in lines]
    schema = corpus_schema(DATABASE)
    with tempfile.TemporaryDirectory() as folder:
        data = Path(folder) / "queries.jsonl"
        data.write_text("\n".join(lines) + "\n")
        schema_file = Path(folder) / "schema.json"
        schema_file.write_text(schema.to_json())
        validator = Qarvex(schema)
        in_process = best_of(3, lambda: validator.validate_batch(queries))
        env = dict(os.environ, PYTHONPATH=os.pathsep.join(
            [*os.environ.get("PYTHONPATH", "").split(os.pathsep), str(PACKAGE)]))
        figures = {}
        for output in ("text", "json"):
            command = [sys.executable, "-m", "qarvex", "check", "--schema", str(schema_file),
                       "--format", output, str(data)]
            figures[output] = best_of(3, lambda: subprocess.run(
                command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    processors = len(os.sched_getaffinity(0))
    print(f"validate_batch({COUNT}) in-process on {processors} logical processor(s): "
          f"{in_process:.3f} s")
    for output, seconds in figures.items():
        print(f"qarvex check --format {output} on one {COUNT}-line JSON Lines file: "
              f"{seconds:.3f} s ({seconds / in_process:.2f}x validate_batch)")


if __name__ == "__main__":
    main()
