"""Soak: many validations from four Python threads at once, mixing validate, validate_batch,
parse_query and generate, with throughput and resident memory reported at intervals; the
memory should stay flat once warm.

    python3.14 bench/soak.py [TOTAL_VALIDATIONS]   (default 10,000,000)
"""
import sys
import threading
import time

from _qarvex import CypherGenerator, Qarvex, Schema, parse_query

THREADS = 4
BATCH = 1000        # queries per validate_batch call
SINGLES = 50        # validate calls per round
OTHERS = 20         # parse_query and generate calls per round
REPORT_SECONDS = 10


def resident_mb():
    with open("/proc/self/status") as status:
        return int(next(l for l in status if l.startswith("VmRSS")).split()[1]) / 1024


def main():
    total = int(sys.argv[1]) if len(sys.argv) > 1 else 10_000_000
    schema = Schema({"Person": ["name", "born"], "Movie": ["title", "released"]},
                    {"ACTED_IN": ("Person", "Movie", ["roles"]), "KNOWS": ("Person", "Person", [])})
    validator = Qarvex(schema)
    generator = CypherGenerator(schema, seed=3)
    queries = [generator.generate(t) for t in CypherGenerator.supported_types() for _ in range(40)]
    queries += ["MATCH (p:Persn) RETURN p.nme", "MATCH (n RETURN", "RETURN 1 AS x, 2 AS x"] * 40
    batch = (queries * (BATCH // len(queries) + 1))[:BATCH]
    per_round = BATCH + SINGLES
    rounds_each = max(1, total // (per_round * THREADS))
    done = [0] * THREADS

    def work(index):
        own = CypherGenerator(schema, seed=index)
        for _ in range(rounds_each):
            validator.validate_batch(batch)
            for i in range(SINGLES):
                validator.validate(queries[i % len(queries)])
            for i in range(OTHERS):
                parse_query(queries[i])
                own.generate("match_where_return")
            done[index] += per_round

    threads = [threading.Thread(target=work, args=(i,)) for i in range(THREADS)]
    started = time.perf_counter()
    for thread in threads:
        thread.start()
    print(f"{THREADS} threads, {rounds_each * per_round * THREADS:,} validations")
    print(f"{'seconds':>8} {'validations':>12} {'per second':>11} {'resident MB':>12}")
    last_count, last_time, memory = 0, started, []
    while any(thread.is_alive() for thread in threads):
        for thread in threads:
            thread.join(timeout=REPORT_SECONDS / THREADS)
        now = time.perf_counter()
        if now - last_time < REPORT_SECONDS and any(t.is_alive() for t in threads):
            continue
        count = sum(done)
        memory.append(resident_mb())
        print(f"{now - started:8.0f} {count:12,} {(count - last_count) / (now - last_time):11,.0f} "
              f"{memory[-1]:12.1f}")
        last_count, last_time = count, now
    elapsed = time.perf_counter() - started
    print(f"overall {sum(done) / elapsed:,.0f} validations/s over {elapsed:.0f} s; resident "
          f"memory first {memory[0]:.1f} MB, last {memory[-1]:.1f} MB, highest {max(memory):.1f} MB")


if __name__ == "__main__":
    main()
