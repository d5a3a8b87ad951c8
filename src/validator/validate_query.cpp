#include "validator/validate_query.hpp"

#include <variant>

#include "parser/parser.hpp"
#include "validator/context.hpp"
#include "validator/fixed_query.hpp"
#include "validator/walk.hpp"

namespace qarvex {

ValidationResult validate_query(const Schema& schema, const SchemaNames& names,
                                std::string_view text, Dialect dialect) {
  auto parsed = parse_for_validation(text, dialect);
  if (auto* error = std::get_if<ParseErrorInfo>(&parsed)) {
    return syntax_error_result(std::move(error->message), error->position);
  }
  const ParsedQuery& query = std::get<ParsedQuery>(parsed);
  ValidationContext context(schema, names, dialect);
  // A standalone procedure call has nothing to check.
  if (const auto* regular = std::get_if<RegularQuery>(&query.query.node)) {
    walk_query(context, *regular);
  }
  ValidationResult result = semantic_result(std::move(context.sink));
  result.fixed_query = fixed_query(result.diagnostics, text, query.name_sites, dialect);
  return result;
}

ValidationResult validate_query(const Schema& schema, std::string_view text, Dialect dialect) {
  return validate_query(schema, SchemaNames(schema), text, dialect);
}

}  // namespace qarvex
