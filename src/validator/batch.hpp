// Validation of many queries at once on the worker pool.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"

namespace qarvex {

struct BatchOutcome {
  std::vector<ValidationResult> results;  // one per query, in query order
  std::exception_ptr fault;               // set when a worker failed; results are then partial
};

BatchOutcome validate_all(const Schema& schema, const std::vector<std::string>& queries,
                          Dialect dialect = Dialect::core);

}  // namespace qarvex
