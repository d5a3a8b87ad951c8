// The parser's front door: from query text to syntax tree, or the error that stopped it.
#pragma once

#include <string_view>
#include <variant>

#include "parser/ast.hpp"
#include "parser/dialect.hpp"
#include "parser/module_error.hpp"
#include "parser/name_sites.hpp"
#include "parser/parse.hpp"

namespace qarvex {

using StatementResult = std::variant<Query, ModuleError>;
// A query that parsed, with the places where it writes schema names.
struct ParsedQuery {
  Query query;
  std::vector<NameSite> name_sites;
};
using ValidationParse = std::variant<ParsedQuery, ParseErrorInfo>;

// For parse_query: a syntax error or a build failure comes back as a Parse module error (a
// syntax error's message is the six-line report, without position).
StatementResult parse_statement(std::string_view text, Dialect dialect = Dialect::core);

// For the validator: a syntax error keeps its line and column; a build failure becomes the
// record "Parse error: {message}" without position.
ValidationParse parse_for_validation(std::string_view text, Dialect dialect = Dialect::core);

}  // namespace qarvex
