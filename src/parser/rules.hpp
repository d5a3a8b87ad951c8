// The rules of the Cypher grammars. A rule's id is its place in these lists: the ids order the
// expected rules of a syntax error, so the lists are never reordered, and the names are what a
// syntax error prints. The core grammar has the rules of the first list; the Neo4j grammar has
// those and the rules of the second, so the builder reads the trees of both with one enum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qarvex {

#define QARVEX_GRAMMAR_RULES(X)                                                               \
  X(EOI) X(WHITESPACE) X(COMMENT) X(cypher) X(statement) X(regular_query) X(union_clause)      \
  X(single_query) X(single_part_query) X(multi_part_query) X(reading_clause) X(call_subquery)  \
  X(match_clause) X(unwind_clause) X(in_query_call) X(standalone_call)                         \
  X(explicit_procedure_invocation) X(procedure_name) X(yield_items) X(yield_item)              \
  X(procedure_result_field) X(updating_clause) X(foreach_clause) X(create_clause)              \
  X(merge_clause) X(on_match_or_create) X(set_clause) X(set_item) X(remove_clause)             \
  X(remove_item) X(delete_clause) X(with_clause) X(return_clause) X(return_body)               \
  X(return_items) X(return_item) X(order_clause) X(sort_item) X(skip_clause) X(limit_clause)   \
  X(where_clause) X(pattern) X(pattern_part) X(pattern_element) X(node_pattern)                \
  X(node_labels) X(label_name) X(relationship_pattern) X(left_arrow) X(right_arrow)            \
  X(rel_types) X(rel_type_name) X(range_literal) X(properties) X(expression) X(or_kw)          \
  X(xor_kw) X(and_kw) X(not_kw) X(or_expr) X(xor_expr) X(and_expr) X(not_expr)                \
  X(comparison_expr) X(comparison_op) X(add_sub_expr) X(mul_div_expr) X(mod_expr)             \
  X(power_expr) X(unary_expr) X(postfix_expr) X(null_check_op) X(postfix_op)                   \
  X(property_lookup) X(subscript_op) X(list_slice_op) X(atom) X(parenthesized_expr)            \
  X(count_star) X(function_invocation) X(function_name) X(namespace_) X(reduce_expression)    \
  X(shortest_path_call) X(case_expression) X(list_comprehension) X(filter_expression)          \
  X(id_in_coll) X(quantifier_expression) X(exists_subquery) X(pattern_comprehension)           \
  X(count_subquery) X(collect_subquery) X(literal) X(integer_literal) X(float_literal)         \
  X(string_literal) X(boolean_literal) X(null_literal) X(list_literal) X(map_literal)          \
  X(property_key_value_pair) X(property_key_name) X(property_expression) X(parameter)          \
  X(variable) X(identifier) X(backtick_identifier) X(keyword)

// The rules only the Neo4j grammar has, after the core ones.
#define QARVEX_NEO4J_RULES(X) X(subquery_pattern) X(pattern_predicate) X(label_predicate)

// The Neo4j rules of patterns: label and type expressions, dynamic names, quantifiers, selectors.
#define QARVEX_NEO4J_PATTERN_RULES(X)                                                         \
  X(label_expression) X(label_or) X(label_and) X(label_not) X(label_atom) X(type_expression)  \
  X(type_or) X(type_and) X(type_not) X(type_atom) X(dynamic_name) X(quantifier)               \
  X(quantified_path) X(path_selector)

// The Neo4j rules of clauses and expressions: CALL's scope and transactions, LOAD CSV, USE, map
// projections, type and normal form predicates.
#define QARVEX_NEO4J_CLAUSE_RULES(X)                                                           \
  X(call_scope) X(in_transactions) X(load_csv_clause) X(use_clause) X(map_projection)          \
  X(map_projection_item) X(type_predicate) X(cypher_type) X(normalized_predicate)

// `namespace` is a C++ keyword, so that one enumerator carries a trailing underscore; its
// printed name is "namespace" all the same.
enum class Rule : std::uint8_t {
#define QARVEX_RULE_ENUMERATOR(name) name,
  QARVEX_GRAMMAR_RULES(QARVEX_RULE_ENUMERATOR) QARVEX_NEO4J_RULES(QARVEX_RULE_ENUMERATOR)
  QARVEX_NEO4J_PATTERN_RULES(QARVEX_RULE_ENUMERATOR)
  QARVEX_NEO4J_CLAUSE_RULES(QARVEX_RULE_ENUMERATOR)
#undef QARVEX_RULE_ENUMERATOR
};

#define QARVEX_RULE_COUNT(name) +1
inline constexpr std::size_t kRuleCount = 0 QARVEX_GRAMMAR_RULES(QARVEX_RULE_COUNT);
static_assert(kRuleCount == 109);
// The rules of the Neo4j grammar: the core ones and its own. An engine rule id is one byte.
inline constexpr std::size_t kNeo4jRuleCount =
    kRuleCount QARVEX_NEO4J_RULES(QARVEX_RULE_COUNT) QARVEX_NEO4J_PATTERN_RULES(QARVEX_RULE_COUNT)
        QARVEX_NEO4J_CLAUSE_RULES(QARVEX_RULE_COUNT);
static_assert(kNeo4jRuleCount <= 256);
#undef QARVEX_RULE_COUNT

// The name printed in syntax errors, e.g. "match_clause", "EOI" (of any grammar's rule).
std::string_view rule_name(Rule rule);

// The rule of that exact name, if there is one.
std::optional<Rule> rule_by_name(std::string_view name);

}  // namespace qarvex
