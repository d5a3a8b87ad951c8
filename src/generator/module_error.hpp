// The module's error value: what the generator (and the query builder) report instead of
// throwing. The bindings raise it as ValueError with its text form.
#pragma once

#include <string>

namespace qarvex {

enum class ErrorKind { Parse, Generator };

struct ModuleError {
  ErrorKind kind;
  std::string message;

  // "Parse error: {message}" or "Generator error: {message}".
  std::string text() const {
    return (kind == ErrorKind::Parse ? "Parse error: " : "Generator error: ") + message;
  }

  friend bool operator==(const ModuleError&, const ModuleError&) = default;
};

}  // namespace qarvex
