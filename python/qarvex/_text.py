"""Cypher text outside the parser: statements split on top-level semicolons, the position of a
statement's first token, and a mask of the code (strings and comments blanked) in which names
can be searched.

One scanner serves all three. It knows four kinds of region besides code: a string in single or
double quotes (a backslash takes the next character with it, so only an unescaped quote of the
same kind ends it), a name in backticks (a doubled backtick stays inside it), a line comment
(``//`` to the end of the line) and a block comment (``/*`` to ``*/``). A region left open at the
end of the text runs to the end; the parser then reports it.
"""
from __future__ import annotations

import bisect
import re
from typing import Iterator, NamedTuple

# The characters that start a region, and the regions' ends.
_SPECIAL = re.compile(r"""['"`;]|//|/\*""")
_LINE_END = re.compile(r"\n")
_BLOCK_END = re.compile(r"\*/")
_QUOTED_END = {
    "'": re.compile(r"(?:[^'\\]|\\.)*(?:'|\\?\Z)", re.DOTALL),
    '"': re.compile(r'(?:[^"\\]|\\.)*(?:"|\\?\Z)', re.DOTALL),
    "`": re.compile(r"[^`]*(?:`|\Z)"),
}
_TRIVIA = re.compile(r"(?:\s+|//[^\n]*(?:\n|\Z)|/\*.*?(?:\*/|\Z))*", re.DOTALL)


def scan(text: str) -> Iterator[tuple[str, int, int]]:
    """Yields ``(kind, start, end)`` for every region and every ``;`` outside the regions, in
    order; ``kind`` is ``;`` for a semicolon."""
    position = 0
    length = len(text)
    while position < length:
        found = _SPECIAL.search(text, position)
        if found is None:
            return
        start = found.start()
        kind = found.group()
        if kind == ";":
            yield kind, start, start + 1
            position = start + 1
            continue
        if kind == "//":
            line_end = _LINE_END.search(text, start)
            end = length if line_end is None else line_end.start()
        elif kind == "/*":
            block_end = _BLOCK_END.search(text, start + 2)
            end = length if block_end is None else block_end.end()
        else:
            match = _QUOTED_END[kind].match(text, start + 1)
            end = length if match is None else match.end()
        yield kind, start, end
        position = end


def skip_trivia(text: str, position: int = 0) -> int:
    """The offset of the first character at or after ``position`` that is neither white space
    nor inside a comment."""
    match = _TRIVIA.match(text, position)
    return position if match is None else match.end()


class Statement(NamedTuple):
    """One statement of a Cypher text: ``text`` starts at its first token and stops before its
    semicolon, trailing white space removed; ``offset`` is where it starts in the whole text."""

    text: str
    offset: int


def split_statements(text: str) -> list[Statement]:
    """The statements of ``text``, split on every semicolon outside strings, comments and
    backtick names. A stretch holding only white space and comments is no statement."""
    statements: list[Statement] = []
    start = 0

    def close(end: int) -> None:
        first = skip_trivia(text, start)
        if first < end:
            statements.append(Statement(text[first:end].rstrip(), first))

    for kind, region_start, region_end in scan(text):
        if kind == ";":
            close(region_start)
            start = region_end
    close(len(text))
    return statements


def code_mask(text: str) -> str:
    """``text`` with the contents of strings and comments replaced by spaces, so that a search
    for a name finds only code; backtick names are kept, offsets do not move."""
    parts: list[str] = []
    position = 0
    for kind, start, end in scan(text):
        if kind in ("'", '"', "//", "/*"):
            parts.append(text[position:start])
            parts.append(" " * (end - start))
            position = end
    parts.append(text[position:])
    return "".join(parts)


class LineIndex:
    """Turns offsets of one text into 1-based lines and columns: a line feed ends a line and
    every other character, a carriage return included, is one column."""

    def __init__(self, text: str) -> None:
        self.text = text
        self._starts = [0] + [match.end() for match in _LINE_END.finditer(text)]

    def line_col(self, offset: int) -> tuple[int, int]:
        """The line and column of ``offset``."""
        line = bisect.bisect_right(self._starts, offset)
        return line, offset - self._starts[line - 1] + 1

    def line_text(self, line: int) -> str:
        """Line ``line`` (1-based) without its line break."""
        start = self._starts[line - 1]
        end = self._starts[line] if line < len(self._starts) else len(self.text)
        return self.text[start:end].rstrip("\r\n")

    def offset(self, line: int, column: int) -> int:
        """The offset of a 1-based line and column."""
        return self._starts[line - 1] + column - 1

