// The state of one validation run: what has been reported, the schema, and the scope.
#pragma once

#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"
#include "validator/guardrails.hpp"
#include "validator/schema_names.hpp"
#include "validator/scope.hpp"

namespace qarvex {

struct ValidationContext {
  ValidationContext(const Schema& schema, const SchemaNames& names,
                    Dialect dialect = Dialect::core,
                    const Guardrails& guardrails = no_guardrails())
      : schema(schema), names(names), dialect(dialect), guardrails(guardrails) {}

  DiagnosticSink sink;
  const Schema& schema;
  const SchemaNames& names;  // the candidates for "did you mean"
  Dialect dialect;           // the dialect's own rules are checked only in it
  const Guardrails& guardrails;
  VariableScope scope;
};

}  // namespace qarvex
