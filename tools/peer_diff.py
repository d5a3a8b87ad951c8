"""Agreement of the Neo4j dialect's parse with Neo4j's own parser, query by query.

Usage:
    python3 tools/peer_diff.py VERDICTS.jsonl [VERDICTS.jsonl ...] [--examples N]

Each VERDICTS file holds one JSON object per query with its `query` text (or an `id` found in
the corpus file given by --corpus) and Neo4j's `peer_syntax_ok`, as ../shared/peer/ writes them.
Administration commands (indexes, constraints, users, databases, SHOW) are left out: the dialect
does not cover them. The report gives the agreement and the disagreements by kind, each kind
with its count and examples.
"""
import argparse
import collections
import json
import re
import sys

import _qarvex

ADMINISTRATION = re.compile(
    r"^\s*(CREATE|DROP|SHOW|ALTER|GRANT|DENY|REVOKE|START|STOP|ENABLE|RENAME)\s+"
    r"(OR\s+REPLACE\s+)?(INDEX|RANGE|TEXT|POINT|LOOKUP|FULLTEXT|VECTOR|BTREE|CONSTRAINT|USER|ROLE|"
    r"DATABASE|COMPOSITE|ALIAS|SERVER|PRIVILEGE|ALL|CURRENT|DEFAULT|HOME|PROCEDURES|FUNCTIONS|"
    r"SETTINGS|TRANSACTIONS|INDEXES|CONSTRAINTS|USERS|ROLES|DATABASES|ALIASES|SERVERS)\b",
    re.IGNORECASE)


def load(paths, corpus):
    texts = {}
    if corpus:
        with open(corpus, encoding="utf-8") as lines:
            for line in lines:
                row = json.loads(line)
                texts[row["id"]] = row["query"]
    for path in paths:
        with open(path, encoding="utf-8") as lines:
            for line in lines:
                row = json.loads(line)
                query = row.get("query", texts.get(row.get("id")))
                if query is None or "peer_syntax_ok" not in row:
                    continue
                yield query, row


def first_error(row):
    errors = row.get("peer_syntax_errors") or [row.get("peer_error") or ""]
    return str(errors[0]).splitlines()[0][:100]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("verdicts", nargs="+")
    parser.add_argument("--corpus", help="a corpus file whose ids the verdicts refer to")
    parser.add_argument("--examples", type=int, default=3)
    args = parser.parse_args(argv)
    total = agree = administration = 0
    kinds = collections.Counter()
    examples = collections.defaultdict(list)
    for query, row in load(args.verdicts, args.corpus):
        if ADMINISTRATION.match(query):
            administration += 1
            continue
        total += 1
        info = _qarvex.parse_query(query, dialect="neo4j")
        if info.is_valid == bool(row["peer_syntax_ok"]):
            agree += 1
            continue
        if info.is_valid:
            kind = "we accept, Neo4j rejects: " + re.sub(r"'[^']*'", "'_'", first_error(row))
        else:
            at = info.errors[0].splitlines()[0].strip()
            kind = "we reject, Neo4j accepts"
            query = f"{query}  [{at}]"
        kinds[kind] += 1
        if len(examples[kind]) < args.examples:
            examples[kind].append(" ".join(query.split())[:220])
    if total == 0:
        print("no verdicts")
        return 1
    print(f"{total} queries ({administration} administration commands left out): "
          f"agreement {agree} ({100 * agree / total:.2f} %)")
    for kind, count in kinds.most_common():
        print(f"{count:6}  {kind}")
        for example in examples[kind]:
            print(f"          {example}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
