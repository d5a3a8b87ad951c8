"""The three output formats of ``qarvex check``: compiler-style text, JSON Lines and SARIF."""
from __future__ import annotations

import json
import re
from typing import IO, Literal, Protocol

from _qarvex import ValidationDiagnostic, ValidationResult

from ._inputs import Chunk, Query
from ._locate import Locator

OutputFormat = Literal["text", "json", "sarif"]
FORMATS: tuple[OutputFormat, ...] = ("text", "json", "sarif")
SARIF_SCHEMA = ("https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/"
                "sarif-schema-2.1.0.json")
_REPORT_HEAD = re.compile(r"^ *--> \d+:\d+\n")
# One encoder for every JSON line (json.dumps with options makes a new one a call).
_ENCODER = json.JSONEncoder(ensure_ascii=False, separators=(",", ":"))


class Report(Protocol):
    """Takes every chunk of queries with their results, in input order, then closes the
    output."""

    def add(self, chunk: Chunk, results: list[ValidationResult]) -> None: ...

    def close(self, files: int) -> None: ...


def syntax_summary(message: str) -> str:
    """The one-line message of a syntax error: the last line of its six-line report (after
    ``= ``), or the message itself when it is no report."""
    if _REPORT_HEAD.match(message):
        last = message.rsplit("\n", 1)[-1].strip()
        if last.startswith("= "):
            return last[2:]
    return message


def locate(query: Query, diagnostic: ValidationDiagnostic, code: str, message: str,
           locator: Locator | None) -> tuple[int, int]:
    """The line and column in the file where a diagnostic points: a syntax error at its
    position, another diagnostic at the name it is about, else at the statement's first token.
    In a JSON Lines input every diagnostic points at the query's string on its line."""
    index = query.source.index
    if index is None:
        return query.line, query.column
    if code == "E101":
        line = diagnostic.position_line
        column = diagnostic.position_col
        if line is not None and column is not None:
            if line == 1:
                return query.line, query.column + column - 1
            return query.line + line - 1, column
    offset = 0 if locator is None else locator.offset(code, message)
    return index.line_col(query.offset + offset)


def syntax_report(query: Query, diagnostic: ValidationDiagnostic, line: int,
                  column: int) -> list[str]:
    """The six-line report of a syntax error, with the file's line numbers and text; the
    module's own report (lines of the query) for a JSON Lines input."""
    index = query.source.index
    if index is None or diagnostic.position_line is None:
        return diagnostic.message.split("\n") if _REPORT_HEAD.match(diagnostic.message) else []
    margin = " " * len(str(line))
    text = index.line_text(line)
    underline = "".join("\t" if char == "\t" else " " for char in text[:column - 1]) + "^---"
    return [f"{margin}--> {line}:{column}", f"{margin} |", f"{line} | {text}",
            f"{margin} | {underline}", f"{margin} |",
            f"{margin} = {syntax_summary(diagnostic.message)}"]


_PLURALS = {"error": "errors", "warning": "warnings", "query": "queries", "file": "files"}


def _count(count: int, word: str) -> str:
    return f"{count} {word if count == 1 else _PLURALS[word]}"


class TextReport:
    """One line a diagnostic, ``PATH:LINE:COL: error: MESSAGE [CODE]``; a syntax error's
    report follows it, indented; with ``fix`` the corrected query follows its diagnostics. A
    summary closes the run on ``summary``."""

    def __init__(self, out: IO[str], summary: IO[str], fix: bool) -> None:
        self._out = out
        self._summary = summary
        self._fix = fix
        self.errors = 0
        self.warnings = 0
        self.queries = 0

    def add(self, chunk: Chunk, results: list[ValidationResult]) -> None:
        self.queries += len(results)
        for number, result in enumerate(results):
            if not (result and not result.warnings):
                self._add(chunk.query(number), result)

    def _add(self, query: Query, result: ValidationResult) -> None:
        lines: list[str] = []
        locator = Locator(query.text) if query.source.index is not None else None
        path = query.source.path
        for diagnostic in result.diagnostics:
            code = diagnostic.code
            message = diagnostic.message
            severity = diagnostic.severity
            line, column = locate(query, diagnostic, code, message, locator)
            if severity == "error":
                self.errors += 1
            else:
                self.warnings += 1
            if code == "E101":
                lines.append(f"{path}:{line}:{column}: error: {syntax_summary(message)} [E101]")
                lines.extend("    " + text for text in syntax_report(query, diagnostic, line,
                                                                       column))
            else:
                lines.append(f"{path}:{line}:{column}: {severity}: {message} [{code}]")
        fixed = result.fixed_query if self._fix else None
        if fixed is not None:
            lines.append(f"{path}:{query.line}:{query.column}: note: fixed query:")
            lines.extend("    " + text for text in fixed.split("\n"))
        self._out.write("\n".join(lines) + "\n")

    def close(self, files: int) -> None:
        self._out.flush()
        self._summary.write(f"{_count(self.errors, 'error')}, "
                            f"{_count(self.warnings, 'warning')} in "
                            f"{_count(self.queries, 'query')} ({_count(files, 'file')})\n")


class JsonReport:
    """One JSON object a query, on its own line: ``path``, ``line``, ``column``, ``query`` and
    ``result`` (the result's dictionary form), and ``fixed_query`` with ``fix``."""

    def __init__(self, out: IO[str], fix: bool) -> None:
        self._out = out
        self._fix = fix
        self._paths: dict[str, str] = {}
        # Every result without a finding has the same dictionary form: encoded once.
        self._clean: str | None = None

    def add(self, chunk: Chunk, results: list[ValidationResult]) -> None:
        encode = _ENCODER.encode
        lines = []
        for number, result in enumerate(results):
            query = chunk.query(number)
            path = self._paths.get(query.source.path)
            if path is None:
                path = self._paths[query.source.path] = encode(query.source.path)
            if result and not result.warnings and result.fixed_query is None:
                if self._clean is None:
                    self._clean = encode(result.to_dict())
                result_text = self._clean
            else:
                result_text = encode(result.to_dict())
            line = (f'{{"path":{path},"line":{query.line},"column":{query.column},'
                    f'"query":{encode(query.text)},"result":{result_text}')
            if self._fix:
                line += f',"fixed_query":{encode(result.fixed_query)}'
            lines.append(line + "}\n")
        self._out.write("".join(lines))

    def close(self, files: int) -> None:
        self._out.flush()


class SarifReport:
    """One SARIF 2.1.0 log: tool ``qarvex`` with one rule for each code used, and a result
    with a physical location for each diagnostic."""

    def __init__(self, out: IO[str], fix: bool, version: str) -> None:
        self._out = out
        self._fix = fix
        self._version = version
        self._rules: dict[str, int] = {}
        self._rule_list: list[dict[str, object]] = []
        self._results: list[dict[str, object]] = []

    def _rule_index(self, diagnostic: ValidationDiagnostic) -> int:
        index = self._rules.get(diagnostic.code)
        if index is None:
            index = self._rules[diagnostic.code] = len(self._rule_list)
            self._rule_list.append({
                "id": diagnostic.code,
                "name": diagnostic.code_name,
                "shortDescription": {"text": diagnostic.code_name},
                "defaultConfiguration": {"level": diagnostic.severity},
            })
        return index

    def add(self, chunk: Chunk, results: list[ValidationResult]) -> None:
        for number, result in enumerate(results):
            if not (result and not result.warnings):
                self._add(chunk.query(number), result)

    def _add(self, query: Query, result: ValidationResult) -> None:
        locator = Locator(query.text) if query.source.index is not None else None
        for diagnostic in result.diagnostics:
            message = diagnostic.message
            line, column = locate(query, diagnostic, diagnostic.code, message, locator)
            if diagnostic.code == "E101":
                message = syntax_summary(message)
            entry: dict[str, object] = {
                "ruleId": diagnostic.code,
                "ruleIndex": self._rule_index(diagnostic),
                "level": diagnostic.severity,
                "message": {"text": message},
                "locations": [{"physicalLocation": {
                    "artifactLocation": {"uri": query.source.uri},
                    "region": {"startLine": line, "startColumn": column},
                }}],
            }
            if self._fix and result.fixed_query is not None:
                entry["properties"] = {"fixedQuery": result.fixed_query}
            self._results.append(entry)

    def close(self, files: int) -> None:
        log = {
            "$schema": SARIF_SCHEMA,
            "version": "2.1.0",
            "runs": [{
                "tool": {"driver": {
                    "name": "qarvex",
                    "version": self._version,
                    "rules": self._rule_list,
                }},
                "columnKind": "unicodeCodePoints",
                "results": self._results,
            }],
        }
        json.dump(log, self._out, indent=2, ensure_ascii=False)
        self._out.write("\n")
        self._out.flush()
