// From query text to syntax tree: the two parse entries and the build of one parse tree.
#pragma once

#include <string_view>
#include <variant>

#include "parser/ast.hpp"
#include "parser/module_error.hpp"
#include "parser/name_sites.hpp"
#include "parser/parse.hpp"
#include "parser/parse_tree.hpp"

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
StatementResult parse_statement(std::string_view text);

// For the validator: a syntax error keeps its line and column; a build failure becomes the
// record "Parse error: {message}" without position.
ValidationParse parse_for_validation(std::string_view text);

// Builds the query of a `cypher` node. The first failure anywhere ends the build and is the
// result; no partial tree is returned.
StatementResult build_query(ParseNode cypher);

}  // namespace qarvex
