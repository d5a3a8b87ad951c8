// The one entry of semantic validation: a query text checked against a schema.
#pragma once

#include <string_view>
#include <vector>

#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"
#include "validator/guardrails.hpp"
#include "validator/schema_names.hpp"

namespace qarvex {

// Parses, builds and walks `text`; every problem becomes a diagnostic, so this never fails.
// `names` are those of `schema`; `dialect` is the grammar the text is read in; `guardrails`
// what is refused beyond the schema.
ValidationResult validate_query(const Schema& schema, const SchemaNames& names,
                                std::string_view text, Dialect dialect = Dialect::core,
                                const Guardrails& guardrails = no_guardrails());

// The same for a one-off check, indexing the schema's names first.
ValidationResult validate_query(const Schema& schema, std::string_view text,
                                Dialect dialect = Dialect::core);

// A result with one detail record per diagnostic, in their order.
struct DetailedResult {
  ValidationResult result;
  std::vector<DiagnosticDetail> details;
};

// The same validation, recording what each diagnostic is about (for the feedback text); the
// result is the one validate_query gives.
DetailedResult validate_with_details(const Schema& schema, const SchemaNames& names,
                                     std::string_view text, Dialect dialect = Dialect::core,
                                     const Guardrails& guardrails = no_guardrails());

}  // namespace qarvex
