// Function calls, aggregates in forbidden clauses, and SKIP/LIMIT literals.
#include <string>
#include <vector>

#include "validator/semantic/checks.hpp"
#include "validator/semantic/functions.hpp"

namespace qarvex {
namespace {

bool is_aggregate_call(const expr::FunctionCall& call) {
  const BuiltinFunction* function = find_builtin_function(call.name);
  return function != nullptr && function->aggregate;
}

// The children that contains_aggregate looks into; constructs that bind their own variables
// or hold patterns and subqueries are not searched.
template <typename Node>
void push_searched_children(const Node& node, std::vector<const Expression*>& pending) {
  if constexpr (requires { node.left; node.right; }) {
    pending.push_back(node.left.get());
    pending.push_back(node.right.get());
  } else if constexpr (requires { node.operand; }) {
    pending.push_back(node.operand.get());
  } else if constexpr (std::is_same_v<Node, expr::List>) {
    for (const Box<Expression>& item : node.items) pending.push_back(item.get());
  } else if constexpr (std::is_same_v<Node, expr::Map>) {
    for (const PropertyEntry& entry : node.map.entries) pending.push_back(entry.value.get());
  } else if constexpr (std::is_same_v<Node, expr::PropertyLookup>) {
    pending.push_back(node.object.get());
  } else if constexpr (std::is_same_v<Node, expr::Subscript>) {
    pending.push_back(node.object.get());
    pending.push_back(node.index.get());
  } else if constexpr (std::is_same_v<Node, expr::FunctionCall>) {
    for (const Box<Expression>& argument : node.arguments) pending.push_back(argument.get());
  } else if constexpr (std::is_same_v<Node, expr::Case>) {
    pending.push_back(node.subject.get());
    for (const CaseAlternative& alternative : node.alternatives) {
      pending.push_back(alternative.when.get());
      pending.push_back(alternative.then.get());
    }
    pending.push_back(node.default_value.get());
  }
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
