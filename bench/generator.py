"""Python-side generation speed: generate_batch of 100 000 queries per type."""
import time

from _qarvex import CypherGenerator, Schema

BATCH = 100_000
SCHEMA = Schema(
    {"Person": ["name", "born", "email", "city"], "Movie": ["title", "released", "tagline"],
     "Genre": ["name"]},
    {"ACTED_IN": ("Person", "Movie", ["roles"]), "DIRECTED": ("Person", "Movie", []),
     "IN_GENRE": ("Movie", "Genre", [])},
)


def best_rate(generator, query_type, rounds=3):
    best = float("inf")
    for _ in range(rounds):
        start = time.perf_counter()
        generator.generate_batch(query_type, BATCH)
        best = min(best, time.perf_counter() - start)
    return BATCH / best


def main():
    generator = CypherGenerator(SCHEMA, seed=42)
    print(f"generate_batch({BATCH}), best of 3, queries per second")
    for query_type in CypherGenerator.supported_types():
        print(f"  {query_type:<20} {best_rate(generator, query_type):>12,.0f}")
    start = time.perf_counter()
    for _ in range(BATCH):
        generator.generate("match_return")
    print(f"  {'generate() loop':<20} {BATCH / (time.perf_counter() - start):>12,.0f}"
          "  (match_return, one call per query)")


if __name__ == "__main__":
    main()
