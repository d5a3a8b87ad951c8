"""The queries of the command line's inputs: Cypher files split into statements, JSON Lines
files with the query in one field, and standard input. Every problem with an input is an
``InputError`` whose message names the file and the place.

Queries travel in chunks (``Chunk``) of about ``CHUNK``: validating one chunk, which releases
the interpreter lock, overlaps reading the next. A chunk holds its texts and makes a ``Query``,
with its place in the file, only when a report asks for it."""
from __future__ import annotations

import json
import os
import re
import sys
from collections.abc import Callable, Iterator
from pathlib import Path
from typing import BinaryIO, Literal

from ._text import LineIndex, split_statements

InputFormat = Literal["cypher", "jsonl"]
STDIN = "-"
STDIN_NAME = "<stdin>"
JSONL_SUFFIXES = (".jsonl", ".ndjson")
CYPHER_SUFFIXES = (".cypher", ".cql")
CHUNK = 8192
# JSON Lines are cut into chunks by length: CHUNK lines of about this many characters.
LINE_GUESS = 256


class InputError(Exception):
    """An input that cannot be read; the message names the file and the place."""


class Source:
    """One input: ``path`` as shown in messages and ``uri`` as SARIF names it. ``index`` holds
    the text of a Cypher input, which gives positions in the file and the lines of reports. A
    JSON Lines input keeps its text to find, when asked, the column of a query's string."""

    __slots__ = ("path", "uri", "index", "_text", "_lines", "_key")

    def __init__(self, path: str, index: LineIndex | None, text: str = "",
                 field: str = "") -> None:
        self.path = path
        self.uri = uri_of(path)
        self.index = index
        self._text = text
        self._lines: LineIndex | None = None
        self._key = json.dumps(field, ensure_ascii=False) if field else ""

    def value_column(self, line: int) -> int:
        """The 1-based column of the field's string value on a JSON Lines line (where the key
        is written as json.dumps writes it), 1 if not found."""
        if not self._key:
            return 1
        if self._lines is None:
            self._lines = LineIndex(self._text)
        text = self._lines.line_text(line)
        found = text.find(self._key)
        while found >= 0:
            value = _VALUE_START.match(text, found + len(self._key))
            if value and text[found - 1:found] != "\\":
                return value.end()
            found = text.find(self._key, found + 1)
        return 1


_VALUE_START = re.compile(r'\s*:\s*"')


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
            self._column = self.source.value_column(self.line)
        return self._column


class Chunk:
    """Queries validated together: ``texts`` in order, and ``query(i)`` for the i-th."""

    __slots__ = ("texts", "query")

    def __init__(self, texts: list[str], query: Callable[[int], Query]) -> None:
        self.texts = texts
        self.query = query

    def __len__(self) -> int:
        return len(self.texts)


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


def read_chunks(files: list[str], field: str, stdin_format: InputFormat,
                stdin: BinaryIO | None = None, size: int = CHUNK) -> Iterator[Chunk]:
    """Every query of the inputs (as ``expand`` lists them) in order, in chunks of at most
    ``size`` queries; the statements of several small Cypher files share a chunk."""
    pending: list[Query] = []

    def flush() -> Iterator[Chunk]:
        for start in range(0, len(pending), size):
            part = pending[start:start + size]
            yield Chunk([query.text for query in part], part.__getitem__)
        pending.clear()

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
            yield from flush()
            yield from jsonl_chunks(name, text, field, size)
        else:
            pending.extend(cypher_queries(name, text))
            if len(pending) >= size:
                yield from flush()
    yield from flush()


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
    source = Source(name, index)
    queries = []
    for statement in split_statements(text):
        line, column = index.line_col(statement.offset)
        queries.append(Query(source, statement.text, statement.offset, line, column))
    return queries


def jsonl_chunks(name: str, text: str, field: str, size: int) -> Iterator[Chunk]:
    """The queries of a JSON Lines text, one a non-blank line, taken from ``field``, in chunks
    of whole lines of about ``size`` lines of ``LINE_GUESS`` characters each."""
    source = Source(name, None, text, field)
    start = 0
    first = 1  # the number of the chunk's first line
    step = max(1, size * LINE_GUESS)
    while start < len(text):
        end = text.find("\n", min(start + step, len(text)) - 1) + 1 or len(text)
        numbers, records = _load_lines(name, text[start:end], first)
        try:
            texts = [record[field] for record in records]  # type: ignore[index]
            typed = set(map(type, texts)) <= {str}
        except (TypeError, KeyError, IndexError):
            typed = False
        if not typed:
            _refuse(name, field, numbers, records)
        if texts:
            yield Chunk(texts, _jsonl_query(source, texts, numbers))
        first += text.count("\n", start, end)
        start = end


def _jsonl_query(source: Source, texts: list[str],
                 numbers: range | list[int]) -> Callable[[int], Query]:
    def query(index: int) -> Query:
        return Query(source, texts[index], -1, numbers[index], 0)
    return query


def _load_lines(name: str, part: str, first: int) -> tuple[range | list[int], list[object]]:
    """The line numbers and JSON values of the non-blank lines of ``part``, whose first line
    is line ``first``. Lines without blank ones are decoded in one call (a JSON string holds no
    line feed, so the lines are the elements of an array), which is much faster than a call a
    line; otherwise, or when that fails, line by line, which also finds the bad line."""
    ends = part.endswith("\n")
    if part:  # a blank line makes an empty element, which fails the decoding
        count = part.count("\n") + (not ends)
        # A final line feed becomes a comma before the array's dummy last element.
        array = "[" + part.replace("\n", ",") + ("0]" if ends else "]")
        try:
            values = json.loads(array)
        except (json.JSONDecodeError, RecursionError):
            values = None
        if values is not None and len(values) == count + ends:
            if ends:
                values.pop()
            return range(first, first + count), values
    body = part[:-1] if ends else part
    numbers: list[int] = []
    records: list[object] = []
    for number, line in enumerate(body.split("\n"), first):
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


def _refuse(name: str, field: str, numbers: range | list[int], records: list[object]) -> None:
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
