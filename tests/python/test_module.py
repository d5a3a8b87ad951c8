import gc
import importlib
import subprocess
import sys
import textwrap
import tracemalloc

import pytest

import _qarvex
from _qarvex import CypherGenerator, QueryInfo, Qarvex, Schema, ValidationDiagnostic, ValidationResult

CLASSES = [Schema, Qarvex, ValidationResult, ValidationDiagnostic, CypherGenerator, QueryInfo]


def test_all_lists_the_exports_in_order():
    assert _qarvex.__all__ == [
        "Schema", "Qarvex", "ValidationResult", "ValidationDiagnostic",
        "CypherGenerator", "QueryInfo", "parse_query",
    ]
    assert _qarvex.__doc__ == ""


def test_second_import_gives_the_same_module():
    first = sys.modules.pop("_qarvex")
    try:
        again = importlib.import_module("_qarvex")
        assert again is first
    finally:
        sys.modules["_qarvex"] = first


@pytest.mark.parametrize("cls", CLASSES, ids=lambda c: c.__name__)
def test_class_shape(cls):
    assert cls.__module__ == "builtins"
    assert cls.__qualname__ == cls.__name__
    assert repr(cls) == f"<class 'builtins.{cls.__name__}'>"
    assert "__dict__" not in dir(cls) and "__weakref__" not in dir(cls)
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})


@pytest.mark.parametrize("cls", [ValidationResult, ValidationDiagnostic, QueryInfo],
                         ids=lambda c: c.__name__)
def test_classes_without_constructor_cannot_be_instantiated(cls):
    with pytest.raises(TypeError, match="cannot create"):
        cls()


def test_docs_and_text_signatures():
    assert Schema.__doc__ == "" and Schema.__text_signature__ == "(nodes, relationships)"
    assert Qarvex.__doc__ == "" and Qarvex.__text_signature__ == (
        "(schema, *, dialect='core', read_only=False, allowed_procedures=None)")
    assert CypherGenerator.__text_signature__ == "(schema, seed=None)"
    assert ValidationResult.__doc__ is None and ValidationDiagnostic.__doc__ is None
    assert QueryInfo.__doc__ == "Information extracted from a parsed query without a schema."
    assert _qarvex.parse_query.__module__ == "_qarvex"
    assert _qarvex.parse_query.__text_signature__ == "(query, *, dialect='core')"


def test_instances_are_read_only(movies):
    with pytest.raises(AttributeError):
        movies.extra = 1
    with pytest.raises(AttributeError):
        Qarvex(movies).schema = movies


CALL_SHAPES = [
    (lambda s: s.merge(), "Schema.merge() missing 1 required positional argument: 'other'"),
    (lambda s: Schema(), "Schema.__new__() missing 2 required positional arguments: "
                         "'nodes' and 'relationships'"),
    (lambda s: Schema({}, {}, {}), "Schema.__new__() takes 2 positional arguments but 3 were given"),
    (lambda s: Schema(nodes={}, relationships={}, extra=1),
     "Schema.__new__() got an unexpected keyword argument 'extra'"),
    (lambda s: Schema({}, nodes={}), "Schema.__new__() got multiple values for argument 'nodes'"),
    (lambda s: CypherGenerator(s, 1, 2),
     "CypherGenerator.__new__() takes from 1 to 2 positional arguments but 3 were given"),
    (lambda s: CypherGenerator(), "CypherGenerator.__new__() missing 1 required positional "
                                  "argument: 'schema'"),
    (lambda s: s.merge(s, s), "Schema.merge() takes 1 positional arguments but 2 were given"),
    (lambda s: s.has_node_label(rel_type="x"),
     "Schema.has_node_label() got an unexpected keyword argument 'rel_type'"),
    (lambda s: _qarvex.parse_query(), "parse_query() missing 1 required positional argument: 'query'"),
]


@pytest.mark.parametrize("call,message", CALL_SHAPES)
def test_call_shape_errors(movies, call, message):
    with pytest.raises(TypeError) as caught:
        call(movies)
    assert str(caught.value) == message


CONVERSIONS = [
    (lambda s: Schema([], {}), "argument 'nodes': 'list' object cannot be cast as 'dict'"),
    (lambda s: Schema({}, None), "argument 'relationships': 'NoneType' object cannot be cast as 'dict'"),
    (lambda s: s.merge(1), "argument 'other': 'int' object cannot be cast as 'Schema'"),
    (lambda s: s.node_properties(b"Person"), "argument 'label': 'bytes' object cannot be cast as 'str'"),
    (lambda s: Qarvex({}), "argument 'schema': 'dict' object cannot be cast as 'Schema'"),
    (lambda s: CypherGenerator(s, seed="1"),
     "argument 'seed': 'str' object cannot be interpreted as an integer"),
    (lambda s: CypherGenerator(s, 1.5),
     "argument 'seed': 'float' object cannot be interpreted as an integer"),
]


@pytest.mark.parametrize("call,message", CONVERSIONS)
def test_conversion_errors_carry_the_argument_name_and_the_cause(movies, call, message):
    with pytest.raises(TypeError) as caught:
        call(movies)
    assert str(caught.value) == message
    assert isinstance(caught.value.__cause__, TypeError)
    assert str(caught.value.__cause__) == message.split(": ", 1)[1]


@pytest.mark.parametrize("seed", [-1, 2**64])
def test_out_of_range_integers_pass_the_overflow_error_through(movies, seed):
    with pytest.raises(OverflowError) as caught:
        CypherGenerator(movies, seed=seed)
    assert not str(caught.value).startswith("argument")


class Indexable:
    def __index__(self):
        return 7


def test_unsigned_accepts_index_objects_and_none(movies):
    for seed in (None, 0, 2**64 - 1, Indexable(), True):
        assert repr(CypherGenerator(movies, seed)) == "CypherGenerator()"


def test_sub_interpreters_are_refused():
    # A legacy-configured interpreter shares the GIL, so only the module's own check stops it.
    code = textwrap.dedent("""
        import _interpreters
        import _qarvex
        interp = _interpreters.create("legacy")
        failure = _interpreters.exec(interp, "import _qarvex")
        _interpreters.destroy(interp)
        print(failure.type.__name__, failure.msg)
    """)
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                            timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("ImportError ")
    assert "sub-interpreters" in result.stdout


FAILING_CALLS = [call for call, _ in CALL_SHAPES + CONVERSIONS] + [
    lambda s: Schema({"P": "name"}, {}),
    lambda s: Schema({1: []}, {}),
    lambda s: Schema({}, {"K": ["a", "b", []]}),
    lambda s: CypherGenerator(s, seed=-1),
]


def test_failing_calls_do_not_leak(movies):
    def run_all(times):
        for _ in range(times):
            for call in FAILING_CALLS:
                try:
                    call(movies)
                except (TypeError, OverflowError):
                    pass

    run_all(200)
    gc.collect()
    tracemalloc.start()
    before = tracemalloc.take_snapshot()
    run_all(2000)
    gc.collect()
    after = tracemalloc.take_snapshot()
    tracemalloc.stop()
    growth = sum(stat.size_diff for stat in after.compare_to(before, "filename"))
    assert growth < 64 * 1024, f"memory grew by {growth} bytes"
    # Native allocations are invisible to tracemalloc; the resident set must stay flat too.
    rss_before = resident_bytes()
    run_all(5000)
    assert resident_bytes() - rss_before < 4 * 1024 * 1024


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * 4096
