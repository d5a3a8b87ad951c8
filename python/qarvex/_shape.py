"""Reading a nested value of a documented shape (parsed JSON, or what a database driver returns)
one member at a time. The first member that does not fit raises ``ValueError`` naming its path,
as in ``relationships[3].start: expected str, got int``, so a caller never sees half of it."""
from __future__ import annotations

import json
import re
from collections.abc import Mapping, Sequence
from typing import NamedTuple, NoReturn

# Keys written after a dot in a path; any other key is written as a JSON string in brackets.
_PLAIN_KEY = re.compile(r"[A-Za-z_][A-Za-z0-9_]*\Z")


def _kind(value: object) -> str:
    return "None" if value is None else type(value).__name__


class Member(NamedTuple):
    """A value and the path that names it in the whole input (empty for the input itself)."""

    value: object
    path: str = ""

    def fail(self, problem: str) -> NoReturn:
        raise ValueError(f"{self.path or 'the input'}: {problem}")

    def child_path(self, step: str | int) -> str:
        if isinstance(step, int):
            return f"{self.path}[{step}]"
        if _PLAIN_KEY.match(step):
            return f"{self.path}.{step}" if self.path else step
        return f"{self.path}[{json.dumps(step, ensure_ascii=False)}]"

    def text(self) -> str:
        if not isinstance(self.value, str):
            self.fail(f"expected str, got {_kind(self.value)}")
        return self.value

    def _mapping(self) -> Mapping[object, object]:
        if not isinstance(self.value, Mapping):
            self.fail(f"expected dict, got {_kind(self.value)}")
        return self.value

    def entries(self) -> list[tuple[str, Member]]:
        """The members of a dict with ``str`` keys, in its order."""
        entries = []
        for key, value in self._mapping().items():
            if not isinstance(key, str):
                Member(key, f"{self.path}[{key!r}]").fail(
                    f"expected a str key, got {_kind(key)}")
            entries.append((key, Member(value, self.child_path(key))))
        return entries

    def field(self, name: str) -> Member:
        """The member ``name`` of a dict, which must be there."""
        found = self.optional_field(name)
        if found is None:
            Member(None, self.child_path(name)).fail("missing")
        return found

    def optional_field(self, name: str) -> Member | None:
        mapping = self._mapping()
        if name not in mapping:
            return None
        return Member(mapping[name], self.child_path(name))

    def items(self) -> list[Member]:
        """The members of a list (or tuple); a ``str`` is no list here."""
        if not isinstance(self.value, Sequence) or isinstance(self.value, (str, bytes)):
            self.fail(f"expected list, got {_kind(self.value)}")
        return [Member(value, self.child_path(index)) for index, value in enumerate(self.value)]
