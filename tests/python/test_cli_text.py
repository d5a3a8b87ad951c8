"""The command line's view of Cypher text, in-process: statements split on top-level
semicolons, first-token positions, and diagnostics placed at the name they are about."""
import pytest

import _qarvex
from qarvex._locate import Locator
from qarvex._text import LineIndex, code_mask, split_statements

SPLITS = [
    ("MATCH (n) RETURN n", ["MATCH (n) RETURN n"]),
    ("RETURN 1; RETURN 2;", ["RETURN 1", "RETURN 2"]),
    ("RETURN 'a;b'; RETURN \"c;d\"", ["RETURN 'a;b'", 'RETURN "c;d"']),
    ("RETURN 'it\\'s;' ; RETURN 2", ["RETURN 'it\\'s;'", "RETURN 2"]),
    ('RETURN "a\\\\"; RETURN 2', ['RETURN "a\\\\"', "RETURN 2"]),
    ("RETURN `a;b` ; RETURN `x``;y`", ["RETURN `a;b`", "RETURN `x``;y`"]),
    ("// one; two\nRETURN 1", ["RETURN 1"]),
    ("RETURN 1 // one; two\n; RETURN 2", ["RETURN 1 // one; two", "RETURN 2"]),
    ("/* a; b */ RETURN 1 /* ; */; RETURN 2", ["RETURN 1 /* ; */", "RETURN 2"]),
    ("RETURN '//;' ; RETURN '/*'; RETURN 3", ["RETURN '//;'", "RETURN '/*'", "RETURN 3"]),
    (";;  ; // only a comment\n ;", []),
    ("RETURN 'open; string", ["RETURN 'open; string"]),
    ("RETURN 1 /* open; comment", ["RETURN 1 /* open; comment"]),
    ("", []),
]


@pytest.mark.parametrize("text, statements", SPLITS)
def test_statements_split_on_semicolons_outside_strings_comments_and_names(text, statements):
    assert [statement.text for statement in split_statements(text)] == statements


def test_a_statement_starts_at_its_first_token_after_comments():
    text = "RETURN 1;\n  // note\n  /* x */ MATCH (n)\nRETURN n"
    first, second = split_statements(text)
    index = LineIndex(text)
    assert index.line_col(first.offset) == (1, 1)
    assert index.line_col(second.offset) == (3, 11)
    assert second.text == "MATCH (n)\nRETURN n"


def test_line_index_counts_characters_and_keeps_carriage_returns_in_columns():
    index = LineIndex("ab\r\nçd\n\nx")
    assert [index.line_col(offset) for offset in (0, 3, 4, 5, 7, 8)] == \
        [(1, 1), (1, 4), (2, 1), (2, 2), (3, 1), (4, 1)]
    assert index.line_text(1) == "ab" and index.line_text(4) == "x"


def test_the_code_mask_blanks_strings_and_comments_but_keeps_offsets():
    text = "RETURN 'a:B' // :C\n, `:D`"
    mask = code_mask(text)
    assert len(mask) == len(text)
    assert mask == "RETURN " + " " * 5 + " " + " " * 5 + "\n, `:D`"


SCHEMA = _qarvex.Schema({"Person": ["name"], "Movie": ["title"]},
                        {"ACTED_IN": ("Person", "Movie", ["roles"])})

# Each row: a query, the code of its first diagnostic, and the text at which it points.
PLACES = [
    ("MATCH (m:Movie) WHERE m.title = ':Persn' MATCH (p:Persn) RETURN p", "E201", "Persn) RETURN"),
    ("MATCH (p:Person)-[:ACTS_IN]->(m:Movie) RETURN p", "E211", "ACTS_IN]"),
    ("MATCH (p:Person {nam: 'x'}) RETURN p", "E301", "nam: 'x'"),
    ("MATCH (p:Person) RETURN p.nme", "E303", "nme"),
    ("MATCH (p:Person) WITH p AS x RETURN 'q', q.name", "E501", "q.name"),
    ("MATCH (p:`Persn`) RETURN p", "E201", "`Persn`"),
]


@pytest.mark.parametrize("query, code, at", PLACES)
def test_a_diagnostic_points_at_the_name_it_is_about(query, code, at):
    diagnostic = _qarvex.Qarvex(SCHEMA).validate(query).diagnostics[0]
    assert diagnostic.code == code
    offset = Locator(query).offset(diagnostic.code, diagnostic.message)
    assert query[offset:].startswith(at), (query, offset, diagnostic.message)


def test_a_diagnostic_without_a_findable_name_points_at_the_first_token():
    assert Locator("MATCH (n) RETURN n").offset("E201", "Unknown node label: :Gone") == 0
    assert Locator("RETURN 1").offset("X999", "no such code") == 0
