// The module's error value: what a failed parse or build, or a generator failure, reports
// instead of throwing. The bindings raise it as ValueError with its text form.
#pragma once

#include <string>

namespace qarvex {

enum class ModuleErrorKind { Parse, Generator };

struct ModuleError {
  ModuleErrorKind kind = ModuleErrorKind::Parse;
  std::string message;

  // "Parse error: {message}" or "Generator error: {message}".
  std::string text() const {
    return (kind == ModuleErrorKind::Parse ? "Parse error: " : "Generator error: ") + message;
  }

  friend bool operator==(const ModuleError&, const ModuleError&) = default;
};

}  // namespace qarvex
