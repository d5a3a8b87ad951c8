"""The command line as a user runs it: the installed console script in a subprocess, its
output, exit status and standard error for each format, each input kind and each input
error."""
import json
import subprocess

import pytest

SCHEMA = ('{"nodes":{"Person":["name","born"],"Movie":["title","released"]},'
          '"relationships":{"ACTED_IN":["Person","Movie",["roles"]]}}')

# Five statements: semicolons inside a comment, a block comment, a string and a backtick
# name do not split; two statements share the last line.
MOVIES = """\
// Movies; the semicolons in comments and strings do not split.
MATCH (p:Person) WHERE p.name = 'a;b' RETURN p.name;
/* two; statements */ MATCH (p:Persn)
  RETURN p.name;
MATCH (m:Movie RETURN m;
MATCH (p:Person) RETURN q.name; RETURN "x;y" AS `odd;name`
"""

MOVIES_TEXT = """\
movies.cypher:3:32: error: Unknown node label: :Persn, did you mean :Person? [E201]
movies.cypher:5:16: error: expected properties [E101]
     --> 5:16
      |
    5 | MATCH (m:Movie RETURN m;
      |                ^---
      |
      = expected properties
movies.cypher:6:25: error: Variable 'q' is not bound in this scope [E501]
"""


@pytest.fixture
def files(tmp_path):
    (tmp_path / "schema.json").write_text(SCHEMA)
    (tmp_path / "movies.cypher").write_text(MOVIES)
    (tmp_path / "clean.cql").write_text("MATCH (p:Person) RETURN p.name;\n"
                                        "MATCH (m:Movie) WHERE m.released > 2000 RETURN m\n")
    return tmp_path


def test_text_reports_each_diagnostic_at_its_place_in_the_file(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "movies.cypher")
    assert (done.returncode, done.stdout) == (1, MOVIES_TEXT)
    assert done.stderr == "3 errors, 0 warnings in 5 queries (1 file)\n"


def test_a_clean_file_exits_zero_and_prints_only_the_summary(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "clean.cql")
    assert (done.returncode, done.stdout) == (0, "")
    assert done.stderr == "0 errors, 0 warnings in 2 queries (1 file)\n"


def test_warnings_alone_exit_zero(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "-", stdin="MATCH (n) RETURN n\n")
    assert done.returncode == 0
    assert done.stdout.startswith("<stdin>:1:")
    assert done.stdout.rstrip().endswith("[W201]") and ": warning: " in done.stdout
    assert done.stderr == "0 errors, 1 warning in 1 query (1 file)\n"


def test_fix_prints_the_corrected_query_after_its_diagnostics(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "--fix", "movies.cypher")
    assert done.returncode == 1
    assert done.stdout.startswith(
        "movies.cypher:3:32: error: Unknown node label: :Persn, did you mean :Person? [E201]\n"
        "movies.cypher:3:23: note: fixed query:\n"
        "    MATCH (p:Person)\n"
        "      RETURN p.name\n"
        "movies.cypher:5:16: error: expected properties [E101]\n")


def test_json_gives_one_object_a_query_with_the_result_dictionary(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "--format", "json", "movies.cypher",
                  "clean.cql")
    assert (done.returncode, done.stderr) == (1, "")
    records = [json.loads(line) for line in done.stdout.splitlines()]
    assert [(r["path"], r["line"], r["column"]) for r in records] == [
        ("movies.cypher", 2, 1), ("movies.cypher", 3, 23), ("movies.cypher", 5, 1),
        ("movies.cypher", 6, 1), ("movies.cypher", 6, 33), ("clean.cql", 1, 1),
        ("clean.cql", 2, 1)]
    assert all(list(r) == ["path", "line", "column", "query", "result"] for r in records)
    assert records[1]["query"] == "MATCH (p:Persn)\n  RETURN p.name"
    assert records[4]["query"] == 'RETURN "x;y" AS `odd;name`'
    assert [r["result"]["is_valid"] for r in records] == [True, False, False, False, True,
                                                          True, True]
    diagnostic = records[1]["result"]["diagnostics"][0]
    assert diagnostic == {
        "code": "E201", "code_name": "UnknownNodeLabel", "severity": "error",
        "message": "Unknown node label: :Persn, did you mean :Person?",
        "suggestion_original": ":Persn", "suggestion_replacement": ":Person",
        "suggestion_description": "Replace :Persn with :Person",
        "position_line": None, "position_col": None}
    clean = {"is_valid": True, "errors": [], "syntax_errors": [], "semantic_errors": [],
             "warnings": [], "fixed_query": None, "diagnostics": []}
    assert list(records[0]["result"].items()) == list(clean.items())
    assert records[6]["result"] == clean


def test_json_with_fix_includes_the_corrected_query(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "--format", "json", "--fix",
                  "movies.cypher")
    records = [json.loads(line) for line in done.stdout.splitlines()]
    assert [r["fixed_query"] for r in records] == [
        None, "MATCH (p:Person)\n  RETURN p.name", None, None, None]


def test_sarif_is_one_log_that_follows_the_rules_code_scanning_reads(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "--format", "sarif", "movies.cypher")
    assert (done.returncode, done.stderr) == (1, "")
    log = json.loads(done.stdout)
    assert log["version"] == "2.1.0"
    assert log["$schema"].endswith("sarif-schema-2.1.0.json")
    [run] = log["runs"]
    driver = run["tool"]["driver"]
    assert driver["name"] == "qarvex" and driver["version"] == "0.1.0"
    assert [(rule["id"], rule["name"], rule["defaultConfiguration"]["level"])
            for rule in driver["rules"]] == [("E201", "UnknownNodeLabel", "error"),
                                             ("E101", "ParseError", "error"),
                                             ("E501", "UnboundVariable", "error")]
    places = []
    for result in run["results"]:
        assert driver["rules"][result["ruleIndex"]]["id"] == result["ruleId"]
        assert result["level"] in ("error", "warning", "note")
        assert result["message"]["text"]
        [location] = result["locations"]
        physical = location["physicalLocation"]
        region = physical["region"]
        places.append((result["ruleId"], physical["artifactLocation"]["uri"],
                       region["startLine"], region["startColumn"]))
    assert places == [("E201", "movies.cypher", 3, 32), ("E101", "movies.cypher", 5, 16),
                      ("E501", "movies.cypher", 6, 25)]
    assert run["results"][1]["message"]["text"] == "expected properties"


def test_sarif_of_a_clean_run_has_no_results(qarvex, files):
    done = qarvex("check", "--schema", "schema.json", "--format", "sarif", "clean.cql")
    assert done.returncode == 0
    [run] = json.loads(done.stdout)["runs"]
    assert run["results"] == [] and run["tool"]["driver"]["rules"] == []


@pytest.mark.parametrize("args", [["-"], []])
def test_standard_input_is_read_as_cypher(qarvex, files, args):
    done = qarvex("check", "--schema", "schema.json", *args,
                  stdin="RETURN 1;\n\nMATCH (x:Film) RETURN x;")
    assert done.returncode == 1
    assert done.stdout == "<stdin>:3:10: error: Unknown node label: :Film [E201]\n"
    assert done.stderr == "1 error, 0 warnings in 2 queries (1 file)\n"


def test_json_lines_take_the_query_from_the_field(qarvex, files):
    (files / "eval.jsonl").write_text(
        '{"id": 1, "cypher": "MATCH (p:Person) RETURN p"}\n'
        "\n"
        '{"id": 2, "cypher": "MATCH (p:Persn) RETURN p"}\n'
        '{"cypher": "MATCH (p:Person\\nRETURN p", "id": 3}\n')
    done = qarvex("check", "--schema", "schema.json", "--field", "cypher", "eval.jsonl")
    assert done.returncode == 1
    assert done.stdout == (
        "eval.jsonl:3:21: error: Unknown node label: :Persn, did you mean :Person? [E201]\n"
        "eval.jsonl:4:12: error: expected properties [E101]\n"
        "     --> 2:1\n"
        "      |\n"
        "    2 | RETURN p\n"
        "      | ^---\n"
        "      |\n"
        "      = expected properties\n")
    assert done.stderr == "2 errors, 0 warnings in 3 queries (1 file)\n"
    done = qarvex("check", "--schema", "schema.json", "--stdin-format", "jsonl",
                  stdin='{"query": "RETURN 1"}\n')
    assert (done.returncode, done.stderr) == (0, "0 errors, 0 warnings in 1 query (1 file)\n")


def test_the_guardrail_flags_refuse_writes_and_procedures(qarvex, files):
    stdin = "MATCH (p:Person) SET p.born = 1;\nCALL db.labels() YIELD label RETURN label;\n" \
            "CALL dbms.listQueries() YIELD queryId RETURN queryId"
    done = qarvex("check", "--schema", "schema.json", "--read-only", "--allow-procedure", "db.*",
                  "-", stdin=stdin)
    assert done.returncode == 1
    assert done.stdout == (
        "<stdin>:1:18: error: Clause SET is not allowed in read-only mode [E701]\n"
        "<stdin>:3:6: error: Procedure dbms.listQueries is not allowed [E702]\n")
    assert done.stderr == "2 errors, 0 warnings in 3 queries (1 file)\n"


def test_a_directory_stands_for_the_query_files_below_it(qarvex, files):
    (files / "more").mkdir()
    (files / "more" / "a.cypher").write_text("MATCH (x:Film) RETURN x")
    (files / "more" / "notes.txt").write_text("not a query")
    done = qarvex("check", "--schema", "schema.json", "more")
    assert done.stdout == "more/a.cypher:1:10: error: Unknown node label: :Film [E201]\n"
    assert done.stderr == "1 error, 0 warnings in 1 query (1 file)\n"


BAD_INPUTS = [
    # (files to write, arguments after --schema schema.json, the one line on stderr)
    ({}, ["missing.cypher"], "qarvex: missing.cypher: cannot read: No such file or directory"),
    ({"bad.jsonl": '{"query": "RETURN 1"}\n{"query": "RETURN 2",}\n'}, ["bad.jsonl"],
     "qarvex: bad.jsonl:2:21: bad JSON line: Illegal trailing comma before end of object"),
    ({"bad.jsonl": '["RETURN 1"]\n'}, ["bad.jsonl"],
     "qarvex: bad.jsonl:1: expected a JSON object, got an array"),
    ({"bad.jsonl": '{"text": "RETURN 1"}\n'}, ["bad.jsonl"],
     'qarvex: bad.jsonl:1: no field "query"'),
    ({"bad.jsonl": '{"query": 7}\n'}, ["bad.jsonl"],
     'qarvex: bad.jsonl:1: field "query" is a number, expected a string'),
    ({"bad.cypher": b"RETURN 1;\nRETURN '\xff'"}, ["bad.cypher"],
     "qarvex: bad.cypher:2:9: not UTF-8 text (byte 0xff)"),
]


@pytest.mark.parametrize("written, args, message", BAD_INPUTS)
def test_an_input_problem_is_one_line_and_exit_status_two(qarvex, files, written, args,
                                                          message):
    for name, content in written.items():
        path = files / name
        path.write_bytes(content) if isinstance(content, bytes) else path.write_text(content)
    done = qarvex("check", "--schema", "schema.json", *args)
    assert (done.returncode, done.stdout, done.stderr) == (2, "", message + "\n")


BAD_SCHEMAS = [
    (None, "qarvex: nothing.json: cannot read schema: No such file or directory"),
    ('{"nodes":{}}',
     "qarvex: nothing.json:1:12: invalid schema: missing field `relationships`"),
    ('{"nodes":{"A":["x"]},\n "relationships":{"R":["A","B"]}}',
     "qarvex: nothing.json:2:31: invalid schema: invalid length 2, expected a tuple of size 3"),
    ("not json", "qarvex: nothing.json:1:2: invalid schema: expected ident"),
]


@pytest.mark.parametrize("schema, message", BAD_SCHEMAS)
def test_a_schema_problem_is_one_line_and_exit_status_two(qarvex, files, schema, message):
    if schema is not None:
        (files / "nothing.json").write_text(schema)
    done = qarvex("check", "--schema", "nothing.json", "clean.cql")
    assert (done.returncode, done.stdout, done.stderr) == (2, "", message + "\n")


@pytest.mark.parametrize("args", [
    ["check", "clean.cql"],
    ["check", "--schema", "schema.json", "--format", "xml", "clean.cql"],
    ["frobnicate"],
    [],
    ["generate", "--schema", "schema.json", "--type", "nonsense"],
    ["generate", "--schema", "schema.json", "--type", "merge", "-n", "-1"],
])
def test_a_usage_problem_exits_two_with_usage_and_no_traceback(qarvex, files, args):
    done = qarvex(*args)
    assert done.returncode == 2 and done.stdout == ""
    assert done.stderr.startswith("usage: qarvex") and "Traceback" not in done.stderr


def test_version_and_help_with_examples(qarvex, installed, files):
    assert qarvex("--version").stdout == "qarvex 0.1.0\n"
    for command in (["check"], ["schema"], ["schema", "render"], ["schema", "check"],
                    ["schema", "import"], ["generate"]):
        done = qarvex(*command, "--help")
        assert done.returncode == 0 and "examples:" in done.stdout, command
    done = subprocess.run([str(installed.python), "-m", "qarvex", "check", "--schema",
                           "schema.json", "movies.cypher"], cwd=files, capture_output=True,
                          text=True, timeout=120)
    assert (done.returncode, done.stdout) == (1, MOVIES_TEXT)


def test_schema_render_prints_each_rendering(qarvex, installed, files):
    for name, method in (("prompt", "to_prompt"), ("markdown", "to_markdown"),
                         ("cypher", "to_cypher_context")):
        done = qarvex("schema", "render", "--format", name, "schema.json")
        expected = subprocess.run(
            [str(installed.python), "-c",
             f"import sys, _qarvex; sys.stdout.write(_qarvex.Schema.from_json("
             f"open('schema.json').read()).{method}())"],
            cwd=files, capture_output=True, text=True, check=True).stdout
        assert done.returncode == 0
        assert done.stdout.rstrip("\n") == expected.rstrip("\n") and expected.strip()


def test_schema_check_accepts_a_schema_and_reports_a_broken_one(qarvex, files):
    done = qarvex("schema", "check", "schema.json")
    assert (done.returncode, done.stdout, done.stderr) == (
        0, "schema.json: 2 node labels, 1 relationship type\n", "")
    # The undeclared label stands in the second of the type's endpoint pairs.
    (files / "loose.json").write_text(
        '{"nodes":{"A":[]},"relationships":{"R":[["A","A",[]],["A","B",[]]]}}')
    done = qarvex("schema", "check", "loose.json")
    assert (done.returncode, done.stdout, done.stderr) == (
        0, "loose.json: 1 node label, 1 relationship type, 1 warning\n",
        "loose.json: warning: relationship type :R has the target label :B, which is not a "
        "node label\n")
    (files / "broken.json").write_text('{"nodes":{}}')
    done = qarvex("schema", "check", "broken.json")
    assert (done.returncode, done.stdout, done.stderr) == (
        1, "", "broken.json:1:12: error: missing field `relationships`\n")


def test_generate_prints_seeded_queries_one_a_line(qarvex, installed, files):
    done = qarvex("generate", "--schema", "schema.json", "--type", "match_where_return",
                  "-n", "4", "--seed", "7")
    expected = subprocess.run(
        [str(installed.python), "-c",
         "import _qarvex; s = _qarvex.Schema.from_json(open('schema.json').read()); "
         "print('\\n'.join(_qarvex.CypherGenerator(s, seed=7)"
         ".generate_batch('match_where_return', 4)))"],
        cwd=files, capture_output=True, text=True, check=True).stdout
    assert (done.returncode, done.stdout, done.stderr) == (0, expected, "")
    assert len(done.stdout.splitlines()) == 4


STRUCTURED = json.dumps({
    "node_props": {"Person": [{"property": "name", "type": "STRING"}],
                   "Movie": [{"property": "title", "type": "STRING"}]},
    "rel_props": {"LIKES": [{"property": "stars", "type": "INTEGER"}]},
    "relationships": [{"start": "Person", "type": "LIKES", "end": "Movie"},
                      {"start": "Person", "type": "LIKES", "end": "Person"},
                      {"start": "Person", "type": "KNOWS", "end": "Person"}],
    "metadata": {"constraint": [], "index": []}})

APOC = json.dumps({
    "Person": {"type": "node", "count": 2, "labels": [],
               "properties": {"name": {"type": "STRING"}},
               "relationships": {"LIKES": {"direction": "out", "labels": ["Movie", "Person"],
                                           "properties": {}},
                                 "KNOWS": {"direction": "in", "labels": ["Person"],
                                           "properties": {}}}},
    "Movie": {"type": "node", "count": 1, "labels": [], "properties": {"title": {}},
              "relationships": {"LIKES": {"direction": "in", "labels": ["Person"],
                                          "properties": {}}}},
    "LIKES": {"type": "relationship", "count": 2, "properties": {"stars": {"type": "INTEGER"}}},
    "KNOWS": {"type": "relationship", "count": 1, "properties": {}}})

IMPORTED = ('{"nodes":{"Movie":["title"],"Person":["name"]},"relationships":{'
            '"KNOWS":["Person","Person",[]],'
            '"LIKES":[["Person","Movie",["stars"]],["Person","Person",["stars"]]]}}\n')


@pytest.mark.parametrize("source, text", [("neo4j", STRUCTURED), ("apoc", APOC)])
def test_schema_import_prints_a_schema_file_with_sorted_names(qarvex, files, source, text):
    (files / "dump.json").write_text(text)
    done = qarvex("schema", "import", "--from", source, "dump.json")
    assert (done.returncode, done.stdout, done.stderr) == (0, IMPORTED, "")
    (files / "imported.json").write_text(done.stdout)
    assert qarvex("schema", "check", "imported.json").stdout == (
        "imported.json: 2 node labels, 2 relationship types\n")


BAD_IMPORTS = [
    # (the dump file's text, the arguments after "schema import", the one line on stderr)
    (None, ["--from", "neo4j", "dump.json"],
     "qarvex: dump.json: cannot read schema: No such file or directory"),
    ('{"node_props": {}\n "rel_props": {}}', ["--from", "neo4j", "dump.json"],
     "qarvex: dump.json:2:2: invalid JSON: Expecting ',' delimiter"),
    (STRUCTURED.replace('"end": "Person"}]', '"end": 3}]'), ["--from", "neo4j", "dump.json"],
     "qarvex: dump.json: not a Neo4j structured schema: relationships[2].end: expected str, "
     "got int"),
    (STRUCTURED, ["--from", "apoc", "dump.json"],
     "qarvex: dump.json: not an apoc.meta.schema() map: node_props.type: missing"),
    (APOC, ["--from", "apoc"], "qarvex: schema import --from apoc needs FILE.json"),
    (APOC, ["--from", "apoc", "dump.json", "--graph", "g", "--sample", "5"],
     "qarvex: --graph, --sample: only for schema import --from age"),
    (None, ["--from", "age", "--dsn", "host=/nowhere"],
     "qarvex: schema import --from age needs --dsn DSN and --graph NAME"),
    (APOC, ["--from", "age", "dump.json", "--dsn", "host=/nowhere", "--graph", "g"],
     "qarvex: dump.json: schema import --from age reads no file"),
    # The wheel's environment has no psycopg.
    (None, ["--from", "age", "--dsn", "host=/nowhere", "--graph", "g"],
     "qarvex: --from age needs psycopg 3, which is not installed (No module named 'psycopg')"),
]


@pytest.mark.parametrize("text, args, message", BAD_IMPORTS)
def test_a_schema_import_problem_is_one_line_and_exit_status_two(qarvex, files, text, args,
                                                                 message):
    if text is not None:
        (files / "dump.json").write_text(text)
    done = qarvex("schema", "import", *args)
    assert (done.returncode, done.stdout, done.stderr) == (2, "", message + "\n")
