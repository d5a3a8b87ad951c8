// The checks the validation walk calls at fixed points. Each reports only through the
// context's sink; none binds variables or walks expressions.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "parser/ast.hpp"
#include "parser/clauses.hpp"
#include "validator/context.hpp"

namespace qarvex {

// Schema conformance.
void check_node_pattern(ValidationContext& context, const NodePattern& node);
void check_relationship_pattern(ValidationContext& context, const RelationshipPattern& relationship,
                                const std::vector<std::string>& left_labels,
                                const std::vector<std::string>& right_labels);
void check_property_on_variable(ValidationContext& context, std::string_view variable,
                                std::span<const std::string> keys);
void check_set_labels(ValidationContext& context, const std::vector<std::string>& labels);
void check_remove_labels(ValidationContext& context, const std::vector<std::string>& labels);
void check_predicate_labels(ValidationContext& context, const std::vector<std::string>& labels);

// Expressions and clauses.
// Whether an aggregate is computed by the expression itself: calls and operators are searched,
// constructs with their own variables, patterns or subqueries are not.
bool contains_aggregate(const Expression& expression);
void check_function_call(ValidationContext& context, const expr::FunctionCall& call);
// Reports each variable of a pattern predicate's element that the scope does not hold.
void check_pattern_predicate_variables(ValidationContext& context, const PatternElement& element);
// Reports a pattern predicate that `value` is, used as a value in `place` (e.g. "size()").
void check_pattern_value(ValidationContext& context, const Expression& value,
                         std::string_view place);
// Neo4j: an ORDER BY after an aggregating or DISTINCT projection uses only what it projects.
void check_order_by_projection(ValidationContext& context, const std::vector<ReturnItem>& items,
                               bool distinct, const std::vector<SortItem>& order_by,
                               std::string_view clause);
void check_aggregate_context(ValidationContext& context, const Expression& expression,
                             std::string_view clause);
// Reports a SKIP or LIMIT literal of the wrong type and returns true; returns false when the
// expression is to be walked instead.
bool check_pagination_literal(ValidationContext& context, const Expression& expression,
                              std::string_view word);

// Guardrails, at the start of each clause: read-only mode and the procedure allow-list.
void check_clause_guardrails(ValidationContext& context, const ClauseFact& clause);
// The same for every clause inside an expression that the walk does not enter.
void check_guardrails_within(ValidationContext& context, const Expression& expression);

// Performance warnings, at the end of each MATCH.
void check_cartesian_product(ValidationContext& context, const Pattern& pattern);
void check_match_scans(ValidationContext& context, const MatchClause& match);

}  // namespace qarvex
