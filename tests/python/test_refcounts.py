"""Reference counts around every public call and error path: repeating a call must leave the
interpreter's total reference count where it was. Runs only on a debug interpreter (make
test-debug), the one that keeps that total."""
import collections
import sys

import pytest

from _qarvex import CypherGenerator, Qarvex, Schema, parse_query

pytestmark = pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"),
                                reason="needs a debug interpreter")

NODES = {"Person": ["name", "born"], "Movie": ["title"]}
RELATIONSHIPS = {"ACTED_IN": ("Person", "Movie", ["roles"]), "KNOWS": ("Person", "Person", [])}
SCHEMA = Schema(NODES, RELATIONSHIPS)
VALIDATOR = Qarvex(SCHEMA)
GENERATOR = CypherGenerator(SCHEMA, seed=5)
MISSPELT = "MATCH (p:Persn)-[:ACTD_IN]->(m) RETURN p.nme"


def every_public_member(obj):
    """Reads every public attribute of `obj` and calls those that take no argument."""
    for name in dir(obj):
        if name.startswith("_"):
            continue
        value = getattr(obj, name)
        if callable(value) and name not in ("merge", "from_dict", "from_json", "has_node_label",
                                            "has_rel_type", "node_properties", "rel_properties",
                                            "rel_endpoints", "rel_endpoint_pairs", "validate", "feedback",
                                            "validate_batch", "generate", "generate_batch"):
            value()
    repr(obj)


def read_results(results):
    for result in results:
        every_public_member(result)
        for diagnostic in result.diagnostics:
            every_public_member(diagnostic)


class ClaimedLength:
    def __len__(self):
        return 2**62

    def __getitem__(self, index):
        return "RETURN 1"


class FailingSequence:
    """A sequence whose third item raises, as a signal handler or a broken container would."""

    def __len__(self):
        return 5

    def __getitem__(self, index):
        if index == 2:
            raise KeyboardInterrupt
        return "RETURN 1"


CALLS = {
    "schema": lambda: every_public_member(Schema(NODES, RELATIONSHIPS)),
    "schema lookups": lambda: (SCHEMA.has_node_label("Person"), SCHEMA.has_rel_type("X"),
                               SCHEMA.node_properties("Person"), SCHEMA.rel_properties("KNOWS"),
                               SCHEMA.rel_endpoints("KNOWS"), SCHEMA.rel_endpoint_pairs("KNOWS")),
    "schema round trips": lambda: (Schema.from_dict(SCHEMA.to_dict()),
                                   Schema.from_json(SCHEMA.to_json()), SCHEMA.merge(SCHEMA)),
    "validator": lambda: every_public_member(Qarvex(SCHEMA)),
    "validate": lambda: read_results([VALIDATOR.validate("MATCH (p:Person) RETURN p.name"),
                                      VALIDATOR.validate(MISSPELT),
                                      VALIDATOR.validate("MATCH (n RETURN")]),
    "feedback": lambda: (VALIDATOR.feedback(MISSPELT), VALIDATOR.feedback("MATCH (n RETURN"),
                         VALIDATOR.feedback("RETURN 1")),
    "validate_batch": lambda: read_results(VALIDATOR.validate_batch([MISSPELT, "MATCH (", ""])),
    "large validate_batch": lambda: VALIDATOR.validate_batch([MISSPELT] * 10_001),
    "validate_batch of a deque": lambda: VALIDATOR.validate_batch(collections.deque(["RETURN 1"])),
    "generator": lambda: (every_public_member(CypherGenerator(SCHEMA, seed=1)),
                          GENERATOR.generate("create"), GENERATOR.generate_batch("merge", 20)),
    "parse_query": lambda: (every_public_member(parse_query("MATCH (n:Person) RETURN n")),
                            every_public_member(parse_query("MATCH (n RETURN"))),
}

ERRORS = {
    "schema with a bad entry": (lambda: Schema({"P": "name"}, {}), TypeError),
    "schema from bad JSON": (lambda: Schema.from_json("{"), ValueError),
    "validator without a schema": (lambda: Qarvex({}), TypeError),
    "validate a non-str": (lambda: VALIDATOR.validate(1), TypeError),
    "feedback of a non-str": (lambda: VALIDATOR.feedback(None), TypeError),
    "validate_batch of a str": (lambda: VALIDATOR.validate_batch("RETURN 1"), TypeError),
    "validate_batch with a non-str item": (lambda: VALIDATOR.validate_batch(["RETURN 1", 2]),
                                           TypeError),
    "validate_batch of an impossible length": (lambda: VALIDATOR.validate_batch(ClaimedLength()),
                                               MemoryError),
    "validate_batch interrupted in conversion": (
        lambda: VALIDATOR.validate_batch(FailingSequence()), KeyboardInterrupt),
    "generate an unknown type": (lambda: GENERATOR.generate("nope"), ValueError),
    "generate_batch of an unknown type": (lambda: GENERATOR.generate_batch("nope", 3), ValueError),
    "generate_batch of an impossible size": (lambda: GENERATOR.generate_batch("create", 2**62),
                                             MemoryError),
    "generator with a negative seed": (lambda: CypherGenerator(SCHEMA, seed=-1), OverflowError),
    "parse_query of a non-str": (lambda: parse_query(None), TypeError),
}


def total_growth(action, rounds, calls):
    for _ in range(3):
        action()  # caches, interned names and free lists fill up first
    growth = []
    for _ in range(rounds):
        before = sys.gettotalrefcount()
        for _ in range(calls):
            action()
        growth.append(sys.gettotalrefcount() - before)
    return growth


def leaked_references(action, rounds=3, calls=10):
    """The growth of the total reference count over `calls` calls, for each of `rounds`, less
    what the measuring itself adds (the integers it keeps)."""
    measuring = min(total_growth(lambda: None, rounds, calls))
    return [growth - measuring for growth in total_growth(action, rounds, calls)]


@pytest.mark.parametrize("name", CALLS)
def test_calls_leave_the_reference_count_unchanged(name):
    growth = leaked_references(CALLS[name])
    # A leak grows the count in every round; a cache filling up does so at most once.
    assert min(growth) <= 0, f"{name}: references grew by {growth}"


@pytest.mark.parametrize("name", ERRORS)
def test_error_paths_leave_the_reference_count_unchanged(name):
    action, error = ERRORS[name]

    def failing_call():
        with pytest.raises(error):
            action()

    growth = leaked_references(failing_call)
    assert min(growth) <= 0, f"{name}: references grew by {growth}"
