// The one entry of semantic validation: a query text checked against a schema.
#pragma once

#include <string_view>

#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"

namespace qarvex {

// Parses, builds and walks `text`; every problem becomes a diagnostic, so this never fails.
ValidationResult validate_query(const Schema& schema, std::string_view text);

}  // namespace qarvex
