// The builder's guards against parse trees the grammar never produces: hand-made trees, each
// with the one message that the first failing step reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/builder/build.hpp"
#include "parser/builder/steps.hpp"

namespace qarvex {
namespace {

using R = Rule;

// A parse-tree node written by hand. Without an explicit span it covers the whole text.
struct Hand {
  Rule rule;
  std::vector<Hand> children = {};
  std::uint32_t start = 0;
  std::uint32_t end = 0;
};

void flatten(const Hand& hand, std::uint32_t text_size, std::vector<NodeRecord>& out) {
  std::size_t at = out.size();
  std::uint32_t end = hand.end == 0 ? text_size : hand.end;
  out.push_back({hand.rule, hand.start, end, 0});
  for (const Hand& child : hand.children) flatten(child, text_size, out);
  out[at].subtree_end = static_cast<std::uint32_t>(out.size());
}

struct Tree {
  std::string text;
  ParseTree tree;
  Tree(std::string source, const Hand& root)
      : text(std::move(source)), tree(text, records(text, root)) {}
  static std::vector<NodeRecord> records(const std::string& text, const Hand& root) {
    std::vector<NodeRecord> out;
    flatten(root, static_cast<std::uint32_t>(text.size()), out);
    return out;
  }
  ParseNode root() const { return *tree.first_root(); }
};

struct FailureCase {
  const char* message;
  Hand tree;
  std::string text = "x";
};

std::string query_failure(const FailureCase& c) {
  Tree tree(c.text, c.tree);
  StatementResult result = build_query(tree.root());
  const auto* error = std::get_if<ModuleError>(&result);
  return error ? error->message : "<built>";
}

std::string expression_failure(const FailureCase& c) {
  Tree tree(c.text, c.tree);
  build::Steps steps;
  steps.expression(tree.root());
  return steps.failure().value_or("<built>");
}

const Hand kVariable{R::atom, {{R::variable}}};

// cypher > statement > regular_query > single_query > (part rule) > children
Hand in_query(std::vector<Hand> children, Rule part = R::single_part_query) {
  return {R::cypher,
          {{R::statement,
            {{R::regular_query, {{R::single_query, {{part, std::move(children)}}}}}}}}};
}
Hand reading(Hand clause) { return in_query({{R::reading_clause, {std::move(clause)}}}); }
Hand updating(Hand clause) { return in_query({{R::updating_clause, {std::move(clause)}}}); }
Hand returning(std::vector<Hand> body) {
  return in_query({{R::return_clause, {{R::return_body, std::move(body)}}}});
}
Hand comprehension_of(Hand element) {
  return {R::atom, {{R::pattern_comprehension, {std::move(element), {R::expression, {kVariable}}}}}};
}

TEST(BuildFailure, StatementsAndClauses) {
  const FailureCase cases[] = {
      {"Empty query", {R::cypher}},
      {"Expected statement, got EOI", {R::cypher, {{R::EOI}}}},
      {"Empty statement", {R::cypher, {{R::statement}}}},
      {"Unknown statement type: EOI", {R::cypher, {{R::statement, {{R::EOI}}}}}},
      {"Missing single_query", {R::cypher, {{R::statement, {{R::regular_query}}}}}},
      {"Missing union single_query",
       {R::cypher,
        {{R::statement,
          {{R::regular_query,
            {{R::single_query, {{R::single_part_query}}}, {R::union_clause}}}}}}}},
      {"Empty single_query",
       {R::cypher, {{R::statement, {{R::regular_query, {{R::single_query}}}}}}}},
      {"Unknown single_query: EOI",
       {R::cypher, {{R::statement, {{R::regular_query, {{R::single_query, {{R::EOI}}}}}}}}}},
      {"Empty reading_clause", in_query({{R::reading_clause}})},
      {"Unknown reading clause: EOI", reading({R::EOI})},
      {"MATCH missing pattern", reading({R::match_clause})},
      {"Empty WHERE", reading({R::match_clause, {{R::pattern}, {R::where_clause}}})},
      {"UNWIND missing expr", reading({R::unwind_clause})},
      {"UNWIND missing variable", reading({R::unwind_clause, {kVariable}})},
      {"Empty CALL subquery", reading({R::call_subquery})},
      {"Pattern part missing element",
       reading({R::match_clause, {{R::pattern, {{R::pattern_part}}}}})},
      {"Empty updating_clause", in_query({{R::updating_clause}})},
      {"Unknown updating clause: EOI", updating({R::EOI})},
      {"CREATE missing pattern", updating({R::create_clause})},
      {"FOREACH missing variable", updating({R::foreach_clause})},
      {"FOREACH missing list expression", updating({R::foreach_clause, {{R::variable}}})},
      {"FOREACH body is empty", updating({R::foreach_clause, {{R::variable}, kVariable}})},
      {"MERGE missing pattern_part", updating({R::merge_clause})},
      {"Invalid SET item", updating({R::set_clause, {{R::set_item, {{R::variable}}}}})},
      {"Unknown SET item", updating({R::set_clause, {{R::set_item, {{R::EOI}, {R::EOI}}}}})},
      {"Empty remove_item", updating({R::remove_clause, {{R::remove_item}}})},
      {"Unknown REMOVE item", updating({R::remove_clause, {{R::remove_item, {{R::EOI}}}}})},
      {"Property lookup missing key",
       updating({R::remove_clause,
                 {{R::remove_item,
                   {{R::property_expression, {{R::variable}, {R::property_lookup}}}}}}})},
      {"Return item missing expr", returning({{R::return_items, {{R::return_item}}}})},
      {"Sort item missing expr", returning({{R::order_clause, {{R::sort_item}}}})},
      {"SKIP missing expr", returning({{R::skip_clause}})},
      {"LIMIT missing expr", returning({{R::limit_clause}})},
      {"WHERE missing expr",
       in_query({{R::with_clause, {{R::where_clause}}}}, R::multi_part_query)},
      // The first failure in source order is the one reported.
      {"Empty reading_clause", in_query({{R::reading_clause}, {R::updating_clause}})},
  };
  for (const FailureCase& c : cases) EXPECT_EQ(query_failure(c), c.message);
}

TEST(BuildFailure, Expressions) {
  const FailureCase cases[] = {
      {"Empty expression", {R::expression}},
      {"Empty or_expr", {R::or_expr, {{R::or_kw}}}},
      {"Empty xor_expr", {R::xor_expr}},
      {"Empty and_expr", {R::and_expr}},
      {"NOT missing comparison_expr", {R::not_expr, {{R::not_kw}}}},
      {"Empty comparison_expr", {R::comparison_expr}},
      {"Unknown comparison op: ??",
       {R::comparison_expr,
        {{R::atom, {{R::variable, {}, 0, 1}}, 0, 1},
         {R::comparison_op, {}, 2, 4},
         {R::atom, {{R::variable, {}, 5, 6}}, 5, 6}}},
       "a ?? b"},
      {"Empty add_sub_expr", {R::add_sub_expr}},
      {"Empty mul_div_expr", {R::mul_div_expr}},
      {"Empty mod_expr", {R::mod_expr}},
      {"Empty power_expr", {R::power_expr}},
      {"Unary missing postfix", {R::unary_expr}},
      {"Postfix missing atom", {R::postfix_expr}},
      {"Empty postfix_op", {R::postfix_expr, {kVariable, {R::postfix_op}}}},
      {"Property lookup missing key",
       {R::postfix_expr, {kVariable, {R::postfix_op, {{R::property_lookup}}}}}},
      {"Subscript missing index",
       {R::postfix_expr, {kVariable, {R::postfix_op, {{R::subscript_op}}}}}},
      {"Empty atom", {R::atom}},
      {"Unknown atom: where_clause", {R::atom, {{R::where_clause}}}},
      {"Unexpected rule in expression: where_clause", {R::where_clause}},
      {"Empty paren expr", {R::atom, {{R::parenthesized_expr}}}},
      {"Function missing name", {R::atom, {{R::function_invocation}}}},
      {"REDUCE missing accumulator", {R::atom, {{R::reduce_expression}}}},
      {"REDUCE missing init expression", {R::atom, {{R::reduce_expression, {{R::variable}}}}}},
      {"REDUCE missing loop variable",
       {R::atom, {{R::reduce_expression, {{R::variable}, kVariable}}}}},
      {"REDUCE missing source expression",
       {R::atom, {{R::reduce_expression, {{R::variable}, kVariable, {R::variable}}}}}},
      {"REDUCE missing projection expression",
       {R::atom, {{R::reduce_expression, {{R::variable}, kVariable, {R::variable}, kVariable}}}}},
      {"shortestPath missing start node", {R::atom, {{R::shortest_path_call}}}},
      {"Empty EXISTS", {R::atom, {{R::exists_subquery}}}},
      {"Unknown EXISTS subquery type", {R::atom, {{R::exists_subquery, {{R::variable}}}}}},
      {"Pattern comprehension missing pattern", {R::atom, {{R::pattern_comprehension}}}},
      {"Pattern comprehension missing projection",
       {R::atom, {{R::pattern_comprehension, {{R::pattern_element, {{R::node_pattern}}}}}}}},
      {"Pattern element missing node", comprehension_of({R::pattern_element})},
      {"shortestPath missing node",
       comprehension_of({R::pattern_element, {{R::shortest_path_call}}})},
      {"Empty properties",
       comprehension_of({R::pattern_element, {{R::node_pattern, {{R::properties}}}}})},
      {"Unknown properties type",
       comprehension_of({R::pattern_element, {{R::node_pattern, {{R::properties, {{R::EOI}}}}}}})},
      {"Empty COUNT subquery", {R::atom, {{R::count_subquery}}}},
      {"Empty COLLECT subquery", {R::atom, {{R::collect_subquery}}}},
      {"Empty literal", {R::atom, {{R::literal}}}},
      {"Unknown literal: variable", {R::atom, {{R::literal, {{R::variable}}}}}},
      {"Map missing key",
       {R::literal, {{R::map_literal, {{R::property_key_value_pair}}}}}},
      {"Map missing value",
       {R::literal, {{R::map_literal, {{R::property_key_value_pair, {{R::property_key_name}}}}}}}},
  };
  for (const FailureCase& c : cases) EXPECT_EQ(expression_failure(c), c.message);
}

}  // namespace
}  // namespace qarvex
