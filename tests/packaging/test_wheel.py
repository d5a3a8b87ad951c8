"""Builds a wheel with the project's own build backend, installs it into a fresh virtual
environment and imports the module from there."""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def run(*command, cwd=ROOT):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=1800)
    assert result.returncode == 0, f"{command} failed:\n{result.stdout}\n{result.stderr}"
    return result.stdout


def test_wheel_installs_and_imports(tmp_path):
    wheels = tmp_path / "wheels"
    run(sys.executable, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps",
        "--wheel-dir", str(wheels), str(ROOT))
    [wheel] = wheels.glob("qarvex-*.whl")
    venv = tmp_path / "venv"
    run(sys.executable, "-m", "venv", str(venv))
    python = venv / "bin" / "python"
    run(str(python), "-m", "pip", "install", "--no-index", "--no-deps", str(wheel))
    out = run(str(python), "-c",
              "import _qarvex; print(_qarvex.__file__); "
              "print(_qarvex.Schema({'P': ['a']}, {}).node_labels())", cwd=tmp_path)
    location, labels = out.splitlines()
    assert str(venv) in location
    assert labels == "['P']"
