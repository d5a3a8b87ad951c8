"""The wheel: what it holds, that it installs and imports from a fresh virtual environment, and
that mypy finds its types there as an editor would."""
import os
import subprocess
import sys
import zipfile

from conftest import run


def test_wheel_installs_and_imports(installed, tmp_path):
    out = run(str(installed.python), "-c",
              "import _qarvex, qarvex; print(_qarvex.__file__); print(qarvex.__file__); "
              "print(_qarvex.Schema({'P': ['a']}, {}).node_labels()); "
              "print(qarvex.Qarvex is _qarvex.Qarvex, qarvex.__version__)", cwd=tmp_path)
    module, package, labels, names = out.splitlines()
    assert str(installed.venv) in module and str(installed.venv) in package
    assert labels == "['P']"
    assert names == "True 0.1.0"


def test_qarvex_and_qarvex_dask_import_without_dask(installed, tmp_path):
    # The virtual environment has no Dask: neither module may need it to import.
    out = run(str(installed.python), "-c",
              "import sys, qarvex, qarvex.dask; "
              "print(sorted(m for m in sys.modules if m.split('.')[0] in ('dask', 'pandas')))",
              cwd=tmp_path)
    assert out.strip() == "[]"


def test_wheel_ships_the_stub_the_marker_and_the_console_script(installed):
    names = zipfile.ZipFile(installed.wheel).namelist()
    assert {"_qarvex.pyi", "_qarvex-stubs/__init__.pyi"} <= set(names)
    assert {"qarvex/__init__.py", "qarvex/__main__.py", "qarvex/cli.py", "qarvex/dask.py",
            "qarvex/py.typed"} <= set(names)
    [entry_points] = [name for name in names if name.endswith(".dist-info/entry_points.txt")]
    text = zipfile.ZipFile(installed.wheel).read(entry_points).decode()
    assert "qarvex = qarvex.cli:main" in text


def test_mypy_finds_the_installed_types(installed, tmp_path):
    source = tmp_path / "user.py"
    source.write_text("import _qarvex\nfrom qarvex import Qarvex, Schema\n"
                      "v = Qarvex(Schema({}, {}))\n"
                      "reveal_type(v.validate('RETURN 1').diagnostics)\n"
                      "reveal_type(_qarvex.parse_query)\n")
    env = {key: value for key, value in os.environ.items()
           if key not in ("PYTHONPATH", "MYPYPATH")}
    result = subprocess.run([sys.executable, "-m", "mypy", "--strict", "--no-incremental",
                             "--python-executable", str(installed.python), str(source)],
                            cwd=tmp_path, env=env, capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
    assert 'Revealed type is "list[_qarvex.ValidationDiagnostic]"' in result.stdout
    assert ('Revealed type is "def (query: str, *, dialect: Literal[\'core\'] | '
            'Literal[\'neo4j\'] =) -> _qarvex.QueryInfo"') in result.stdout
