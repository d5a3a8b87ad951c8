// Neo4j's rules for the ORDER BY of an aggregating or DISTINCT projection: it sees only what the
// projection holds, so a variable the projection did not carry is an error there, and so is an
// aggregate of an aggregating projection that is not one of its items.
#include <algorithm>
#include <set>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/ascii.hpp"
#include "parser/expression_children.hpp"
#include "validator/semantic/checks.hpp"
#include "validator/semantic/functions.hpp"

namespace qarvex {
namespace {

struct VariableSearch {
  std::set<std::string> names;
  bool complete = true;  // false once a construct with its own scope was met
};

bool is_aggregate(const Expression& expression, Dialect dialect) {
  if (expression.as<expr::CountStar>() != nullptr) return true;
  const auto* call = expression.as<expr::FunctionCall>();
  if (call == nullptr) return false;
  const BuiltinFunction* function = find_builtin_function(call->name, dialect);
  return function != nullptr && function->aggregate;
}

// The variables `expression` uses outside aggregate calls. Constructs that bind their own
// variables, hold patterns or subqueries are not looked into; they leave the search incomplete.
void collect_variables(const Expression& expression, Dialect dialect, VariableSearch& search) {
  std::vector<const Expression*> pending{&expression};
  while (!pending.empty()) {
    const Expression* next = pending.back();
    pending.pop_back();
    if (is_aggregate(*next, dialect)) continue;
    if (const auto* variable = next->as<expr::Variable>()) search.names.insert(variable->name);
    std::visit(
        [&](const auto& node) {
          if constexpr (PlainExpression<std::remove_cvref_t<decltype(node)>>) {
            for_each_child_expression(node, [&](const Expression& child) { pending.push_back(&child); });
          } else {
            search.complete = false;
          }
        },
        next->node);
  }
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

// Neo4j compares aggregates as written, up to the letter case of the function's name.
bool same_aggregate(const Expression& a, const Expression& b) {
  if (a.as<expr::CountStar>() != nullptr) return b.as<expr::CountStar>() != nullptr;
  const auto* left = a.as<expr::FunctionCall>();
  const auto* right = b.as<expr::FunctionCall>();
  return left != nullptr && right != nullptr && equal_ignoring_case(left->name, right->name) &&
         left->distinct == right->distinct && left->arguments.size() == right->arguments.size() &&
         std::equal(left->arguments.begin(), left->arguments.end(), right->arguments.begin(),
                    [](const Box<Expression>& x, const Box<Expression>& y) { return *x == *y; });
}

// The aggregates `expression` computes: calls and operators are searched, and list
// comprehensions too (Neo4j looks into them); patterns and subqueries are not.
void collect_aggregates(const Expression& expression, Dialect dialect,
                        std::vector<const Expression*>& found) {
  std::vector<const Expression*> pending{&expression};
  auto push = [&](const Box<Expression>& child) {
    if (child) pending.push_back(child.get());
  };
  while (!pending.empty()) {
    const Expression* next = pending.back();
    pending.pop_back();
    if (is_aggregate(*next, dialect)) {
      found.push_back(next);
      continue;
    }
    std::visit(
        [&](const auto& node) {
          using Kind = std::remove_cvref_t<decltype(node)>;
          if constexpr (PlainExpression<Kind>) {
            for_each_child_expression(node, [&](const Expression& child) { pending.push_back(&child); });
          } else if constexpr (std::is_same_v<Kind, expr::ListComprehension>) {
            push(node.list);
            push(node.where_clause);
            push(node.projection);
          }
        },
        next->node);
  }
}

void check_order_by_aggregates(ValidationContext& context, const std::vector<ReturnItem>& items,
                               const std::vector<SortItem>& order_by, std::string_view clause) {
  for (const SortItem& sort : order_by) {
    std::vector<const Expression*> aggregates;
    collect_aggregates(sort.expression, context.dialect, aggregates);
    for (const Expression* aggregate : aggregates) {
      bool projected = std::any_of(items.begin(), items.end(), [&](const ReturnItem& item) {
        return same_aggregate(item.expression, *aggregate);
      });
      if (projected) continue;
      const auto* call = aggregate->as<expr::FunctionCall>();
      std::string name = call != nullptr ? call->name : "count";
      context.sink.add_error(
          DiagnosticCode::UnprojectedOrderByAggregate,
          format_message(DiagnosticCode::UnprojectedOrderByAggregate, {name, clause}));
    }
  }
}

}  // namespace

void check_order_by_projection(ValidationContext& context, const std::vector<ReturnItem>& items,
                               bool distinct, const std::vector<SortItem>& order_by,
                               std::string_view clause) {
  if (context.dialect != Dialect::neo4j || items.empty()) return;
  bool aggregating = false;
  for (const ReturnItem& item : items) aggregating = aggregating || contains_aggregate(item.expression);
  if (!aggregating && !distinct) return;
  if (aggregating) check_order_by_aggregates(context, items, order_by, clause);
  // What the projection carries: its names, and every variable its items use outside their
  // aggregates. Where an item hides variables in a construct of its own, nothing is certain.
  VariableSearch carried;
  for (const ReturnItem& item : items) {
    if (item.alias) carried.names.insert(*item.alias);
    collect_variables(item.expression, context.dialect, carried);
  }
  if (!carried.complete) return;
  std::set<std::string> reported;
  for (const SortItem& sort : order_by) {
    VariableSearch used;
    collect_variables(sort.expression, context.dialect, used);
    for (const std::string& name : used.names) {
      if (carried.names.contains(name) || !reported.insert(name).second) continue;
      context.sink.add_error(DiagnosticCode::VariableNotProjected,
                             format_message(DiagnosticCode::VariableNotProjected, {name, clause}));
    }
  }
}

}  // namespace qarvex
