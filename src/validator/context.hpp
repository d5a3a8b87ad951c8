// The state of one validation run: what has been reported, the schema, and the scope.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"
#include "validator/scope.hpp"

namespace qarvex {

struct ValidationContext {
  explicit ValidationContext(const Schema& schema, Dialect dialect = Dialect::core)
      : schema(schema), dialect(dialect) {}

  // The schema's sorted labels and types, the candidates for "did you mean". They are only
  // needed once a name turns out to be unknown, so valid queries never pay for the copies.
  const std::vector<std::string>& known_labels() {
    if (!labels_) labels_ = schema.sorted_labels();
    return *labels_;
  }
  const std::vector<std::string>& known_types() {
    if (!types_) types_ = schema.sorted_types();
    return *types_;
  }

  DiagnosticSink sink;
  const Schema& schema;
  Dialect dialect;  // the dialect's own rules are checked only in it
  VariableScope scope;

 private:
  std::optional<std::vector<std::string>> labels_;
  std::optional<std::vector<std::string>> types_;
};

}  // namespace qarvex
