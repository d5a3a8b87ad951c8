"""Validation beside reading and reporting: one thread calls ``validate_batch`` (which releases
the interpreter lock) on each batch in turn while the main thread reads the next input or
writes the report of the previous batch."""
from __future__ import annotations

import threading
from queue import SimpleQueue

from _qarvex import Qarvex, ValidationResult


class Batch:
    """The results of one validate_batch call made by a ``Validation`` thread."""

    def __init__(self, texts: list[str]) -> None:
        self.texts = texts
        self._done = threading.Event()
        self._results: list[ValidationResult] = []
        self._error: BaseException | None = None

    def finish(self, results: list[ValidationResult] | None, error: BaseException | None) -> None:
        self._results = results or []
        self._error = error
        self._done.set()

    def results(self) -> list[ValidationResult]:
        """The results, once there: the call's exception is raised here."""
        self._done.wait()
        if self._error is not None:
            raise self._error
        return self._results


class Validation:
    """One thread that validates the batches given to ``submit``, in order, until ``close``
    (which, to cancel, drops the batches not yet started)."""

    def __init__(self, validator: Qarvex) -> None:
        self._validator = validator
        self._inbox: SimpleQueue[Batch | None] = SimpleQueue()
        self._cancelled = False
        self._thread = threading.Thread(target=self._run, name="qarvex-validate", daemon=True)
        self._thread.start()

    def submit(self, texts: list[str]) -> Batch:
        batch = Batch(texts)
        self._inbox.put(batch)
        return batch

    def close(self, cancel: bool = False) -> None:
        self._cancelled = cancel
        self._inbox.put(None)

    def _run(self) -> None:
        while (batch := self._inbox.get()) is not None:
            if self._cancelled:
                batch.finish(None, None)
                continue
            try:
                batch.finish(self._validator.validate_batch(batch.texts), None)
            except BaseException as error:  # handed to the reader of the batch
                batch.finish(None, error)
