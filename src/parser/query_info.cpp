// The schema-free name walk. Expressions are walked with an explicit stack (operator chains
// can be very long); patterns and subqueries recurse, following the nesting of the text.
#include "parser/query_info.hpp"

#include <algorithm>
#include <type_traits>

#include "parser/clause_list.hpp"
#include "parser/expression_children.hpp"
#include "schema/schema.hpp"

namespace qarvex {
namespace {

using Pending = std::vector<const Expression*>;

class NameWalk {
 public:
  NameWalk(NameSet& labels, NameSet& types, NameSet& properties)
      : labels_(labels), types_(types), properties_(properties) {}

  void regular_query(const RegularQuery& query) {
    single_query(query.first);
    for (const UnionPart& part : query.unions) single_query(part.query);
  }

  void expression(const Expression& root) {
    std::vector<const Expression*> pending{&root};
    while (!pending.empty()) {
      const Expression* next = pending.back();
      pending.pop_back();
      std::visit([&](const auto& node) { expression_node(node, pending); }, next->node);
    }
  }

 private:
  void single_query(const SingleQuery& query) {
    if (const auto* single = std::get_if<SinglePartQuery>(&query.node)) {
      clauses(single->reading_clauses, single->updating_clauses, single->return_clause);
      return;
    }
    const auto& multi = std::get<MultiPartQuery>(query.node);
    for (const QueryPart& part : multi.parts) {
      for (const ReadingClause& clause : part.reading_clauses) reading_clause(clause);
      for (const UpdatingClause& clause : part.updating_clauses) updating_clause(clause);
    }
    clauses(multi.reading_clauses, multi.updating_clauses, multi.return_clause);
  }

  void clauses(const std::vector<ReadingClause>& reading,
               const std::vector<UpdatingClause>& updating,
               const std::optional<ReturnClause>& projection) {
    for (const ReadingClause& clause : reading) reading_clause(clause);
    for (const UpdatingClause& clause : updating) updating_clause(clause);
    if (projection) {
      for (const ReturnItem& item : projection->items) expression(item.expression);
    }
  }

  void reading_clause(const ReadingClause& clause) {
    if (const auto* match = std::get_if<MatchClause>(&clause.node)) {
      pattern(match->pattern);
      if (match->where_clause) expression(*match->where_clause);
    } else if (const auto* subquery = std::get_if<CallSubquery>(&clause.node)) {
      regular_query(*subquery->query);
    } else if (const auto* call = std::get_if<ProcedureCall>(&clause.node)) {
      if (call->where_clause) expression(*call->where_clause);
    } else if (const auto* load = std::get_if<LoadCsvClause>(&clause.node)) {
      expression(load->source);
    }
  }

  void updating_clause(const UpdatingClause& clause) {
    if (const auto* create = std::get_if<CreateClause>(&clause.node)) {
      pattern(create->pattern);
    } else if (const auto* merge = std::get_if<MergeClause>(&clause.node)) {
      pattern_element(merge->part.element);
    }
  }

  void pattern(const Pattern& pattern) {
    for (const PatternPart& part : pattern.parts) pattern_element(part.element);
  }

  void pattern_element(const PatternElement& element) {
    node_pattern(element.start);
    for (const PatternStep& step : element.chain) {
      if (step.group) {
        pattern_element(*step.group->element);
        if (step.group->where_clause) expression(*step.group->where_clause);
      }
      const RelationshipPattern& relationship = step.relationship;
      types_.insert(relationship.types.begin(), relationship.types.end());
      types_.insert(relationship.other_types.begin(), relationship.other_types.end());
      pattern_expressions(relationship.dynamic_types, relationship.where_clause);
      node_pattern(step.node);
    }
  }

  void pattern_expressions(const std::vector<Box<Expression>>& dynamic, const Box<Expression>& where) {
    for (const Box<Expression>& name : dynamic) expression(*name);
    if (where) expression(*where);
  }

  void node_pattern(const NodePattern& node) {
    labels_.insert(node.labels.begin(), node.labels.end());
    labels_.insert(node.other_labels.begin(), node.other_labels.end());
    pattern_expressions(node.dynamic_labels, node.where_clause);
    if (!node.properties) return;
    const auto* map = std::get_if<Properties::Map>(&node.properties->node);
    if (map == nullptr) return;
    // Keys found inside a property value count; labels and types found there do not.
    NameSet discarded_labels;
    NameSet discarded_types;
    NameWalk values(discarded_labels, discarded_types, properties_);
    for (const PropertyEntry& entry : map->map.entries) {
      properties_.insert(entry.key);
      values.expression(*entry.value);
    }
  }

  // Plain kinds: their children, and the key of a property lookup.
  template <PlainExpression Kind>
  void expression_node(const Kind& node, std::vector<const Expression*>& pending) {
    if constexpr (std::is_same_v<Kind, expr::PropertyLookup>) properties_.insert(node.key);
    if constexpr (std::is_same_v<Kind, expr::MapProjection>) {
      properties_.insert(node.keys.begin(), node.keys.end());
    }
    for_each_child_expression(node, [&](const Expression& child) { pending.push_back(&child); });
  }

  // A quantifier's list is walked, its predicate is not.
  void expression_node(const expr::QuantifierAll& node, Pending& pending) { push(node.list, pending); }
  void expression_node(const expr::QuantifierAny& node, Pending& pending) { push(node.list, pending); }
  void expression_node(const expr::QuantifierNone& node, Pending& pending) { push(node.list, pending); }
  void expression_node(const expr::QuantifierSingle& node, Pending& pending) {
    push(node.list, pending);
  }

  void expression_node(const expr::ListComprehension& node, Pending& pending) {
    push(node.list, pending);
    push(node.where_clause, pending);
    push(node.projection, pending);
  }

  void expression_node(const expr::Reduce& node, Pending& pending) {
    push(node.init, pending);
    push(node.list, pending);
    push(node.expression, pending);
  }

  void expression_node(const expr::ShortestPath& node, Pending&) {
    if (node.pattern) pattern_element(*node.pattern);
  }

  void expression_node(const expr::PatternPredicate& node, Pending&) {
    if (node.pattern) pattern_element(*node.pattern);
  }

  void expression_node(const expr::PatternComprehension& node, Pending& pending) {
    if (node.pattern) pattern_element(*node.pattern);
    push(node.where_clause, pending);
    push(node.projection, pending);
  }

  void expression_node(const expr::Exists& node, Pending&) {
    if (const auto* body = std::get_if<ExistsBody::ExistsPattern>(&node.body.node)) {
      pattern(body->pattern);
    } else if (const auto& query = std::get<ExistsBody::ExistsQuery>(node.body.node).query) {
      regular_query(*query);
    }
  }

  void expression_node(const expr::CountSubquery& node, Pending&) { subquery(node.query); }
  void expression_node(const expr::CollectSubquery& node, Pending&) { subquery(node.query); }

  void expression_node(const expr::HasLabels& node, Pending& pending) {
    for (const std::string& label : node.labels) labels_.insert(label);
    push(node.subject, pending);
  }

  void subquery(const Box<RegularQuery>& query) {
    if (query) regular_query(*query);
  }

  static void push(const Box<Expression>& child, Pending& pending) {
    if (child) pending.push_back(child.get());
  }

  NameSet& labels_;
  NameSet& types_;
  NameSet& properties_;
};

}  // namespace

QueryNames collect_query_info(const Query& query) {
  NameSet labels;
  NameSet types;
  NameSet properties;
  if (const auto* regular = std::get_if<RegularQuery>(&query.node)) {
    NameWalk(labels, types, properties).regular_query(*regular);
  }
  NameSet procedures;
  bool updates = false;
  for (const ClauseFact& clause : clauses_of(query)) {
    updates = updates || clause_info(clause.kind).updates;
    if (clause.call != nullptr) procedures.insert(procedure_name(*clause.call));
  }
  return {sorted_names(labels), sorted_names(types), sorted_names(properties),
          sorted_names(procedures), updates};
}

}  // namespace qarvex
