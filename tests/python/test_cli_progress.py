"""The progress bar of `qarvex check`: shown on a terminal for more than 10,000 queries, erased
at the end, and absent when standard error is not a terminal or the input is small."""
import io
import json

import pytest

from qarvex import cli

SCHEMA = '{"nodes":{"Person":["name"]},"relationships":{}}'


class Terminal(io.StringIO):
    def isatty(self):
        return True


@pytest.fixture
def inputs(tmp_path):
    (tmp_path / "schema.json").write_text(SCHEMA)
    lines = [json.dumps({"query": f"MATCH (p:Person) RETURN p.name, {i}"}) for i in range(10_001)]
    (tmp_path / "big.jsonl").write_text("\n".join(lines) + "\n")
    (tmp_path / "small.jsonl").write_text("\n".join(lines[:10_000]) + "\n")
    return tmp_path


def check(monkeypatch, path, stream):
    monkeypatch.setattr("sys.stdout", io.StringIO())
    monkeypatch.setattr("sys.stderr", stream)
    return cli.main(["check", "--schema", str(path.parent / "schema.json"), str(path)])


def test_a_large_input_on_a_terminal_shows_a_progress_bar(monkeypatch, inputs):
    stream = Terminal()
    assert check(monkeypatch, inputs / "big.jsonl", stream) == 0
    text = stream.getvalue()
    assert "\rqarvex: [" in text and "10,001/10,001 queries" in text
    assert text.endswith("\r\x1b[K0 errors, 0 warnings in 10001 queries (1 file)\n")


@pytest.mark.parametrize("name, stream", [("big.jsonl", io.StringIO()),
                                          ("small.jsonl", Terminal())])
def test_no_progress_bar_off_a_terminal_or_for_a_small_input(monkeypatch, inputs, name, stream):
    assert check(monkeypatch, inputs / name, stream) == 0
    assert "\r" not in stream.getvalue()
