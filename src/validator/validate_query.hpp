// The one entry of semantic validation: a query text checked against a schema.
#pragma once

#include <string_view>

#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/diagnostics.hpp"

namespace qarvex {

// Parses, builds and walks `text`; every problem becomes a diagnostic, so this never fails.
// `dialect` is the grammar the text is read in.
ValidationResult validate_query(const Schema& schema, std::string_view text,
                                Dialect dialect = Dialect::core);

}  // namespace qarvex
