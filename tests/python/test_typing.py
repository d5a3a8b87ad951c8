"""The typed surface: the stub _qarvex.pyi agrees with the built module (mypy.stubtest), the
examples, the package and a test that uses every public name pass mypy --strict, and mypy
refuses the misuses the precise types exist to catch."""
import os
import pathlib
import subprocess
import sys

import pytest

import _qarvex

ROOT = pathlib.Path(__file__).resolve().parents[2]
CACHE = pathlib.Path(_qarvex.__file__).resolve().parent / "mypy-cache"


def mypy(*args, cwd=ROOT):
    """Runs mypy (the devroot's) in a subprocess; the stub and the package come from python/."""
    env = dict(os.environ, MYPYPATH=str(ROOT / "python"))
    return subprocess.run([sys.executable, "-m", *args], cwd=cwd, env=env, capture_output=True,
                          text=True, timeout=600)


def test_the_stub_matches_the_built_module():
    result = mypy("mypy.stubtest", "_qarvex", "--mypy-config-file", os.devnull)
    assert result.returncode == 0, result.stdout + result.stderr


def test_examples_package_and_surface_pass_strict_mypy():
    result = mypy("mypy", "--strict", "--cache-dir", str(CACHE), "--config-file", os.devnull,
                  "examples", "python/qarvex", "tests/typing")
    assert result.returncode == 0, result.stdout + result.stderr


def test_the_surface_has_at_run_time_the_types_it_asserts():
    sys.path.insert(0, str(ROOT / "tests" / "typing"))
    try:
        import surface
        surface.exercise()
    finally:
        sys.path.remove(str(ROOT / "tests" / "typing"))


MISUSES = [
    ("Schema({'A': 'name'}, {})", "dict-item"),
    ("Schema({}, {'R': ('A', 'B')})", "dict-item"),
    ("Schema({}, {}).rel_endpoints('R')[0]", "index"),
    ("Qarvex(Schema({}, {})).validate(['RETURN 1'])", "arg-type"),
    ("Qarvex(Schema({}, {})).validate('RETURN 1').fixed_query.upper()", "union-attr"),
    ("Qarvex(Schema({}, {})).validate('RETURN 1').diagnostics[0].severity == 'fatal'",
     "comparison-overlap"),
    ("Qarvex(Schema({}, {})).validate('RETURN 1').is_valid = True", "misc"),
    ("Qarvex(Schema({}, {})).feedback('RETURN 1').is_valid", "attr-defined"),
    ("CypherGenerator(Schema({}, {}), seed='7')", "arg-type"),
    ("parse_query('RETURN 1').labels_used.add('A')", "attr-defined"),
]


@pytest.fixture(scope="module")
def misuse_report(tmp_path_factory):
    """mypy's output on one file for each misuse, from one run."""
    folder = tmp_path_factory.mktemp("misuses")
    for number, (statement, _) in enumerate(MISUSES):
        (folder / f"misuse_{number}.py").write_text(
            "from qarvex import CypherGenerator, Qarvex, Schema, parse_query\n"
            f"{statement}\n")
    result = mypy("mypy", "--strict", "--no-incremental", "--config-file", os.devnull,
                  *sorted(str(path) for path in folder.glob("misuse_*.py")))
    return result.stdout


@pytest.mark.parametrize("number", range(len(MISUSES)),
                         ids=[statement for statement, _ in MISUSES])
def test_mypy_refuses_a_misuse(misuse_report, number):
    _, code = MISUSES[number]
    lines = [line for line in misuse_report.splitlines() if f"misuse_{number}.py:2:" in line]
    assert any(line.endswith(f"[{code}]") for line in lines), misuse_report
