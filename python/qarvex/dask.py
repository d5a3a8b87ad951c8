"""Validation at cluster scale with Dask.

Each partition goes through ``Qarvex.validate_batch`` on a worker (the native pool, with the
interpreter lock released), against a validator built once per worker process and kept for
the next partitions. Only the schema's JSON form travels with the tasks; the results come back
as pickled ``ValidationResult`` objects, equal to those ``validate_batch`` gives in one process.

Dask is an optional dependency: importing ``qarvex`` never imports this module, and this module
imports nothing of Dask itself (pandas only inside ``validate_frame``).
"""
from __future__ import annotations

import threading
from collections.abc import Iterable
from typing import Any, Literal

from _qarvex import Qarvex, Schema, ValidationResult

# Dask's collections are untyped and pandas ships no types, so they are named, not checked.
Bag = Any
DataFrame = Any
PandasFrame = Any

__all__ = ["validate_bag", "validate_frame", "RESULT_COLUMNS"]

# The columns validate_frame adds: error_codes[i] is the code of errors[i].
RESULT_COLUMNS = ("is_valid", "error_codes", "errors", "fixed_query")

# A worker sees few schemas; past this many the oldest validator is dropped.
_MAX_VALIDATORS = 16
# A validator is identified by its schema's JSON form and its options (dialect, read_only,
# allowed_procedures), as the validator normalises them.
_Key = tuple[str, Literal["core", "neo4j"], bool, tuple[str, ...] | None]
_validators: dict[_Key, Qarvex] = {}
_DIALECTS: dict[str, Literal["core", "neo4j"]] = {"core": "core", "neo4j": "neo4j"}
_validators_lock = threading.Lock()


def validate_bag(bag: Bag, schema: Schema, *, dialect: str = "core", read_only: bool = False,
                 allowed_procedures: Iterable[str] | None = None) -> Bag:
    """A bag of one ``ValidationResult`` per query of ``bag`` (a bag of str), in order. The
    keyword options are those of ``Qarvex``."""
    key = _validator_key(schema, dialect, read_only, allowed_procedures)
    return bag.map_partitions(_validate_partition, key)


def validate_frame(frame: DataFrame, column: str, schema: Schema, *, dialect: str = "core",
                   read_only: bool = False,
                   allowed_procedures: Iterable[str] | None = None) -> DataFrame:
    """``frame`` with the columns of RESULT_COLUMNS added, from validating its str column
    ``column``: is_valid (bool), error_codes and errors (lists of str) and fixed_query (str or
    None). The keyword options are those of ``Qarvex``."""
    key = _validator_key(schema, dialect, read_only, allowed_procedures)
    if column not in frame.columns:
        raise KeyError(column)
    meta = _with_results(frame._meta, [])
    return frame.map_partitions(_validate_frame_partition, column, key, meta=meta)


def _validator_key(schema: Schema, dialect: str, read_only: bool,
                   allowed_procedures: Iterable[str] | None) -> _Key:
    """What identifies a validator, checked here so that a mistake shows before any task runs:
    the constructor checks the options and gives them back normalised."""
    if not isinstance(schema, Schema):
        raise TypeError(f"schema must be a Schema, not {type(schema).__name__}")
    known = _DIALECTS.get(dialect) if isinstance(dialect, str) else None
    if known is None:
        raise ValueError(f"Unknown dialect: {dialect!r}; expected 'core' or 'neo4j'")
    checked = Qarvex(schema, dialect=known, read_only=read_only,
                     allowed_procedures=allowed_procedures)
    return schema.to_json(), checked.dialect, checked.read_only, checked.allowed_procedures


def _validator(key: _Key) -> Qarvex:
    """This process's validator for ``key``, built on first use. The lock keeps two tasks
    starting at once on one worker from building it twice."""
    validator = _validators.get(key)
    if validator is not None:
        return validator
    with _validators_lock:
        validator = _validators.get(key)
        if validator is None:
            if len(_validators) >= _MAX_VALIDATORS:
                del _validators[next(iter(_validators))]
            schema_json, dialect, read_only, allowed_procedures = key
            validator = Qarvex(Schema.from_json(schema_json), dialect=dialect,
                               read_only=read_only, allowed_procedures=allowed_procedures)
            _validators[key] = validator
    return validator


def _validate_partition(queries: Iterable[str], key: _Key) -> list[ValidationResult]:
    batch = queries if isinstance(queries, list) else list(queries)
    return _validator(key).validate_batch(batch)


def _validate_frame_partition(partition: PandasFrame, column: str,
                              key: _Key) -> PandasFrame:
    return _with_results(partition, _validator(key).validate_batch(partition[column].tolist()))


def _with_results(partition: PandasFrame,
                  results: list[ValidationResult]) -> PandasFrame:
    import pandas  # type: ignore[import-untyped, import-not-found, unused-ignore]

    def series(values: list[Any], dtype: str) -> Any:
        return pandas.Series(values, index=partition.index, dtype=dtype)

    return partition.assign(
        is_valid=series([result.is_valid for result in results], "bool"),
        error_codes=series([_error_codes(result) for result in results], "object"),
        errors=series([result.errors for result in results], "object"),
        fixed_query=series([result.fixed_query for result in results], "object"),
    )


def _error_codes(result: ValidationResult) -> list[str]:
    return [d.code for d in result.diagnostics if d.severity == "error"]
