// The guardrails: read-only mode and the procedure allow-list. The walk reports each clause it
// visits; where it does not go (procedure arguments, MERGE actions, pattern property values),
// the clauses written inside are found by the clause list.
#include <string>

#include "parser/clause_list.hpp"
#include "validator/semantic/checks.hpp"

namespace qarvex {

void check_clause_guardrails(ValidationContext& context, const ClauseFact& clause) {
  const Guardrails& guardrails = context.guardrails;
  const ClauseInfo& info = clause_info(clause.kind);
  if (guardrails.read_only && info.refused_when_read_only) {
    context.sink.add_error(DiagnosticCode::ClauseNotAllowed,
                           format_message(DiagnosticCode::ClauseNotAllowed, {info.name}));
  }
  if (clause.call != nullptr && guardrails.allowed_procedures) {
    std::string name = procedure_name(*clause.call);
    if (!guardrails.allowed_procedures->allows(name)) {
      context.sink.add_error(DiagnosticCode::ProcedureNotAllowed,
                             format_message(DiagnosticCode::ProcedureNotAllowed, {name}));
    }
  }
}

void check_guardrails_within(ValidationContext& context, const Expression& expression) {
  if (!context.guardrails.any()) return;
  for (const ClauseFact& clause : clauses_within(expression)) {
    check_clause_guardrails(context, clause);
  }
}

}  // namespace qarvex
