// The children of an expression, found once from the records' field lists, and the sorting of
// the expression kinds that every walker over expressions relies on.
//
// Each kind of expression is in exactly one of five groups (checked below, so a new kind does
// not compile until it is placed):
// - plain: its children are sub-expressions in the same scope; `for_each_child_expression`
//   reaches them in the order the text writes them;
// - binding: it binds variables for part of its children (comprehensions, quantifiers, reduce);
// - pattern: it holds a pattern (shortestPath, pattern comprehensions, pattern predicates);
// - subquery: it holds a subquery or an existence test (EXISTS, COUNT, COLLECT);
// - label test: it tests its subject against schema names (a label predicate).
// A walker reaches plain kinds through `for_each_child_expression` and handles each of the
// other kinds itself, with one overload per kind and no catch-all, so that a new kind of those
// groups does not compile in a walker that has not decided about it.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

#include "parser/ast.hpp"

namespace qarvex {

template <typename... Kinds>
struct KindList {
  template <typename Kind>
  static constexpr bool contains = (std::is_same_v<Kind, Kinds> || ...);
};

using PlainExpressionKinds = KindList<
    expr::Integer, expr::Float, expr::String, expr::Boolean, expr::Null, expr::List, expr::Map,
    expr::Variable, expr::PropertyLookup, expr::Subscript, expr::Slice, expr::Parameter,
    expr::Or, expr::Xor, expr::And, expr::Not, expr::Equal, expr::NotEqual, expr::LessThan,
    expr::LessThanOrEqual, expr::GreaterThan, expr::GreaterThanOrEqual, expr::RegexMatch,
    expr::IsNull, expr::IsNotNull, expr::In, expr::StartsWith, expr::EndsWith, expr::Contains,
    expr::Add, expr::Subtract, expr::Multiply, expr::Divide, expr::Modulo, expr::Power,
    expr::Negate, expr::FunctionCall, expr::CountStar, expr::Case, expr::MapProjection,
    expr::IsTyped, expr::IsNormalized>;
using BindingExpressionKinds =
    KindList<expr::ListComprehension, expr::QuantifierAll, expr::QuantifierAny,
             expr::QuantifierNone, expr::QuantifierSingle, expr::Reduce>;
using PatternExpressionKinds =
    KindList<expr::ShortestPath, expr::PatternComprehension, expr::PatternPredicate>;
using SubqueryExpressionKinds =
    KindList<expr::Exists, expr::CountSubquery, expr::CollectSubquery>;
using LabelTestExpressionKinds = KindList<expr::HasLabels>;

template <typename Kind>
concept PlainExpression = PlainExpressionKinds::contains<Kind>;

namespace expression_kinds_detail {

template <typename Kind>
constexpr int groups_holding() {
  return int{PlainExpressionKinds::contains<Kind>} + int{BindingExpressionKinds::contains<Kind>} +
         int{PatternExpressionKinds::contains<Kind>} +
         int{SubqueryExpressionKinds::contains<Kind>} +
         int{LabelTestExpressionKinds::contains<Kind>};
}

template <typename Variant>
struct EveryKindInOneGroup;
template <typename... Kinds>
struct EveryKindInOneGroup<std::variant<Kinds...>> {
  static constexpr bool value = ((groups_holding<Kinds>() == 1) && ...);
};

template <typename T>
void reach_children(const T& field, auto& visit) {
  if constexpr (std::is_same_v<T, Box<Expression>>) {
    if (field) visit(*field);
  } else if constexpr (std::is_same_v<T, std::vector<Box<Expression>>> ||
                       std::is_same_v<T, std::vector<PropertyEntry>> ||
                       std::is_same_v<T, std::vector<CaseAlternative>>) {
    for (const auto& element : field) reach_children(element, visit);
  } else if constexpr (std::is_same_v<T, PropertyMap> || std::is_same_v<T, PropertyEntry> ||
                       std::is_same_v<T, CaseAlternative>) {
    std::apply([&](const auto&... inner) { (reach_children(inner, visit), ...); }, field.fields());
  } else {
    // Anything else in a plain kind is a name, a flag or a literal value, never a child.
    static_assert(std::is_same_v<T, std::string> || std::is_same_v<T, std::vector<std::string>> ||
                      std::is_same_v<T, bool> ||
                      std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>,
                  "a plain expression kind holds only expressions, names, flags and values");
  }
}

}  // namespace expression_kinds_detail

static_assert(expression_kinds_detail::EveryKindInOneGroup<Expression::Node>::value,
              "every kind of expression belongs to exactly one group");

// Calls `visit(const Expression&)` for each child of a plain kind, in field order (which is
// the order of the text): operands left to right, list items, map values, a CASE's subject,
// its WHEN/THEN pairs and its ELSE, a map projection's entry values. Empty optional children are passed over.
template <PlainExpression Kind, typename Visit>
void for_each_child_expression(const Kind& node, Visit&& visit) {
  std::apply(
      [&](const auto&... field) { (expression_kinds_detail::reach_children(field, visit), ...); },
      node.fields());
}

}  // namespace qarvex
