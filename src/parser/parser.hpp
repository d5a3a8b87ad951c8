// The parser's front door: from query text to syntax tree, or the error that stopped it.
#pragma once

#include <string_view>
#include <variant>

#include "parser/ast.hpp"
#include "parser/module_error.hpp"
#include "parser/parse.hpp"

namespace qarvex {

using StatementResult = std::variant<Query, ModuleError>;
using ValidationParse = std::variant<Query, ParseErrorInfo>;

// For parse_query: a syntax error or a build failure comes back as a Parse module error (a
// syntax error's message is the six-line report, without position).
StatementResult parse_statement(std::string_view text);

// For the validator: a syntax error keeps its line and column; a build failure becomes the
// record "Parse error: {message}" without position.
ValidationParse parse_for_validation(std::string_view text);

}  // namespace qarvex
