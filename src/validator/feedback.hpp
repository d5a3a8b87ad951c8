// The feedback text for a language model's next attempt at a query: each error with its
// message, the names it may use in that place, and the corrected query when there is one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/guardrails.hpp"
#include "validator/schema_names.hpp"

namespace qarvex {

// No list of names in the text holds more than this many.
inline constexpr std::size_t feedback_list_limit = 20;

// Empty when the query is valid (warnings do not count). Otherwise, for each error in the order
// of the diagnostics:
//
//   error CODE: MESSAGE            (a message of several lines, such as a syntax error's
//                                   report, starts on the line after "error CODE:"; an E401
//                                   names at most feedback_list_limit accepted labels)
//     NOTE                         (at most one line, two spaces in; a note equal to an
//                                   earlier one is left out)
//
// and, last, "corrected query:" with the corrected text on the lines after it. The same query,
// schema and dialect always give the same bytes.
std::string feedback_text(const Schema& schema, const SchemaNames& names, std::string_view text,
                          Dialect dialect, const Guardrails& guardrails = no_guardrails());

}  // namespace qarvex
