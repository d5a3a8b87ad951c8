// Neo4j's rule for the ORDER BY of an aggregating or DISTINCT projection: it sees only what the
// projection holds, so a variable the projection did not carry is an error there.
#include <set>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

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

}  // namespace

void check_order_by_projection(ValidationContext& context, const std::vector<ReturnItem>& items,
                               bool distinct, const std::vector<SortItem>& order_by,
                               std::string_view clause) {
  if (context.dialect != Dialect::neo4j || items.empty()) return;
  bool aggregating = false;
  for (const ReturnItem& item : items) aggregating = aggregating || contains_aggregate(item.expression);
  if (!aggregating && !distinct) return;
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
