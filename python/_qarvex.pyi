"""Type stubs for the native module ``_qarvex``: checks Cypher graph queries against a schema.

The docstrings are the module's own; a member without one at run time has a short one here.
"""
from collections.abc import Iterable, Sequence
from typing import Any, Literal, TypedDict, final

__all__ = [
    "Schema",
    "Qarvex",
    "ValidationResult",
    "ValidationDiagnostic",
    "CypherGenerator",
    "QueryInfo",
    "parse_query",
]

_Severity = Literal["error", "warning"]
_Dialect = Literal["core", "neo4j"]
_QueryType = Literal[
    "match_return", "match_where_return", "create", "merge", "aggregation",
    "match_relationship", "create_relationship", "match_set", "match_delete", "with_chain",
    "distinct_return", "order_by", "unwind",
]

# One endpoint entry of a relationship type: (source label, target label, property keys).
_Endpoint = tuple[str, str, list[str]]
# A relationship type: one entry, or a list of entries for a type between several label pairs.
_Relationship = _Endpoint | list[_Endpoint]

class _SchemaDict(TypedDict):
    nodes: dict[str, list[str]]
    relationships: dict[str, _Relationship]

class _DiagnosticDict(TypedDict):
    code: str
    code_name: str
    severity: _Severity
    message: str
    suggestion_original: str | None
    suggestion_replacement: str | None
    suggestion_description: str | None
    position_line: int | None
    position_col: int | None

class _ResultDict(TypedDict):
    is_valid: bool
    errors: list[str]
    syntax_errors: list[str]
    semantic_errors: list[str]
    warnings: list[str]
    fixed_query: str | None
    diagnostics: list[_DiagnosticDict]

@final
class Schema:
    """A graph schema: node labels with their property keys, and relationship types with
    their source label, target label and property keys. Compares by identity."""

    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...
    def __new__(
        cls,
        nodes: dict[str, list[str]],
        relationships: dict[str, _Relationship],
    ) -> Schema: ...
    @staticmethod
    def from_dict(d: _SchemaDict | dict[str, Any]) -> Schema:
        """Create a Schema from a plain Python dict (e.g. previously exported with ``to_dict()``).

        Example::

            d = {
                "nodes": {"Person": ["name", "age"], "Movie": ["title"]},
                "relationships": {"ACTED_IN": ("Person", "Movie", ["role"])},
            }
            schema = Schema.from_dict(d)
        """
    @staticmethod
    def from_json(json_str: str) -> Schema:
        """Deserialise a Schema from a JSON string produced by ``to_json()``.

        Example::

            json_str = schema.to_json()
            schema2 = Schema.from_json(json_str)
        """
    def node_labels(self) -> list[str]:
        """The node labels, sorted."""
    def rel_types(self) -> list[str]:
        """The relationship types, sorted."""
    def has_node_label(self, label: str) -> bool:
        """True if the label is declared (names are case-sensitive)."""
    def has_rel_type(self, rel_type: str) -> bool:
        """True if the relationship type is declared (names are case-sensitive)."""
    def node_properties(self, label: str) -> list[str]:
        """Return the list of properties declared for a node label."""
    def rel_properties(self, rel_type: str) -> list[str]:
        """Return the list of properties declared for a relationship type."""
    def rel_endpoints(self, rel_type: str) -> tuple[str, str] | None:
        """Return `(src_label, tgt_label)` for a relationship type, or None if unknown."""
    def rel_endpoint_pairs(self, rel_type: str) -> list[tuple[str, str]]:
        """Return the list of `(src_label, tgt_label)` pairs declared for a relationship type, in
        order; an empty list if unknown."""
    def to_dict(self) -> _SchemaDict:
        """Export the schema as a plain Python dict compatible with the Schema constructor."""
    def to_json(self) -> str:
        """Serialise the schema to a JSON string.

        The result can be stored, transmitted, and later restored via
        ``Schema.from_json()``.

        Example::

            json_str = schema.to_json()
            schema2 = Schema.from_json(json_str)
            assert schema2 == schema  # round-trip safe
        """
    def merge(self, other: Schema) -> Schema:
        """Return a new Schema that is the union of *self* and *other*.

        * Node labels and relationship types from both schemas are combined.
        * When a label/type exists in both, the property sets are merged
          (union), so no declared property is lost.
        * When a relationship type exists in both, its endpoint pairs are
          united: the pairs of *self* first, then the new pairs of *other*.

        Example::

            s1 = Schema({"Person": ["name"]}, {"KNOWS": ("Person", "Person", [])})
            s2 = Schema({"Movie": ["title"]}, {"ACTED_IN": ("Person", "Movie", ["role"])})
            merged = s1.merge(s2)
            # merged has Person, Movie, KNOWS, ACTED_IN
        """
    def to_prompt(self) -> str:
        """Return a human-readable, LLM-friendly representation of the schema.

        Suitable for injecting into an LLM system prompt to tell the model which
        labels, relationship types, and properties exist in the graph.

        Example::

            print(schema.to_prompt())
            # Graph Schema
            # ============
            #
            # Nodes
            # -----
            #   :Person                   name, age, email
            #   :Company                  name, founded
            #
            # Relationships
            # -------------
            #   :WORKS_FOR                (Person)-->(Company)   since, role
            #   :LIVES_IN                 (Person)-->(City)
        """
    def to_markdown(self) -> str:
        """Return the schema formatted as a Markdown table.

        Useful for LLM contexts that render Markdown, documentation, or
        README sections.

        Example::

            print(schema.to_markdown())
            # ### Nodes
            # | Label | Properties |
            # |---|---|
            # | :Person | name, age, email |
            # ...
        """
    def to_cypher_context(self) -> str:
        """Return the schema as inline Cypher patterns.

        This format is often the most natural for LLMs that already know Cypher,
        since it mirrors the query syntax they will generate.

        Example::

            print(schema.to_cypher_context())
            # // Node labels and their properties
            # (:Person {name, age, email})
            # (:Company {name, founded})
            #
            # // Relationship types
            # (:Person)-[:WORKS_FOR {since, role}]->(:Company)
            # (:Person)-[:LIVES_IN]->(:City)
        """

@final
class Qarvex:
    """A validator bound to its own copy of a schema."""

    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...
    def __new__(
        cls,
        schema: Schema,
        *,
        dialect: _Dialect = "core",
        read_only: bool = False,
        allowed_procedures: Iterable[str] | None = None,
    ) -> Qarvex: ...
    @property
    def schema(self) -> Schema:
        """The schema this validator was constructed with."""
    @property
    def dialect(self) -> _Dialect:
        """The Cypher dialect queries are read in: 'core' or 'neo4j'."""
    @property
    def read_only(self) -> bool:
        """True if clauses that change the graph (and LOAD CSV) are errors."""
    @property
    def allowed_procedures(self) -> tuple[str, ...] | None:
        """The procedures queries may call (names, or namespaces as 'db.*'), sorted; None allows every procedure."""
    def validate(self, query: str) -> ValidationResult:
        """Validate one query against the schema."""
    def feedback(self, query: str) -> str:
        """A compact text for a language model's next attempt at ``query``: each error with
        its message and the names that may stand in its place, then the corrected query
        when there is one. Empty when the query is valid; warnings are left out."""
    def validate_batch(self, queries: Sequence[str]) -> list[ValidationResult]:
        """Validate multiple queries at once and return one ``ValidationResult`` per query.

        Queries are validated in parallel (via Rayon) and the Python GIL is released
        for the duration of the batch, so other Python threads (e.g. asyncio event loop)
        are not blocked.
        """

@final
class ValidationResult:
    """The outcome of validating one query; made only by ``Qarvex``. True when valid, and its
    length is the number of errors."""

    @property
    def is_valid(self) -> bool:
        """True when the query has no error (warnings do not count)."""
    @property
    def errors(self) -> list[str]:
        """All errors (syntax + semantic) combined."""
    @property
    def syntax_errors(self) -> list[str]:
        """Parse/syntax errors only."""
    @property
    def semantic_errors(self) -> list[str]:
        """Schema-level semantic errors only."""
    @property
    def warnings(self) -> list[str]:
        """Advisory warnings (not errors — query still runs, but may be slow or incorrect)."""
    @property
    def fixed_query(self) -> str | None:
        """Auto-corrected query when all errors are fixable, or None."""
    @property
    def diagnostics(self) -> list[ValidationDiagnostic]:
        """Structured diagnostics with error codes, suggestions, and positions."""
    def to_dict(self) -> _ResultDict:
        """Return the result as a plain Python dict."""
    def to_json(self) -> str:
        """Return the result as a compact JSON string."""
    def __bool__(self) -> bool: ...
    def __len__(self) -> int: ...
    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...

@final
class ValidationDiagnostic:
    """One finding of a validation: a coded error or warning; made only by ``Qarvex``."""

    @property
    def code(self) -> str:
        """Short error code (e.g. "E201")."""
    @property
    def code_name(self) -> str:
        """Human-readable code name (e.g. "UnknownNodeLabel")."""
    @property
    def severity(self) -> _Severity:
        """"error" or "warning"."""
    @property
    def message(self) -> str:
        """Full human-readable message."""
    @property
    def suggestion_original(self) -> str | None:
        """Original text fragment to replace, or None."""
    @property
    def suggestion_replacement(self) -> str | None:
        """Suggested replacement text, or None."""
    @property
    def suggestion_description(self) -> str | None:
        """Human-readable description of the suggestion, or None."""
    @property
    def position_line(self) -> int | None:
        """1-based line number (parse errors only), or None."""
    @property
    def position_col(self) -> int | None:
        """1-based column number (parse errors only), or None."""
    def to_dict(self) -> _DiagnosticDict:
        """The diagnostic as a plain Python dict of its nine fields."""
    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...

@final
class CypherGenerator:
    """Random Cypher queries that use only the schema's names; repeatable with a seed."""

    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...
    def __new__(cls, schema: Schema, seed: int | None = None) -> CypherGenerator: ...
    def generate(self, query_type: _QueryType | str) -> str:
        """One query of the given type (one of ``supported_types()``)."""
    def generate_batch(self, query_type: _QueryType | str, n: int) -> list[str]:
        """Generate *n* queries of the given type in a single call.

        Equivalent to calling :meth:`generate` *n* times but avoids per-call
        Python overhead.

        Parameters
        ----------
        query_type:
            One of the types returned by :meth:`supported_types`.
        n:
            Number of queries to generate.

        Returns
        -------
        list[str]
            Generated Cypher query strings.

        Raises
        ------
        ValueError
            If *query_type* is not supported.
        """
    @staticmethod
    def supported_types() -> list[_QueryType]:
        """The thirteen query types, in a fixed order."""

@final
class QueryInfo:
    """Information extracted from a parsed query without a schema."""

    @property
    def is_valid(self) -> bool:
        """True if the query is syntactically valid."""
    @property
    def errors(self) -> list[str]:
        """Syntax error messages (empty if valid)."""
    @property
    def labels_used(self) -> list[str]:
        """Node labels referenced in the query."""
    @property
    def rel_types_used(self) -> list[str]:
        """Relationship types referenced in the query."""
    @property
    def properties_used(self) -> list[str]:
        """Property keys accessed in the query (e.g. ``["name", "age"]``)."""
    @property
    def updates(self) -> bool:
        """True if the query changes the graph: CREATE, MERGE, SET, REMOVE, DELETE or FOREACH anywhere, subqueries included."""
    @property
    def procedures(self) -> list[str]:
        """The full names of the procedures the query calls (e.g. ``["db.labels"]``)."""
    def __bool__(self) -> bool: ...
    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...

def parse_query(query: str, *, dialect: _Dialect = "core") -> QueryInfo:
    """Parse a Cypher query and return structural information without requiring a schema.

    Example::

        info = parse_query("MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.name")
        info.is_valid        # True
        info.labels_used     # ["Movie", "Person"]
        info.rel_types_used  # ["ACTED_IN"]
        info.properties_used # ["name"]
    """

# The restore functions that pickle calls with the payload an instance's __reduce__ returned.
_Suggestion = tuple[str, str, str]
_DiagnosticPayload = tuple[str, str, _Suggestion | None, tuple[int, int] | None]

def _restore_schema(json_text: str) -> Schema:
    """Rebuild a pickled Schema from its JSON form."""
def _restore_qarvex(schema_json: str, options: dict[str, Any]) -> Qarvex:
    """Rebuild a pickled Qarvex from its schema and options."""
def _restore_validation_result(
    diagnostics: tuple[_DiagnosticPayload, ...], fixed_query: str | None
) -> ValidationResult:
    """Rebuild a pickled ValidationResult from its diagnostics and fixed query."""
def _restore_validation_diagnostic(
    code: str, message: str, suggestion: _Suggestion | None, position: tuple[int, int] | None
) -> ValidationDiagnostic:
    """Rebuild a pickled ValidationDiagnostic from its fields."""
def _restore_cypher_generator(
    schema_json: str, state: tuple[int, int, int, int]
) -> CypherGenerator:
    """Rebuild a pickled CypherGenerator from its schema and random state."""
def _restore_query_info(
    is_valid: bool,
    errors: tuple[str, ...],
    labels_used: tuple[str, ...],
    rel_types_used: tuple[str, ...],
    properties_used: tuple[str, ...],
    updates: bool | None = None,
    procedures: tuple[str, ...] = (),
) -> QueryInfo:
    """Rebuild a pickled QueryInfo from its fields."""
