"""The ``qarvex`` command: checks Cypher files against a schema, renders, checks and imports
schema files, and generates queries. Built on ``argparse``; every command returns its exit status
(0 clean, 1 findings, 2 a usage or input problem) and reports input problems as one line on
standard error, never as a traceback."""
from __future__ import annotations

import argparse
import gc
import json
import os
import re
import sys
from collections.abc import Callable, Sequence
from pathlib import Path
from typing import IO, Any, NamedTuple, cast

from _qarvex import CypherGenerator, Qarvex, Schema

from . import __version__
from ._apoc_meta import schema_from_apoc
from ._neo4j_structured import schema_from_neo4j
from ._inputs import Chunk, InputError, InputFormat, decode, expand, read_chunks
from ._pipeline import Batch, Validation
from ._report import FORMATS, JsonReport, OutputFormat, Report, SarifReport, TextReport

PROG = "qarvex"
# Inputs larger than this show a progress bar when standard error is a terminal.
PROGRESS_THRESHOLD = 10_000
_SCHEMA_ERROR = re.compile(r"^Invalid Schema JSON: (.*) at line (\d+) column (\d+)$", re.DOTALL)


class UsageError(Exception):
    """A problem with the command's input; its message names the file and the place."""


class ValidatorOption(NamedTuple):
    """A flag of ``qarvex check`` handed to the ``Qarvex`` constructor as the keyword ``name``
    when given. The flag is ``name`` with dashes unless ``flag_name`` says otherwise; ``action``
    and ``metavar`` are argparse's."""

    name: str
    help: str
    choices: tuple[str, ...] | None = None
    action: str = "store"
    metavar: str | None = None
    flag_name: str | None = None

    @property
    def flag(self) -> str:
        return "--" + (self.flag_name or self.name.replace("_", "-"))


# The options of the validator itself: each entry is one flag of `qarvex check` and one
# keyword argument of `Qarvex(schema, ...)`, so a new constructor option is one entry here.
VALIDATOR_OPTIONS: tuple[ValidatorOption, ...] = (
    ValidatorOption("dialect", "the Cypher dialect queries are read in (default: core)",
                    ("core", "neo4j")),
    ValidatorOption("read_only", "make every clause that changes the graph (CREATE, MERGE, "
                    "SET, REMOVE, DELETE, FOREACH) an error", action="store_true"),
    ValidatorOption("allowed_procedures", "allow calls of the procedure NAME, or of every "
                    "procedure in a namespace as 'db.*' (repeatable); once given, any other "
                    "procedure call is an error", action="append", metavar="NAME",
                    flag_name="allow-procedure"),
)


# --- shared helpers ------------------------------------------------------------------------

def read_text(path: str, what: str) -> str:
    """The UTF-8 text of the file ``path``, which holds ``what`` (named in the error)."""
    try:
        data = Path(path).read_bytes()
    except OSError as error:
        raise UsageError(f"{path}: cannot read {what}: {error.strerror or error}") from None
    try:
        return decode(path, data)
    except InputError as error:
        raise UsageError(str(error)) from None


def load_schema(path: str) -> Schema:
    """The schema of a Schema JSON file (the form of ``Schema.to_json``)."""
    text = read_text(path, "schema")
    try:
        return Schema.from_json(text)
    except ValueError as error:
        message = str(error)
        found = _SCHEMA_ERROR.match(message)
        if found:
            raise UsageError(f"{path}:{found.group(2)}:{found.group(3)}: invalid schema: "
                             f"{found.group(1)}") from None
        raise UsageError(f"{path}: invalid schema: {message}") from None


class Progress:
    """A one-line progress bar on a terminal, erased when done."""

    WIDTH = 30

    def __init__(self, total: int, stream: IO[str]) -> None:
        self._total = total
        self._stream = stream

    def update(self, done: int) -> None:
        filled = self.WIDTH * done // self._total
        self._stream.write(f"\r{PROG}: [{'#' * filled}{'.' * (self.WIDTH - filled)}] "
                           f"{done:,}/{self._total:,} queries")
        self._stream.flush()

    def finish(self) -> None:
        self._stream.write("\r\x1b[K")
        self._stream.flush()


# --- qarvex check --------------------------------------------------------------------------

def make_report(output: OutputFormat, fix: bool, out: IO[str], err: IO[str]) -> Report:
    if output == "json":
        return JsonReport(out, fix)
    if output == "sarif":
        return SarifReport(out, fix, __version__)
    return TextReport(out, err, fix)


def run_check(args: argparse.Namespace, out: IO[str], err: IO[str]) -> int:
    # The check makes no reference cycles; collecting would only walk the decoded records.
    collecting = gc.isenabled()
    gc.disable()
    try:
        return check_all(args, out, err)
    finally:
        if collecting:
            gc.enable()


def check_all(args: argparse.Namespace, out: IO[str], err: IO[str]) -> int:
    schema = load_schema(args.schema)
    options: dict[str, Any] = {option.name: getattr(args, option.name)
                               for option in VALIDATOR_OPTIONS
                               if getattr(args, option.name) is not None}
    validator = Qarvex(schema, **options)
    files = expand(args.paths)
    chunks = read_chunks(files, args.field, cast(InputFormat, args.stdin_format))
    report = make_report(cast(OutputFormat, args.format), args.fix, out, err)
    # One thread runs validate_batch on each chunk in turn (it releases the interpreter lock),
    # so that validation overlaps reading the inputs and then writing the report. Nothing is
    # written before every input has been read: a bad input leaves no partial report.
    worker = Validation(validator)
    batches: list[tuple[Chunk, Batch]] = []
    try:
        for chunk in chunks:
            batches.append((chunk, worker.submit(chunk.texts)))
    except InputError as error:
        worker.close(cancel=True)
        raise UsageError(str(error)) from None
    worker.close()
    total = sum(len(chunk) for chunk, _ in batches)
    progress = None
    if total > PROGRESS_THRESHOLD and err.isatty():
        progress = Progress(total, err)
    failed = False
    done = 0
    for chunk, batch in batches:
        results = batch.results()
        report.add(chunk, results)
        failed = failed or not all(results)  # a result is true when it has no error
        done += len(chunk)
        if progress is not None:
            progress.update(done)
    if progress is not None:
        progress.finish()
    report.close(len(files))
    return 1 if failed else 0


# --- qarvex schema -------------------------------------------------------------------------

RENDERINGS = {"prompt": Schema.to_prompt, "markdown": Schema.to_markdown,
              "cypher": Schema.to_cypher_context}


def run_schema_render(args: argparse.Namespace, out: IO[str], err: IO[str]) -> int:
    text = RENDERINGS[args.format](load_schema(args.schema))
    out.write(text if text.endswith("\n") else text + "\n")
    return 0


def run_schema_check(args: argparse.Namespace, out: IO[str], err: IO[str]) -> int:
    try:
        schema = load_schema(args.schema)
    except UsageError as error:
        if "invalid schema" not in str(error):
            raise
        err.write(f"{str(error).replace(': invalid schema: ', ': error: ', 1)}\n")
        return 1
    warnings = 0
    for rel_type in schema.rel_types():
        undeclared = {(side, label)
                      for pair in schema.rel_endpoint_pairs(rel_type)
                      for side, label in zip(("source", "target"), pair)
                      if not schema.has_node_label(label)}
        for side, label in sorted(undeclared):
            warnings += 1
            err.write(f"{args.schema}: warning: relationship type :{rel_type} has the "
                      f"{side} label :{label}, which is not a node label\n")
    labels = len(schema.node_labels())
    types = len(schema.rel_types())
    out.write(f"{args.schema}: {labels} node label{'s' * (labels != 1)}, "
              f"{types} relationship type{'s' * (types != 1)}"
              f"{f', {warnings} warning' + 's' * (warnings != 1) if warnings else ''}\n")
    return 0


# --- qarvex schema import ------------------------------------------------------------------

# The dictionary forms: what a file of each holds, for its error messages, and its importer.
DICTIONARY_FORMS: dict[str, tuple[str, Callable[[Any], Schema]]] = {
    "neo4j": ("a Neo4j structured schema", schema_from_neo4j),
    "apoc": ("an apoc.meta.schema() map", schema_from_apoc),
}
AGE_OPTIONS = ("dsn", "graph", "sample")
DEFAULT_SAMPLE = 1000


def run_schema_import(args: argparse.Namespace, out: IO[str], err: IO[str]) -> int:
    schema = import_from_age(args) if args.source == "age" else import_from_file(args)
    out.write(schema.to_json() + "\n")  # names in ascending order: one graph, one text
    return 0


def import_from_file(args: argparse.Namespace) -> Schema:
    given = [f"--{name}" for name in AGE_OPTIONS if getattr(args, name) is not None]
    if given:
        raise UsageError(f"{', '.join(given)}: only for schema import --from age")
    if args.file is None:
        raise UsageError(f"schema import --from {args.source} needs FILE.json")
    path = args.file
    try:
        document = json.loads(read_text(path, "schema"))
    except json.JSONDecodeError as error:
        raise UsageError(f"{path}:{error.lineno}:{error.colno}: invalid JSON: "
                         f"{error.msg}") from None
    form, importer = DICTIONARY_FORMS[args.source]
    try:
        return importer(document)
    except ValueError as error:
        raise UsageError(f"{path}: not {form}: {error}") from None


def import_from_age(args: argparse.Namespace) -> Schema:
    if args.file is not None:
        raise UsageError(f"{args.file}: schema import --from age reads no file")
    if args.dsn is None or args.graph is None:
        raise UsageError("schema import --from age needs --dsn DSN and --graph NAME")
    try:
        import psycopg

        from .age import schema_from_age
    except ImportError as error:
        raise UsageError(f"--from age needs psycopg 3, which is not installed ({error})") \
            from None
    sample: int | None = DEFAULT_SAMPLE if args.sample is None else args.sample
    if args.sample == "all":
        sample = None
    try:
        with psycopg.connect(args.dsn) as connection:
            return schema_from_age(connection, args.graph, sample=sample)
    except (psycopg.Error, ValueError) as error:
        # The server's messages add hints on further lines; the first says what failed.
        lines = str(error).strip().splitlines() or [type(error).__name__]
        raise UsageError(f"age: {lines[0]}") from None


# --- qarvex generate -----------------------------------------------------------------------

def run_generate(args: argparse.Namespace, out: IO[str], err: IO[str]) -> int:
    generator = CypherGenerator(load_schema(args.schema), seed=args.seed)
    for query in generator.generate_batch(args.type, args.n):
        out.write(query.replace("\n", " ") + "\n")
    return 0


# --- the parser ----------------------------------------------------------------------------

def _count(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 0:
        raise argparse.ArgumentTypeError(f"must not be negative: {text}")
    return value


def _seed(text: str) -> int:
    value = _count(text)
    if value >= 2 ** 64:
        raise argparse.ArgumentTypeError(f"must be below 2**64: {text}")
    return value


def _sample(text: str) -> int | str:
    if text == "all":
        return text
    value = _count(text)
    if value == 0:
        raise argparse.ArgumentTypeError("must be at least 1, or 'all'")
    return value


CHECK_EPILOG = """\
inputs:
  FILE.cypher, FILE.cql  statements separated by ';' (a ';' inside a string, a comment or a
                         backtick name does not split)
  FILE.jsonl, FILE.ndjson  one JSON object a line, the query in the field --field
  DIRECTORY              every such file below it
  -, or no PATH          standard input, read as --stdin-format

exit status: 0 no query has an error (warnings allowed), 1 some query has one,
2 a usage or input problem (unreadable file, bad schema, bad JSON line).

examples:
  qarvex check --schema schema.json queries/*.cypher
  qarvex check --schema schema.json --format sarif queries/ > qarvex.sarif
  qarvex check --schema schema.json --format json --field cypher evaluation.jsonl
  qarvex check --schema schema.json --read-only --allow-procedure 'db.*' generated.jsonl
  echo 'MATCH (p:Persn) RETURN p' | qarvex check --schema schema.json --fix
"""

SCHEMA_EPILOG = """\
a schema file is the JSON form of Schema.to_json():
  {"nodes": {"Person": ["name"]}, "relationships": {"KNOWS": ["Person", "Person", []]}}

examples:
  qarvex schema render --format markdown schema.json
  qarvex schema check schema.json
  qarvex schema import --from apoc apoc_meta.json > schema.json
"""

IMPORT_EPILOG = """\
sources:
  neo4j FILE.json  the structured-schema dictionary of Neo4j's tooling for language models:
                   {"node_props": {...}, "rel_props": {...}, "relationships": [...]}
  apoc FILE.json   the map of CALL apoc.meta.schema() YIELD value
  age              a live Apache AGE graph, read in a read-only transaction: labels and types
                   from its catalog, property keys and endpoint pairs from up to --sample
                   nodes of each label and relationships of each type (needs psycopg 3)

The schema is printed in its JSON form (Schema.to_json), names in ascending order.

examples:
  qarvex schema import --from neo4j structured_schema.json > schema.json
  qarvex schema import --from age --dsn 'host=/run/postgresql dbname=app' --graph movies
"""

GENERATE_EPILOG = """\
examples:
  qarvex generate --schema schema.json --type match_where_return -n 5 --seed 7
"""


def build_parser() -> argparse.ArgumentParser:
    formatter = argparse.RawDescriptionHelpFormatter
    parser = argparse.ArgumentParser(
        prog=PROG, formatter_class=formatter,
        description="Checks Cypher graph queries against a schema of node labels and "
                    "relationship types, with no database at hand.",
        epilog="Run 'qarvex COMMAND --help' for the options and examples of each command.")
    parser.add_argument("--version", action="version", version=f"{PROG} {__version__}")
    commands = parser.add_subparsers(dest="command", metavar="COMMAND", required=True)

    check = commands.add_parser(
        "check", formatter_class=formatter, epilog=CHECK_EPILOG,
        help="validate the queries of Cypher and JSON Lines files",
        description="Validates every query of the inputs against the schema and prints the "
                    "diagnostics.")
    check.add_argument("paths", nargs="*", metavar="PATH", help="inputs (see below)")
    check.add_argument("--schema", required=True, metavar="SCHEMA.json",
                       help="the schema file (JSON form of Schema.to_json)")
    check.add_argument("--format", choices=FORMATS, default="text",
                       help="text: compiler-style lines (default); json: JSON Lines, one "
                            "object a query; sarif: one SARIF 2.1.0 log")
    check.add_argument("--fix", action="store_true",
                       help="print the corrected query of each query that has one")
    check.add_argument("--field", default="query", metavar="NAME",
                       help="the field that holds the query in JSON Lines (default: query)")
    check.add_argument("--stdin-format", choices=("cypher", "jsonl"), default="cypher",
                       help="how standard input is read (default: cypher)")
    for option in VALIDATOR_OPTIONS:
        settings: dict[str, Any] = {"choices": option.choices, "metavar": option.metavar}
        if option.action == "store_true":
            settings = {}
        check.add_argument(option.flag, dest=option.name, action=option.action,
                           help=option.help, **settings)
    check.set_defaults(run=run_check)

    schema = commands.add_parser("schema", formatter_class=formatter, epilog=SCHEMA_EPILOG,
                                 help="render, check or import a schema file",
                                 description="Renders or checks a schema file, or imports "
                                             "one from a database.")
    schema_commands = schema.add_subparsers(dest="schema_command", metavar="COMMAND",
                                            required=True)
    render = schema_commands.add_parser(
        "render", formatter_class=formatter, epilog=SCHEMA_EPILOG,
        help="print the schema for a prompt",
        description="Prints one of the schema's renderings for a language model's prompt.")
    render.add_argument("schema", metavar="SCHEMA.json")
    render.add_argument("--format", choices=tuple(RENDERINGS), default="prompt",
                        help="prompt: plain listing (default); markdown: tables; cypher: "
                             "inline Cypher patterns")
    render.set_defaults(run=run_schema_render)
    schema_check = schema_commands.add_parser(
        "check", formatter_class=formatter, epilog=SCHEMA_EPILOG,
        help="check a schema file",
        description="Reads a schema file and reports its problems: exit status 1 for a file "
                    "that is no schema, 0 otherwise; relationship endpoints that are not "
                    "node labels are warnings.")
    schema_check.add_argument("schema", metavar="SCHEMA.json")
    schema_check.set_defaults(run=run_schema_check)
    schema_import = schema_commands.add_parser(
        "import", formatter_class=formatter, epilog=IMPORT_EPILOG,
        help="print the schema of a Neo4j schema file or an Apache AGE graph",
        description="Prints the schema of a database as a schema file: from one of Neo4j's "
                    "schema dictionaries, or from a live Apache AGE graph.")
    schema_import.add_argument("--from", dest="source", required=True,
                               choices=(*DICTIONARY_FORMS, "age"),
                               help="the kind of source (see below)")
    schema_import.add_argument("file", nargs="?", metavar="FILE.json",
                               help="the schema dictionary, for neo4j and apoc")
    schema_import.add_argument("--dsn", metavar="DSN",
                               help="for age: the PostgreSQL connection string")
    schema_import.add_argument("--graph", metavar="NAME", help="for age: the graph's name")
    schema_import.add_argument("--sample", type=_sample, metavar="N",
                               help=f"for age: how many nodes of each label and relationships "
                                    f"of each type are read, or 'all' (default: "
                                    f"{DEFAULT_SAMPLE})")
    schema_import.set_defaults(run=run_schema_import)

    generate = commands.add_parser(
        "generate", formatter_class=formatter, epilog=GENERATE_EPILOG,
        help="print random queries that use the schema's names",
        description="Prints generated queries, one a line; a seed makes them repeatable.")
    generate.add_argument("--schema", required=True, metavar="SCHEMA.json")
    generate.add_argument("--type", required=True, choices=CypherGenerator.supported_types(),
                          metavar="TYPE", help="one of: "
                          + ", ".join(CypherGenerator.supported_types()))
    generate.add_argument("-n", type=_count, default=1, metavar="N",
                          help="how many queries (default: 1)")
    generate.add_argument("--seed", type=_seed, default=None, metavar="S",
                          help="an integer from 0 to 2**64-1")
    generate.set_defaults(run=run_generate)
    return parser


def main(argv: Sequence[str] | None = None) -> int:
    """Runs the command line ``argv`` (the process's arguments by default) and returns its
    exit status."""
    out, err = sys.stdout, sys.stderr
    for stream in (out, err):
        if hasattr(stream, "reconfigure"):
            stream.reconfigure(errors="backslashreplace")
    parser = build_parser()
    try:
        args = parser.parse_args(argv)
    except SystemExit as exit:
        return exit.code if isinstance(exit.code, int) else 2
    try:
        return int(args.run(args, out, err))
    except UsageError as error:
        err.write(f"{PROG}: {error}\n")
        return 2
    except KeyboardInterrupt:
        err.write(f"{PROG}: interrupted\n")
        return 130
    except BrokenPipeError:
        # The reader went away (e.g. `| head`): stop quietly, without a second error at exit.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, out.fileno())
        return 1
