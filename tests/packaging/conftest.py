"""One wheel for the whole session: built with the project's own build backend and installed,
with its console script, into a throwaway virtual environment."""
import dataclasses
import os
import pathlib
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def run(*command, cwd=ROOT, timeout=1800):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    assert result.returncode == 0, f"{command} failed:\n{result.stdout}\n{result.stderr}"
    return result.stdout


@dataclasses.dataclass(frozen=True)
class Installed:
    wheel: pathlib.Path
    venv: pathlib.Path

    @property
    def python(self):
        return self.venv / "bin" / "python"

    @property
    def script(self):
        return self.venv / "bin" / "qarvex"


@pytest.fixture(scope="session")
def installed(tmp_path_factory):
    base = tmp_path_factory.mktemp("wheel")
    wheels = base / "wheels"
    run(sys.executable, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps",
        "--wheel-dir", str(wheels), str(ROOT))
    [wheel] = wheels.glob("qarvex-*.whl")
    venv = base / "venv"
    run(sys.executable, "-m", "venv", str(venv))
    run(str(venv / "bin" / "python"), "-m", "pip", "install", "--no-index", "--no-deps",
        str(wheel))
    return Installed(wheel, venv)


@pytest.fixture
def qarvex(installed, tmp_path):
    """Runs the installed console script in tmp_path: qarvex(*args, stdin=None) gives the
    completed process (text mode)."""
    def call(*args, stdin=None, cwd=tmp_path):
        env = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
        return subprocess.run([str(installed.script), *map(str, args)], cwd=cwd, env=env,
                              input=stdin, capture_output=True, text=True, timeout=120)
    return call
