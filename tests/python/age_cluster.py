"""A throwaway PostgreSQL cluster with Apache AGE for the tests: initdb and pg_ctl in a fresh
temporary folder, run by an unprivileged user, listening on a Unix socket only; stopping it
removes the folder."""
from __future__ import annotations

import glob
import os
import pwd
import shutil
import subprocess
import tempfile
from pathlib import Path
from typing import NoReturn

import pytest

# The server's user when the tests run as root (initdb and postgres refuse to run as root).
SERVER_USER = "nobody"
SUPERUSER = "qarvex"
# A small, fast server: nothing it writes needs to survive a crash.
SETTINGS = ("listen_addresses=", "fsync=off", "synchronous_commit=off", "full_page_writes=off",
            "shared_buffers=16MB", "max_connections=10")


class Unavailable(Exception):
    """PostgreSQL or AGE is not installed here."""


def unavailable(reason: str) -> NoReturn:
    """Skips the tests that need a component this machine lacks (all of a module's, when
    called at its import); under CI fails them instead, as CI must run every test."""
    if os.environ.get("CI") == "true":
        pytest.fail(f"{reason} (CI=true: the PostgreSQL tests must run)", pytrace=False)
    pytest.skip(reason, allow_module_level=True)


def server_programs() -> Path:
    """The folder of initdb and pg_ctl: the newest of Debian's versioned folders, else PATH."""
    for folder in sorted(glob.glob("/usr/lib/postgresql/*/bin"), key=_version, reverse=True):
        if os.access(os.path.join(folder, "initdb"), os.X_OK):
            return Path(folder)
    found = shutil.which("initdb")
    if found is None:
        raise Unavailable("PostgreSQL's initdb is not installed")
    return Path(found).parent


def _version(folder: str) -> int:
    name = Path(folder).parent.name
    return int(name) if name.isdigit() else 0


class Cluster:
    """A running cluster; ``dsn`` connects to its database ``postgres`` as its superuser."""

    def __init__(self) -> None:
        self.programs = server_programs()
        self.folder = Path(tempfile.mkdtemp(prefix="qarvex-pg-"))
        self.data = self.folder / "data"
        self.dsn = f"host={self.folder} dbname=postgres user={SUPERUSER}"
        self._drop = self._drop_privileges()

    def _drop_privileges(self) -> list[str]:
        if os.geteuid() != 0:
            return []
        user = pwd.getpwnam(SERVER_USER)
        os.chown(self.folder, user.pw_uid, user.pw_gid)
        return ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]

    def _run(self, program: str, *args: str) -> None:
        command = [*self._drop, str(self.programs / program), *args]
        done = subprocess.run(command, capture_output=True, text=True, timeout=120)
        if done.returncode != 0:
            log = self.folder / "log"
            tail = log.read_text(errors="replace")[-2000:] if log.exists() else ""
            raise RuntimeError(f"{program} failed:\n{done.stdout}{done.stderr}{tail}")

    def start(self) -> None:
        self._run("initdb", "-D", str(self.data), "-U", SUPERUSER, "--auth=trust",
                  "-E", "UTF8", "--locale=C.UTF-8", "--no-sync", "--no-instructions")
        options = " ".join(f"-c {setting}" for setting in SETTINGS)
        self._run("pg_ctl", "start", "-w", "-t", "60", "-D", str(self.data),
                  "-l", str(self.folder / "log"),
                  "-o", f"{options} -c unix_socket_directories={self.folder}")

    def stop(self) -> None:
        """Stops the server (at once: nothing in it is kept) and removes the folder."""
        try:
            if (self.data / "postmaster.pid").exists():
                self._run("pg_ctl", "stop", "-m", "immediate", "-w", "-D", str(self.data))
        finally:
            shutil.rmtree(self.folder, ignore_errors=True)
