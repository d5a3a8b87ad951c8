"""Where a diagnostic stands in its statement: the offset of the name it is about, found by
searching the statement's code (strings and comments blanked) for that name in the place the
diagnostic's code puts it. A diagnostic without such a name, or whose name is not found, stands
at the statement's first token (offset 0)."""
from __future__ import annotations

import re
from typing import Callable

from ._text import code_mask

# Builds the pattern that finds a name; the group "at" marks where the diagnostic points.
Finder = Callable[[str], str]


def _name(name: str) -> str:
    """A name as it may be written: bare, or in backticks with each backtick doubled."""
    quoted = re.escape("`" + name.replace("`", "``") + "`")
    return rf"(?:(?<![\w`]){re.escape(name)}(?![\w`])|{quoted})"


def _label(name: str) -> str:
    return rf"[:|&]\s*(?P<at>{_name(name)})"


def _map_key(name: str) -> str:
    return rf"[{{,]\s*(?P<at>{_name(name)})\s*:"


def _property(name: str) -> str:
    return rf"\.\s*(?P<at>{_name(name)})"


def _variable(name: str) -> str:
    return rf"(?<![.:$])(?P<at>{_name(name)})(?!\s*[(:])"


def _function(name: str) -> str:
    return rf"(?i)(?<![\w.])(?P<at>{re.escape(name)})\s*\("


def _keyword(name: str) -> str:
    return rf"(?i)(?<!\w)(?P<at>{re.escape(name)})(?!\w)"


def _clause(name: str) -> str:
    """A clause's keywords, spaced in any way, not as a property key, label or name; a
    `{ ... }` in the name stands for a subquery's body, after its imports if any."""
    parts = (r"\s+".join(re.escape(word) for word in part.split())
             for part in name.split("{ ... }"))
    words = r"\s*(?:\([^)]*\)\s*)?\{.*?\}\s*".join(parts)
    return rf"(?is)(?<![\w.:`$])(?P<at>{words})(?![\w`])"


def _procedure(name: str) -> str:
    return rf"(?i:(?<!\w)CALL)\s+(?P<at>{re.escape(name)})(?![\w.`])"


def _text(name: str) -> str:
    return rf"(?P<at>{re.escape(name)})"


def _star(_: str) -> str:
    return r"\[[^\]]*?(?P<at>\*)"


_HINT = r"(?:, did you mean [:.].*\?)?"
_FUNCTION = r"(?:Aggregate function|Function|Unknown function|non-aggregate function) (.+?)\(\)"

# For each code: the pattern that takes the name out of the message, and the finders to try in
# turn (the last match of a finder marked "last" is taken, the first of the others).
_RULES: dict[str, tuple[str, tuple[Finder, ...]]] = {
    "E201": (rf"^Unknown node label: :(.*?){_HINT}$", (_label,)),
    "E202": (rf"^Unknown node label in SET: :(.*?){_HINT}$", (_label,)),
    "E203": (rf"^Unknown node label in REMOVE: :(.*?){_HINT}$", (_label,)),
    "E211": (rf"^Unknown relationship type: :(.*?){_HINT}$", (_label,)),
    "E301": (r"^Unknown property '(.*?)' for node label ", (_map_key, _property)),
    "E302": (r"^Unknown property '(.*?)' for relationship type ", (_map_key, _property)),
    "E303": (r"^Unknown property '(.*?)' on variable ", (_property, _map_key)),
    "E304": (r"^Unknown property '(.*?)' on variable ", (_property, _map_key)),
    "E401": (r"^Relationship :(.*?) expects ", (_label,)),
    "E501": (r"^Variable '(.*?)' is not bound", (_variable,)),
    "E502": (r"^Duplicate projection name '(.*?)' in", (_text,)),
    "E601": (rf"^{_FUNCTION}", (_function,)),
    "E602": (r"not allowed in (?:\w+ )*(\w+) context", (_keyword,)),
    "E603": (rf"^{_FUNCTION}", (_function,)),
    "E611": (r"^(\w+) expression", (_keyword,)),
    "E612": (r"^(\w+) expression", (_keyword,)),
    "E613": (r"^(\w+) expression", (_keyword,)),
    "E614": (r"^(\w+) expression", (_keyword,)),
    "E701": (r"^Clause (.+) is not allowed in read-only mode$", (_clause,)),
    "E702": (r"^Procedure (.+) is not allowed$", (_procedure,)),
    "W101": (r"^(MATCH)", (_keyword,)),
    "W103": (rf"{_FUNCTION}", (_function,)),
    "W104": (rf"{_FUNCTION}", (_function,)),
    "W201": (r"^(MATCH)", (_keyword,)),
    "W202": (r"^()", (_star,)),
}
# Codes whose name is found at its last place in the statement: a duplicate comes second.
_LAST = {"E502"}
_MESSAGES = {code: re.compile(pattern, re.DOTALL) for code, (pattern, _) in _RULES.items()}


class Locator:
    """Finds diagnostics in one statement; the code mask is made once, when first needed."""

    def __init__(self, statement: str) -> None:
        self._statement = statement
        self._mask: str | None = None

    def offset(self, code: str, message: str) -> int:
        """The offset in the statement where the diagnostic points, 0 when nothing better is
        known."""
        rule = _RULES.get(code)
        if rule is None:
            return 0
        found = _MESSAGES[code].search(message)
        if found is None:
            return 0
        if self._mask is None:
            self._mask = code_mask(self._statement)
        name = found.group(1)
        for finder in rule[1]:
            matches = list(re.finditer(finder(name), self._mask))
            if matches:
                match = matches[-1] if code in _LAST else matches[0]
                return match.start("at")
        return 0
