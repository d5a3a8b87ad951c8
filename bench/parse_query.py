"""parse_query from Python: microseconds per call on the typical query and on a syntax error."""
import timeit

from _qarvex import parse_query

TYPICAL = ("MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) WHERE m.released > 2000 AND p.born < 1970 "
           "RETURN p.name, m.title, r.roles ORDER BY m.released DESC LIMIT 10")
BROKEN = TYPICAL + " RETRUN x"


def per_call_us(query, number=20000, repeat=5):
    best = min(timeit.repeat(lambda: parse_query(query), number=number, repeat=repeat))
    return best / number * 1e6


if __name__ == "__main__":
    assert parse_query(TYPICAL).is_valid and not parse_query(BROKEN).is_valid
    print(f"parse_query typical query: {per_call_us(TYPICAL):.2f} us/call (best of 5)")
    print(f"parse_query syntax error:  {per_call_us(BROKEN):.2f} us/call (best of 5)")
