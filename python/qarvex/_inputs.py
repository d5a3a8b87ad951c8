"""The queries of the command line's inputs: Cypher files split into statements, JSON Lines
files with the query in one field, and standard input. Every problem with an input is an
``InputError`` whose message names the file and the place."""
from __future__ import annotations

import json
import os
import re
import sys
from dataclasses import dataclass
from pathlib import Path
from typing import BinaryIO, Iterable, Iterator, Literal

from ._text import LineIndex, split_statements

InputFormat = Literal["cypher", "jsonl"]
STDIN = "-"
STDIN_NAME = "<stdin>"
JSONL_SUFFIXES = (".jsonl", ".ndjson")
CYPHER_SUFFIXES = (".cypher", ".cql")


class InputError(Exception):
    """An input that cannot be read; the message names the file and the place."""


@dataclass(slots=True)
class Source:
    """One input: ``path`` as shown in messages and ``uri`` as SARIF names it. ``index`` holds
    the text of a Cypher input, which gives positions in the file and the lines of reports;
    ``lines`` and ``value_start`` those of a JSON Lines input, which give the column of a
    query's string on its line."""

    path: str
    uri: str
    index: LineIndex | None
    lines: list[str] | None = None
    value_start: re.Pattern[str] | None = None


class Query:
    """One query of an input. ``line`` and ``column`` (1-based) are where it starts in the file:
    its first token in a Cypher input, its string value on its line of a JSON Lines input (found
    only when asked for). ``offset`` is the offset of the first token in a Cypher input's text,
    -1 in JSON Lines."""

    __slots__ = ("source", "text", "offset", "line", "_column")

    def __init__(self, source: Source, text: str, offset: int, line: int, column: int) -> None:
        self.source = source
        self.text = text
        self.offset = offset
        self.line = line
        self._column = column

    @property
    def column(self) -> int:
        if self._column == 0:
            lines, value_start = self.source.lines, self.source.value_start
            found = None
            if lines is not None and value_start is not None:
                found = value_start.search(lines[self.line - 1])
            self._column = found.end() if found else 1
        return self._column


def expand(paths: list[str]) -> list[str]:
    """The paths with every directory replaced by the Cypher and JSON Lines files under it, in
    sorted order; no path at all means standard input."""
    if not paths:
        return [STDIN]
    expanded: list[str] = []
    for path in paths:
        if path != STDIN and os.path.isdir(path):
            found = sorted(str(file) for file in Path(path).rglob("*")
                           if file.suffix in CYPHER_SUFFIXES + JSONL_SUFFIXES and file.is_file())
            expanded.extend(found)
        else:
            expanded.append(path)
    return expanded


# Queries are handed on in chunks of about this many, so that validating one chunk (which
# releases the interpreter lock) overlaps reading the next.
CHUNK = 8192


def read_chunks(files: list[str], field: str, stdin_format: InputFormat,
                stdin: BinaryIO | None = None, chunk: int = CHUNK) -> Iterator[list[Query]]:
    """Every query of the inputs (as ``expand`` lists them) in order, in chunks of ``chunk``
    queries (the last one shorter)."""
    pending: list[Query] = []
    for path in files:
        if path == STDIN:
            data = (stdin or sys.stdin.buffer).read()
            source_format = stdin_format
            name = STDIN_NAME
        else:
            try:
                data = Path(path).read_bytes()
            except OSError as error:
                raise InputError(f"{path}: cannot read: {error.strerror or error}") from None
            source_format = "jsonl" if path.endswith(JSONL_SUFFIXES) else "cypher"
            name = path
        text = decode(name, data)
        parts = (jsonl_queries(name, text, field, chunk) if source_format == "jsonl"
                 else iter([cypher_queries(name, text)]))
        for part in parts:
            pending.extend(part)
            while len(pending) >= chunk:
                yield pending[:chunk]
                del pending[:chunk]
    if pending:
        yield pending


def read_queries(paths: list[str], field: str, stdin_format: InputFormat,
                 stdin: BinaryIO | None = None) -> tuple[list[Query], int]:
    """Every query of the inputs in order, and the number of inputs read."""
    files = expand(paths)
    queries = [query for part in read_chunks(files, field, stdin_format, stdin)
               for query in part]
    return queries, len(files)


def decode(name: str, data: bytes) -> str:
    """The UTF-8 text of an input (a leading byte-order mark dropped)."""
    try:
        return data.decode("utf-8-sig")
    except UnicodeDecodeError as error:
        line = data.count(b"\n", 0, error.start) + 1
        column = error.start - (data.rfind(b"\n", 0, error.start) + 1) + 1
        raise InputError(f"{name}:{line}:{column}: not UTF-8 text "
                         f"(byte 0x{data[error.start]:02x})") from None


def uri_of(name: str) -> str:
    """The SARIF artifact URI of an input: relative paths stay relative, with forward slashes."""
    if name == STDIN_NAME:
        return "stdin"
    path = Path(name)
    if path.is_absolute():
        return path.as_uri()
    from urllib.parse import quote
    return quote(path.as_posix())


def cypher_queries(name: str, text: str) -> list[Query]:
    """The statements of a Cypher text as queries."""
    index = LineIndex(text)
    source = Source(name, uri_of(name), index)
    queries = []
    for statement in split_statements(text):
        line, column = index.line_col(statement.offset)
        queries.append(Query(source, statement.text, statement.offset, line, column))
    return queries


def jsonl_queries(name: str, text: str, field: str, chunk: int) -> Iterator[list[Query]]:
    """The queries of a JSON Lines text, one a non-blank line, taken from ``field``, in chunks
    of ``chunk`` lines."""
    lines = text.split("\n")
    if lines and not lines[-1].strip():
        lines.pop()
    value_start = re.compile(r'(?<!\\)"' + re.escape(json.dumps(field)[1:-1]) + r'"\s*:\s*"')
    source = Source(name, uri_of(name), None, lines, value_start)
    for start in range(0, len(lines), chunk):
        numbers, records = _load_lines(name, lines[start:start + chunk], start)
        try:
            texts = [record[field] for record in records]  # type: ignore[index]
            typed = all(type(text) is str for text in texts)
        except (TypeError, KeyError, IndexError):
            typed = False
        if not typed:
            _refuse(name, field, numbers, records)
        yield [Query(source, text, -1, number, 0) for number, text in zip(numbers, texts)]


def _load_lines(name: str, lines: list[str], before: int) -> tuple[range | list[int],
                                                                   list[object]]:
    """The line numbers and JSON values of the non-blank lines among ``lines``, which follow
    ``before`` others. Lines without blank ones are decoded in one call (a JSON string holds no
    line feed, so the lines are the array's elements), which is much faster than one call a
    line; otherwise, or when that fails, line by line, which also finds the bad line."""
    if "" not in lines:
        try:
            values = json.loads("[" + ",".join(lines) + "]")
        except (json.JSONDecodeError, RecursionError):
            values = None
        if values is not None and len(values) == len(lines):
            return range(before + 1, before + len(lines) + 1), values
    numbers: list[int] = []
    records: list[object] = []
    for number, line in enumerate(lines, before + 1):
        if not line.strip():
            continue
        try:
            records.append(json.loads(line))
        except json.JSONDecodeError as error:
            raise InputError(f"{name}:{number}:{error.colno}: bad JSON line: {error.msg}") \
                from None
        except RecursionError:
            raise InputError(f"{name}:{number}: bad JSON line: nested too deeply") from None
        numbers.append(number)
    return numbers, records


def _refuse(name: str, field: str, numbers: Iterable[int], records: list[object]) -> None:
    """Raises the error for the first record that holds no string in ``field``."""
    for number, record in zip(numbers, records):
        if type(record) is not dict:
            raise InputError(f"{name}:{number}: expected a JSON object, "
                             f"got {_json_type(record)}")
        if field not in record:
            raise InputError(f"{name}:{number}: no field {json.dumps(field)}")
        if type(record[field]) is not str:
            raise InputError(f"{name}:{number}: field {json.dumps(field)} is "
                             f"{_json_type(record[field])}, expected a string")


def _json_type(value: object) -> str:
    names = {dict: "an object", list: "an array", str: "a string", bool: "a boolean",
             int: "a number", float: "a number", type(None): "null"}
    return names.get(type(value), type(value).__name__)
