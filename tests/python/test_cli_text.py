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
    ("MATCH (p:Person) SET p:Actr RETURN p", "E202", "Actr RETURN"),
    ("MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) RETURN r.rols", "E304", "rols"),
    ("MATCH (p:Person) RETURN p.name AS x, p.name AS x", "E502", "x"),
    ("MATCH (p:Person) WHERE count(p) > 1 RETURN p", "E602", "WHERE"),
    ("MATCH (p:Person) RETURN size(p.name, 2)", "E603", "size("),
    ("MATCH (p:Person) RETURN p LIMIT 'x'", "E611", "LIMIT 'x'"),
    ("MATCH (p:Person) RETURN foo.bar(p)", "W103", "foo.bar(p)"),
    ("MATCH (p:Person)-[:ACTED_IN*]->(m:Movie) RETURN p", "W202", "*]"),
]


@pytest.mark.parametrize("query, code, at", PLACES)
def test_a_diagnostic_points_at_the_name_it_is_about(query, code, at):
    diagnostic = _qarvex.Qarvex(SCHEMA).validate(query).diagnostics[0]
    assert diagnostic.code == code
    offset = Locator(query).offset(diagnostic.code, diagnostic.message)
    assert query[offset:].startswith(at), (query, offset, diagnostic.message)
    if code == "E502":
        assert offset == len(query) - 1  # the second of the two


def test_a_diagnostic_without_a_findable_name_points_at_the_first_token():
    assert Locator("MATCH (n) RETURN n").offset("E201", "Unknown node label: :Gone") == 0
    assert Locator("RETURN 1").offset("X999", "no such code") == 0


def jsonl_places(text, size, field="query"):
    import io
    from qarvex._inputs import read_chunks
    chunks = list(read_chunks(["-"], field, "jsonl", io.BytesIO(text.encode()), size))
    return [(query.text, query.line, query.column) for chunk in chunks
            for query in map(chunk.query, range(len(chunk)))]


@pytest.fixture
def short_lines(monkeypatch):
    """JSON Lines chunks cut every `size` characters, so that small texts take several."""
    import qarvex._inputs
    monkeypatch.setattr(qarvex._inputs, "LINE_GUESS", 1)


@pytest.mark.parametrize("size", [1, 2, 3, 15, 16, 17, 30, 1000])
def test_json_lines_keep_their_line_numbers_across_chunks_and_blank_lines(short_lines, size):
    text = ('{"query": "A"}\n\n{"id": 1, "query": "B"}\r\n{"query":"C"}\n   \n'
            '{"query": "D"}')
    assert jsonl_places(text, size) == [("A", 1, 11), ("B", 3, 20), ("C", 4, 10),
                                        ("D", 6, 11)]


@pytest.mark.parametrize("size", [1, 2, 15, 16, 40, 1000])
def test_a_bad_json_line_is_named_whatever_chunk_it_is_in(short_lines, size):
    from qarvex._inputs import InputError
    with pytest.raises(InputError, match=r"^<stdin>:3:11: bad JSON line: Expecting value$"):
        jsonl_places('{"query": "A"}\n{"query": "B"}\n{"query": }\n', size)
    with pytest.raises(InputError, match=r'^<stdin>:2: field "q" is null, expected a string$'):
        jsonl_places('{"q": "A"}\n{"q": null}\n', size, field="q")


def test_small_cypher_files_share_a_chunk(tmp_path):
    from qarvex._inputs import read_chunks
    for name, text in (("a.cypher", "RETURN 1; RETURN 2"), ("b.cql", "RETURN 3")):
        (tmp_path / name).write_text(text)
    chunks = list(read_chunks([str(tmp_path / "a.cypher"), str(tmp_path / "b.cql")],
                              "query", "cypher", size=2))
    assert [chunk.texts for chunk in chunks] == [["RETURN 1", "RETURN 2"], ["RETURN 3"]]
    assert chunks[1].query(0).source.path.endswith("b.cql")
