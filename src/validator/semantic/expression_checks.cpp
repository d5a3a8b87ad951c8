// Function calls, aggregates in forbidden clauses, and SKIP/LIMIT literals.
#include <string>
#include <vector>

#include "parser/expression_children.hpp"
#include "validator/semantic/checks.hpp"
#include "validator/semantic/functions.hpp"

namespace qarvex {
namespace {

bool is_aggregate_call(const expr::FunctionCall& call) {
  const BuiltinFunction* function = find_builtin_function(call.name);
  return function != nullptr && function->aggregate;
}

// contains_aggregate searches the children of plain kinds; the kinds that bind their own
// variables or hold patterns and subqueries are not looked into.
template <PlainExpression Kind>
void push_searched_children(const Kind& node, std::vector<const Expression*>& pending) {
  for_each_child_expression(node, [&](const Expression& child) { pending.push_back(&child); });
}
void push_searched_children(const expr::ListComprehension&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::QuantifierAll&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::QuantifierAny&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::QuantifierNone&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::QuantifierSingle&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::Reduce&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::ShortestPath&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::PatternComprehension&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::Exists&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::CountSubquery&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::CollectSubquery&, std::vector<const Expression*>&) {}
void push_searched_children(const expr::HasLabels& node, std::vector<const Expression*>& pending) {
  pending.push_back(node.subject.get());
}

}  // namespace

bool contains_aggregate(const Expression& expression) {
  // An explicit work list: operator chains may nest far deeper than the stack allows.
  std::vector<const Expression*> pending{&expression};
  while (!pending.empty()) {
    const Expression* next = pending.back();
    pending.pop_back();
    if (next == nullptr) continue;
    if (next->as<expr::CountStar>() != nullptr) return true;
    if (const auto* call = next->as<expr::FunctionCall>(); call != nullptr && is_aggregate_call(*call)) {
      return true;
    }
    std::visit([&](const auto& node) { push_searched_children(node, pending); }, next->node);
  }
  return false;
}

void check_function_call(ValidationContext& context, const expr::FunctionCall& call) {
  const BuiltinFunction* function = find_builtin_function(call.name);
  if (function == nullptr) {
    context.sink.add_warning(DiagnosticCode::UnknownFunction,
                             format_message(DiagnosticCode::UnknownFunction, {call.name}));
    return;
  }
  if (!accepts_argument_count(*function, call.arguments.size())) {
    context.sink.add_error(DiagnosticCode::WrongArity,
                           format_message(DiagnosticCode::WrongArity,
                                          {call.name, arity_text(*function),
                                           std::to_string(call.arguments.size())}));
  }
  if (call.distinct && !function->aggregate) {
    context.sink.add_warning(DiagnosticCode::DistinctOnNonAggregate,
                             format_message(DiagnosticCode::DistinctOnNonAggregate, {call.name}));
  }
  if (!function->numeric_aggregate) return;
  for (const Box<Expression>& argument : call.arguments) {
    if (argument->as<expr::String>() == nullptr) continue;
    context.sink.add_error(DiagnosticCode::AggregateStringArg,
                           format_message(DiagnosticCode::AggregateStringArg, {call.name}));
  }
}

void check_aggregate_context(ValidationContext& context, const Expression& expression,
                             std::string_view clause) {
  if (!contains_aggregate(expression)) return;
  context.sink.add_error(DiagnosticCode::AggregateInForbiddenContext,
                         format_message(DiagnosticCode::AggregateInForbiddenContext, {clause}));
}

bool check_pagination_literal(ValidationContext& context, const Expression& expression,
                              std::string_view word) {
  DiagnosticCode code;
  if (expression.as<expr::Float>() != nullptr) {
    code = DiagnosticCode::PaginationTypeFloat;
  } else if (expression.as<expr::String>() != nullptr) {
    code = DiagnosticCode::PaginationTypeString;
  } else if (expression.as<expr::Boolean>() != nullptr) {
    code = DiagnosticCode::PaginationTypeBool;
  } else if (expression.as<expr::Null>() != nullptr) {
    code = DiagnosticCode::PaginationTypeNull;
  } else {
    return false;
  }
  context.sink.add_error(code, format_message(code, {word}));
  return true;
}

}  // namespace qarvex
