"""Qarvex checks Cypher graph queries against a schema before they reach a graph database.

The names here are those of the native module ``_qarvex``, handed on unchanged
(``qarvex.Qarvex is _qarvex.Qarvex``); ``python -m qarvex`` and the ``qarvex`` command are the
command-line checker of ``qarvex.cli``. ``schema_from_neo4j`` and ``schema_from_apoc`` build a
schema from the dictionaries Neo4j's tools give; ``qarvex.age`` reads one from a live Apache AGE
graph.
"""
from _qarvex import (
    CypherGenerator,
    QueryInfo,
    Qarvex,
    Schema,
    ValidationDiagnostic,
    ValidationResult,
    parse_query,
)

from ._apoc_meta import schema_from_apoc
from ._neo4j_structured import schema_from_neo4j

__version__ = "0.1.0"

__all__ = [
    "Schema",
    "Qarvex",
    "ValidationResult",
    "ValidationDiagnostic",
    "CypherGenerator",
    "QueryInfo",
    "parse_query",
    "schema_from_neo4j",
    "schema_from_apoc",
    "__version__",
]
