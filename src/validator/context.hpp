// The state of one validation run: what has been reported, the schema, and the scope.
#pragma once

#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"
#include "validator/schema_names.hpp"
#include "validator/scope.hpp"

namespace qarvex {

struct ValidationContext {
  ValidationContext(const Schema& schema, const SchemaNames& names)
      : schema(schema), names(names) {}

  DiagnosticSink sink;
  const Schema& schema;
  const SchemaNames& names;  // the candidates for "did you mean"
  VariableScope scope;
};

}  // namespace qarvex
