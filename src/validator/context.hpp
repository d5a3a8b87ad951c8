// The state of one validation run: what has been reported, the schema, and the scope.
#pragma once

#include <string>
#include <vector>

#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"
#include "validator/scope.hpp"

namespace qarvex {

struct ValidationContext {
  explicit ValidationContext(const Schema& schema)
      : schema(schema), known_labels(schema.sorted_labels()), known_types(schema.sorted_types()) {}

  DiagnosticSink sink;
  const Schema& schema;
  std::vector<std::string> known_labels;  // sorted; the candidates for label suggestions
  std::vector<std::string> known_types;   // sorted; the candidates for type suggestions
  VariableScope scope;
};

}  // namespace qarvex
