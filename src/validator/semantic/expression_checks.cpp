// Function calls, aggregates in forbidden clauses, and SKIP/LIMIT literals.
#include <algorithm>
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
void push_searched_children(const expr::PatternPredicate&, std::vector<const Expression*>&) {}
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

namespace {

// What a function argument is when it can never be a path: a property (properties hold no
// paths) or a literal; null for anything that might be one.
const char* never_a_path(const Expression& argument) {
  if (argument.as<expr::PropertyLookup>() != nullptr) return "a property value";
  if (argument.as<expr::String>() != nullptr) return "a string";
  if (argument.as<expr::Integer>() != nullptr || argument.as<expr::Float>() != nullptr) {
    return "a number";
  }
  if (argument.as<expr::Boolean>() != nullptr) return "a boolean";
  if (argument.as<expr::List>() != nullptr) return "a list";
  if (argument.as<expr::Map>() != nullptr) return "a map";
  return nullptr;
}

bool takes_a_path(const BuiltinFunction& function) {
  return function.name == "length" || function.name == "nodes" || function.name == "relationships";
}

// Neo4j's rules for the arguments of a call: a pattern predicate is only the argument of
// exists(), and a path function takes nothing that is never a path.
void check_neo4j_arguments(ValidationContext& context, const expr::FunctionCall& call,
                           const BuiltinFunction* function) {
  bool is_exists = function != nullptr && function->name == "exists";
  if (!is_exists) {
    for (const Box<Expression>& argument : call.arguments) {
      check_pattern_value(context, *argument, call.name + "()");
    }
  }
  if (function == nullptr || !takes_a_path(*function) || call.arguments.size() != 1) return;
  if (const char* kind = never_a_path(*call.arguments.front())) {
    context.sink.add_error(DiagnosticCode::NonPathArgument,
                           format_message(DiagnosticCode::NonPathArgument, {call.name, kind}));
  }
}

}  // namespace

void check_pattern_predicate_variables(ValidationContext& context, const PatternElement& element) {
  std::vector<const std::optional<std::string>*> variables{&element.start.variable};
  for (const PatternStep& step : element.chain) {
    variables.push_back(&step.relationship.variable);
    variables.push_back(&step.node.variable);
  }
  std::vector<std::string> reported;
  for (const std::optional<std::string>* variable : variables) {
    if (!*variable || context.scope.contains(**variable)) continue;
    if (std::find(reported.begin(), reported.end(), **variable) != reported.end()) continue;
    reported.push_back(**variable);
    context.sink.add_error(
        DiagnosticCode::PatternPredicateNewVariable,
        format_message(DiagnosticCode::PatternPredicateNewVariable, {**variable}));
  }
}

void check_pattern_value(ValidationContext& context, const Expression& value,
                         std::string_view place) {
  if (value.as<expr::PatternPredicate>() == nullptr) return;
  context.sink.add_error(DiagnosticCode::PatternExpressionAsValue,
                         format_message(DiagnosticCode::PatternExpressionAsValue, {place}));
}

void check_function_call(ValidationContext& context, const expr::FunctionCall& call) {
  const BuiltinFunction* function = find_builtin_function(call.name, context.dialect);
  if (context.dialect == Dialect::neo4j) {
    check_neo4j_arguments(context, call, function);
    if (function == nullptr && in_plugin_namespace(call.name)) return;
  }
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
