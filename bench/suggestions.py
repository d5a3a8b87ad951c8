"""The "did you mean" search on large schemas: the time of one query with one unknown label or type,
by schema size, for names that are near a declared one and for names near none."""
import random
import sys
import time

from _qarvex import Qarvex, Schema

SIZES = [20, 1_000, 10_000, 100_000]


def random_names(rng, count):
    letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
    names = set()
    while len(names) < count:
        names.add("".join(rng.choice(letters) for _ in range(rng.randint(6, 16))))
    return sorted(names)


def tenant_names(count):
    """Generated names as multi-tenant graphs have them: a tenant number and a kind."""
    kinds = ["Customer", "Order", "Invoice", "Product", "Account", "Address", "Payment", "Ticket"]
    return [f"T{i // len(kinds):05d}_{kinds[i % len(kinds)]}" for i in range(count)]


def misspelt(name, rng):
    at = rng.randrange(len(name))
    return name[:at] + name[at + 1:]  # one letter dropped


def ms_per_query(validator, queries):
    validator.validate(queries[0])  # warm up
    started = time.perf_counter()
    for query in queries:
        validator.validate(query)
    return (time.perf_counter() - started) / len(queries) * 1e3


def main():
    rng = random.Random(1)
    print(f"{'names':>8} {'schema':>8} {'near label':>11} {'far label':>10} {'near type':>10} "
          f"{'known':>8}   (ms per query)")
    for family, make in (("random", lambda n: random_names(rng, n)), ("tenant", tenant_names)):
        for size in SIZES:
            labels = make(size)
            types = [name.upper() for name in labels]
            schema = Schema({label: ["name"] for label in labels},
                            {t: (labels[0], labels[-1], []) for t in types})
            validator = Qarvex(schema)
            count = 20 if size <= 10_000 or "--quick" in sys.argv else 5
            picks = [rng.choice(labels) for _ in range(count)]
            near = [f"MATCH (n:{misspelt(p, rng)}) RETURN n" for p in picks]
            far = [f"MATCH (n:Zq{i}xWvY) RETURN n" for i in range(count)]
            near_type = [f"MATCH ()-[r:{misspelt(p.upper(), rng)}]->() RETURN r" for p in picks]
            known = [f"MATCH (n:{p}) RETURN n" for p in picks]
            print(f"{family:>8} {size:>8} {ms_per_query(validator, near):>11.3f} "
                  f"{ms_per_query(validator, far):>10.3f} {ms_per_query(validator, near_type):>10.3f} "
                  f"{ms_per_query(validator, known):>8.3f}")


if __name__ == "__main__":
    main()
