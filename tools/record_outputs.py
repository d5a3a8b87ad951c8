"""Records what the module says about every corpus query and about seeded mutations of them, and
compares two recordings, so that a change which must keep outputs can prove it did.

    record_outputs.py record OUT.jsonl [--corpus DIR] [--mutations N] [--dialect D]
    record_outputs.py compare BEFORE.jsonl AFTER.jsonl [--show N]

A record holds the query information (repr and attributes) and the validation result's JSON
(which carries the corrected query). Text2cypher queries are validated against their own
database's schema (first endpoint pair of each type); TCK queries and mutations against a fixed
schema of the names the TCK uses most.
"""
import argparse
import collections
import json
import random
import sys
from pathlib import Path

import _qarvex

TCK_SCHEMA = _qarvex.Schema(
    {"A": ["name", "num", "id"], "B": ["name", "num", "id"], "C": ["name", "id"],
     "Person": ["name", "age", "id"], "X": ["name", "val"], "Label": ["name", "prop"]},
    {"T": ("A", "B", ["name", "id"]), "R": ("A", "B", ["name", "num"]),
     "KNOWS": ("Person", "Person", ["since"]), "REL": ("A", "A", ["id"])},
)

# Fragments inserted by mutations: the tokens where grammar rules meet and where they differ.
FRAGMENTS = [".", "..", "e", "E", "1", "0", "\\", "'", '"', "`", "(", ")", "[", "]", "{", "}", ":",
             ",", "|", ";", " ", "\n", "--", "->", "<-", "//", "/*", "*/", "-", "+", "*", "$",
             " ORDER BY x", " AS ", "count", "end", "CONTAINS", "1e5", "1E-3", "[0..3]", "[1..]",
             " WHERE ", " RETURN ", " WITH ", "MATCH ", "COUNT {", "EXISTS {", " n:Person",
             "'it\\'s'", " DESC", " DISTINCT ", "NOT ", " IS NULL", "0x1e3", "1.e3"]


def schema_of(s):
    nodes = {label: sorted(props) for label, props in s["nodes"].items()}
    rels = {}
    for r in s["relationships"]:
        start, end, props = rels.get(r["type"], (r["start"], r["end"], set()))
        rels[r["type"]] = (start, end, props | set(r.get("properties", {})))
    return _qarvex.Schema(nodes, {t: (a, b, sorted(p)) for t, (a, b, p) in rels.items()})


def mutate(rng, text):
    ops = rng.randint(1, 3)
    for _ in range(ops):
        i = rng.randrange(len(text) + 1)
        kind = rng.randrange(4)
        if kind == 0 and text:
            text = text[:i] + text[i + rng.randint(1, 6):]
        elif kind == 1:
            text = text[:i] + rng.choice(FRAGMENTS) + text[i:]
        elif kind == 2 and len(text) > 1:
            i = min(i, len(text) - 2)
            text = text[:i] + text[i + 1] + text[i] + text[i + 2:]
        else:
            j = min(len(text), i + rng.randint(1, 20))
            text = text[:i] + text[i:j] + text[i:]
    return text


def nesting_cases():
    """Deep nesting of each construct, around the depths where limits used to bite."""
    shapes = {
        "paren": ("RETURN ", "(", "1", ")"),
        "list": ("RETURN ", "[", "1", "]"),
        "map": ("RETURN ", "{a: ", "1", "}"),
        "call": ("", "CALL { ", "RETURN 1 AS x", " } "),
        "comprehension": ("RETURN ", "[x IN ", "[1]", " | x]"),
        "not": ("RETURN ", "NOT ", "true", ""),
        "minus": ("RETURN ", "-", "1", ""),
        "index": ("RETURN a", "[a", "", "]"),
    }
    for name, (head, opening, core, closing) in shapes.items():
        for depth in (1, 5, 10, 11, 12, 20, 50, 100, 117, 118, 154, 155, 176, 177, 200, 400):
            tail = " RETURN 1" if name == "call" else ""
            yield f"nest:{name}:{depth}", head + opening * depth + core + closing * depth + tail


def cases(corpus, mutations):
    schemas = json.loads((corpus / "neo4j-text2cypher-schemas.json").read_text())
    validators = {db: _qarvex.Qarvex(schema_of(s)) for db, s in schemas.items()}
    tck = _qarvex.Qarvex(TCK_SCHEMA)
    texts = []
    for line in (corpus / "neo4j-text2cypher.jsonl").read_text().splitlines():
        row = json.loads(line)
        texts.append((row["id"], row["query"], validators.get(row.get("database"), tck)))
    for line in (corpus / "tck-queries.jsonl").read_text().splitlines():
        row = json.loads(line)
        texts.append((row["id"], row["query"], tck))
    yield from texts
    rng = random.Random(20261211)
    for n in range(mutations):
        _, text, _ = texts[rng.randrange(len(texts))]
        yield f"mutation:{n}", mutate(rng, text), tck
    for key, text in nesting_cases():
        yield key, text, tck


def record(args):
    kwargs = {"dialect": args.dialect} if args.dialect else {}
    with open(args.out, "w", encoding="utf-8") as out:
        for key, text, validator in cases(Path(args.corpus), args.mutations):
            if kwargs:
                validator = _qarvex.Qarvex(validator.schema, **kwargs)
            info = _qarvex.parse_query(text, **kwargs)
            row = {"id": key, "query": text, "info": repr(info),
                   "info_attrs": [info.is_valid, info.errors, info.labels_used,
                                  info.rel_types_used, info.properties_used],
                   "result": validator.validate(text).to_json()}
            out.write(json.dumps(row, ensure_ascii=False) + "\n")


def load(path):
    with open(path, encoding="utf-8") as f:
        return {row["id"]: row for row in map(json.loads, f)}


def compare(args):
    before, after = load(args.before), load(args.after)
    if before.keys() != after.keys():
        print(f"different cases: {len(before.keys() ^ after.keys())}")
    kinds = collections.Counter()
    shown = collections.Counter()
    for key in before.keys() & after.keys():
        b, a = before[key], after[key]
        if b["query"] != a["query"]:
            kinds["query text differs (mutations changed)"] += 1
            continue
        if b == a:
            continue
        kind = classify(b, a)
        kinds[kind] += 1
        if shown[kind] < args.show:
            shown[kind] += 1
            print(f"--- {kind}: {key}\n{b['query']}\n  before: {b['result']}\n  after:  {a['result']}")
    total = len(before.keys() & after.keys())
    print(f"{total} cases; {sum(kinds.values())} differ")
    for kind, count in kinds.most_common():
        print(f"  {count:6d}  {kind}")
    return 1 if kinds else 0


def classify(b, a):
    rb, ra = json.loads(b["result"]), json.loads(a["result"])
    parsed_before, parsed_now = b["info_attrs"][0], a["info_attrs"][0]
    if not parsed_before and parsed_now:
        return "now parses"
    if parsed_before and not parsed_now:
        return "no longer parses"
    if not parsed_before and not parsed_now:
        return "syntax error changed"
    if b["info"] != a["info"]:
        return "query information changed"
    codes_b = [d["code"] for d in rb["diagnostics"]]
    codes_a = [d["code"] for d in ra["diagnostics"]]
    if codes_b != codes_a:
        return f"diagnostic codes changed: -{sorted(set(codes_b) - set(codes_a))} +{sorted(set(codes_a) - set(codes_b))}"
    if rb.get("fixed_query") != ra.get("fixed_query"):
        return "corrected query changed"
    return "messages changed"


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    rec = sub.add_parser("record")
    rec.add_argument("out")
    rec.add_argument("--corpus", default=str(Path(__file__).resolve().parents[2] / "shared" / "corpus"))
    rec.add_argument("--mutations", type=int, default=20000)
    rec.add_argument("--dialect")
    cmp = sub.add_parser("compare")
    cmp.add_argument("before")
    cmp.add_argument("after")
    cmp.add_argument("--show", type=int, default=3)
    args = parser.parse_args()
    if args.command == "record":
        record(args)
        return 0
    return compare(args)


if __name__ == "__main__":
    sys.exit(main())
