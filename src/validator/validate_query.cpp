#include "validator/validate_query.hpp"

#include <variant>

#include "parser/clause_list.hpp"
#include "parser/parser.hpp"
#include "validator/context.hpp"
#include "validator/fixed_query.hpp"
#include "validator/semantic/checks.hpp"
#include "validator/walk.hpp"

namespace qarvex {
namespace {

DetailedResult run_validation(const Schema& schema, const SchemaNames& names,
                              std::string_view text, Dialect dialect,
                              const Guardrails& guardrails, bool with_details) {
  auto parsed = parse_for_validation(text, dialect);
  if (auto* error = std::get_if<ParseErrorInfo>(&parsed)) {
    DetailedResult syntax{syntax_error_result(std::move(error->message), error->position), {}};
    if (with_details) syntax.details.emplace_back();
    return syntax;
  }
  const ParsedQuery& query = std::get<ParsedQuery>(parsed);
  ValidationContext context(schema, names, dialect, guardrails);
  if (with_details) context.sink.record_details();
  // A standalone procedure call has nothing to check but the guardrails.
  if (const auto* regular = std::get_if<RegularQuery>(&query.query.node)) {
    walk_query(context, *regular);
  } else if (guardrails.any()) {
    for (const ClauseFact& clause : clauses_of(query.query)) check_clause_guardrails(context, clause);
  }
  std::vector<DiagnosticDetail> details = context.sink.take_details();
  ValidationResult result = semantic_result(std::move(context.sink));
  result.fixed_query = fixed_query(result.diagnostics, text, query.name_sites, dialect);
  return {std::move(result), std::move(details)};
}

}  // namespace

ValidationResult validate_query(const Schema& schema, const SchemaNames& names,
                                std::string_view text, Dialect dialect,
                                const Guardrails& guardrails) {
  return run_validation(schema, names, text, dialect, guardrails, false).result;
}

ValidationResult validate_query(const Schema& schema, std::string_view text, Dialect dialect) {
  return validate_query(schema, SchemaNames(schema), text, dialect);
}

DetailedResult validate_with_details(const Schema& schema, const SchemaNames& names,
                                     std::string_view text, Dialect dialect,
                                     const Guardrails& guardrails) {
  return run_validation(schema, names, text, dialect, guardrails, true);
}

}  // namespace qarvex
