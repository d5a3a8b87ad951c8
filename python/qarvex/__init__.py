"""Qarvex checks Cypher graph queries against a schema before they reach a graph database.

The names here are those of the native module ``_qarvex``, handed on unchanged
(``qarvex.Qarvex is _qarvex.Qarvex``); ``python -m qarvex`` and the ``qarvex`` command are the
command-line checker of ``qarvex.cli``.
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

__version__ = "0.1.0"

__all__ = [
    "Schema",
    "Qarvex",
    "ValidationResult",
    "ValidationDiagnostic",
    "CypherGenerator",
    "QueryInfo",
    "parse_query",
    "__version__",
]
