"""Memory after a released batch: resident memory before, while the results of 1 M queries
are held, at the peak, and after they are released; and the time of small batches, which
must not pay for the return. Each figure comes from a fresh process, once with the default
allocator settings and once with glibc limited to one arena (arena_max=1), the other
way to keep worker memory from piling up."""
import os
import subprocess
import sys
import textwrap

CHILD = textwrap.dedent("""
    import resource, sys, time
    from _qarvex import Qarvex, Schema

    def resident_mb():
        with open("/proc/self/status") as status:
            return int(next(l for l in status if l.startswith("VmRSS")).split()[1]) / 1024

    count = int(sys.argv[1])
    v = Qarvex(Schema({"Person": ["name", "born"], "Movie": ["title"]},
                      {"ACTED_IN": ("Person", "Movie", ["roles"])}))
    kinds = ["MATCH (p:Person)-[:ACTED_IN]->(m:Movie) WHERE p.born > 1970 RETURN p.name, m.title",
             "MATCH (p:Persn)-[:ACTD_IN]->(m:Movie) RETURN p.nme", "MATCH (n RETURN",
             "MATCH (a), (b) RETURN a, b"]
    small = [kinds[i % 4] for i in range(100)]
    for _ in range(200):
        v.validate_batch(small)
    started = time.perf_counter()
    for _ in range(2000):
        v.validate_batch(small)
    small_us = (time.perf_counter() - started) / 2000 * 1e6
    queries = [kinds[i % 4] + f" // {i}" for i in range(count)]
    before = resident_mb()
    started = time.perf_counter()
    results = v.validate_batch(queries)
    seconds = time.perf_counter() - started
    held = resident_mb()
    del results
    after = resident_mb()
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    print(f"before {before:7.0f} MB  holding {held:7.0f} MB  peak {peak:7.0f} MB  "
          f"released {after:7.0f} MB ({after - before:+.0f})  "
          f"batch {count / seconds:9,.0f} queries/s  small batch (100) {small_us:6.0f} us")
""")


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
    for label, extra in (("default arenas", {}), ("arena_max=1", {"GLIBC_TUNABLES": "glibc.malloc.arena_max=1"})):
        env = dict(os.environ, **extra)
        child = subprocess.run([sys.executable, "-c", CHILD, str(count)], env=env,
                               capture_output=True, text=True, check=True)
        print(f"{label:>20}: {child.stdout.strip()}")


if __name__ == "__main__":
    main()
