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
from typing import BinaryIO, Literal

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
    the text of a Cypher input, which gives positions in the file and the lines of reports."""

    path: str
    uri: str
    index: LineIndex | None


@dataclass(slots=True)
class Query:
    """One query of an input. ``line`` and ``column`` (1-based) are where it starts in the file:
    its first token in a Cypher input, its string value on its line of a JSON Lines input.
    ``offset`` is the offset of the first token in a Cypher input's text, -1 in JSON Lines."""

    source: Source
    text: str
    offset: int
    line: int
    column: int


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


def read_queries(paths: list[str], field: str, stdin_format: InputFormat,
                 stdin: BinaryIO | None = None) -> tuple[list[Query], int]:
    """Every query of the inputs in order, and the number of inputs read."""
    queries: list[Query] = []
    files = expand(paths)
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
        if source_format == "jsonl":
            queries.extend(jsonl_queries(name, text, field))
        else:
            queries.extend(cypher_queries(name, text))
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


def jsonl_queries(name: str, text: str, field: str) -> list[Query]:
    """The queries of a JSON Lines text, one a non-blank line, taken from ``field``."""
    source = Source(name, uri_of(name), None)
    value_start = re.compile(r'(?<!\\)"' + re.escape(json.dumps(field)[1:-1]) + r'"\s*:\s*"')
    lines = text.split("\n")
    records = _load_lines(name, lines)
    queries = []
    for number, record in records:
        if not isinstance(record, dict):
            raise InputError(f"{name}:{number}: expected a JSON object, "
                             f"got {_json_type(record)}")
        query = record.get(field)
        if query is None and field not in record:
            raise InputError(f"{name}:{number}: no field {json.dumps(field)}")
        if not isinstance(query, str):
            raise InputError(f"{name}:{number}: field {json.dumps(field)} is "
                             f"{_json_type(query)}, expected a string")
        found = value_start.search(lines[number - 1])
        column = found.end() if found else 1
        queries.append(Query(source, query, -1, number, column))
    return queries


def _load_lines(name: str, lines: list[str]) -> list[tuple[int, object]]:
    """Each non-blank line's number and JSON value. The lines are decoded in one call (much
    faster than one call a line) and, only when that fails, one by one to find the bad line."""
    numbered = [(number, line) for number, line in enumerate(lines, 1) if line.strip()]
    try:
        values = json.loads("[" + ",".join(line for _, line in numbered) + "]")
        if len(values) == len(numbered):
            return list(zip((number for number, _ in numbered), values))
    except (json.JSONDecodeError, RecursionError):
        pass
    records = []
    for number, line in numbered:
        try:
            records.append((number, json.loads(line)))
        except json.JSONDecodeError as error:
            raise InputError(f"{name}:{number}:{error.colno}: bad JSON line: {error.msg}") \
                from None
        except RecursionError:
            raise InputError(f"{name}:{number}: bad JSON line: nested too deeply") from None
    return records


def _json_type(value: object) -> str:
    names = {dict: "an object", list: "an array", str: "a string", bool: "a boolean",
             int: "a number", float: "a number", type(None): "null"}
    return names.get(type(value), type(value).__name__)
