// Validation of many queries at once on the worker pool.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "base/text_list.hpp"
#include "base/worker_pool.hpp"
#include "parser/dialect.hpp"
#include "validator/diagnostics.hpp"
#include "validator/guardrails.hpp"
#include "validator/schema_names.hpp"

namespace qarvex {

struct BatchOutcome {
  std::vector<ValidationResult> results;  // one per query, in query order
  std::exception_ptr fault;               // set when a worker failed; results are then partial
};

// With a watch that says stop, the results of the queries not reached stay empty.
BatchOutcome validate_all(const IndexedSchema& schema, const TextList& queries,
                          const BatchWatch* watch = nullptr, Dialect dialect = Dialect::core,
                          const Guardrails& guardrails = no_guardrails());

}  // namespace qarvex
