#include "validator/walk.hpp"

#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "base/overloaded.hpp"
#include "parser/expression_children.hpp"
#include "validator/semantic/checks.hpp"

namespace qarvex {
namespace {

// ---- patterns --------------------------------------------------------------------------------

void bind_element(VariableScope& scope, const PatternElement& element);

// Outside its quantifier, every variable of a quantified path pattern is a list: it carries no
// labels or types.
void bind_group(VariableScope& scope, const QuantifiedPath& group) {
  const PatternElement& element = *group.element;
  if (element.start.variable) scope.bind_plain(*element.start.variable);
  for (const PatternStep& step : element.chain) {
    if (step.relationship.variable) scope.bind_plain(*step.relationship.variable);
    if (step.node.variable) scope.bind_plain(*step.node.variable);
  }
}

void bind_element(VariableScope& scope, const PatternElement& element) {
  if (element.start.variable) scope.bind_pattern_variable(*element.start.variable, element.start.labels);
  for (const PatternStep& step : element.chain) {
    if (step.group) bind_group(scope, *step.group);
    if (const std::optional<std::string>& variable = step.relationship.variable) {
      // A quantified relationship's variable is a list of relationships, like a group's.
      if (step.relationship.quantifier) {
        scope.bind_plain(*variable);
      } else {
        scope.bind_pattern_variable(*variable, step.relationship.types);
      }
    }
    if (step.node.variable) scope.bind_pattern_variable(*step.node.variable, step.node.labels);
  }
}

void bind_part(VariableScope& scope, const PatternPart& part) {
  if (part.variable) scope.bind_plain(*part.variable);
  bind_element(scope, part.element);
}

void bind_pattern(VariableScope& scope, const Pattern& pattern) {
  for (const PatternPart& part : pattern.parts) bind_part(scope, part);
}

// The walk checks a pattern's property keys, not its values; only the guardrails look inside.
void check_property_values(ValidationContext& context, const std::optional<Properties>& properties) {
  if (!context.guardrails.any() || !properties) return;
  if (const auto* map = std::get_if<Properties::Map>(&properties->node)) {
    for (const PropertyEntry& entry : map->map.entries) check_guardrails_within(context, *entry.value);
  }
}

// The expressions a node or relationship pattern holds besides its property map: its dynamic
// labels or types, then its own WHERE.
void walk_pattern_expressions(ValidationContext& context,
                              const std::vector<Box<Expression>>& dynamic,
                              const Box<Expression>& where_clause) {
  for (const Box<Expression>& name : dynamic) walk_expression(context, *name);
  if (where_clause) {
    check_aggregate_context(context, *where_clause, "MATCH WHERE");
    walk_expression(context, *where_clause);
  }
}

void check_node(ValidationContext& context, const NodePattern& node) {
  check_node_pattern(context, node);
  check_property_values(context, node.properties);
  walk_pattern_expressions(context, node.dynamic_labels, node.where_clause);
}

void check_group(ValidationContext& context, const QuantifiedPath& group);

void check_element(ValidationContext& context, const PatternElement& element) {
  check_node(context, element.start);
  const NodePattern* before = &element.start;
  for (const PatternStep& step : element.chain) {
    if (step.group) {
      check_group(context, *step.group);
    } else {
      check_relationship_pattern(context, step.relationship, before->labels, step.node.labels);
      check_property_values(context, step.relationship.properties);
      walk_pattern_expressions(context, step.relationship.dynamic_types,
                               step.relationship.where_clause);
    }
    check_node(context, step.node);
    before = &step.node;
  }
}

// Inside its quantifier a group's variables are single nodes and relationships again, with
// the labels and types their patterns give them.
void check_group(ValidationContext& context, const QuantifiedPath& group) {
  VariableScope outside = context.scope;
  bind_element(context.scope, *group.element);
  check_element(context, *group.element);
  if (group.where_clause) {
    check_aggregate_context(context, *group.where_clause, "MATCH WHERE");
    walk_expression(context, *group.where_clause);
  }
  context.scope = std::move(outside);
}

void check_pattern(ValidationContext& context, const Pattern& pattern) {
  for (const PatternPart& part : pattern.parts) check_element(context, part.element);
}

// ---- expressions -----------------------------------------------------------------------------

// Expressions are walked with an explicit work list instead of recursion, because operator
// chains nest without limit (`1 + 1 + ... + 1`). Work is taken from the back, so a step that
// must happen before another is pushed after it (see `then`).
class ExpressionWalk {
 public:
  explicit ExpressionWalk(ValidationContext& context) : context_(context) {}

  void run(const Expression& root) {
    work_.push_back(Visit{&root});
    while (!work_.empty()) {
      Work next = work_.back();
      work_.pop_back();
      std::visit([this](const auto& step) { perform(step); }, next);
    }
  }

 private:
  struct Visit {
    const Expression* expression;
  };
  struct BindTemporary {
    const std::string* name;
  };
  struct EndTemporary {
    const std::string* name;
  };
  struct RestoreScope {};
  using Work = std::variant<Visit, BindTemporary, EndTemporary, RestoreScope>;

  // Schedules visits of `expressions` (nulls skipped) in the order given, before anything
  // scheduled earlier.
  void then_visit(std::vector<const Expression*> expressions) {
    for (auto it = expressions.rbegin(); it != expressions.rend(); ++it) {
      if (*it != nullptr) work_.push_back(Visit{*it});
    }
  }

  void perform(const BindTemporary& step) { inserted_.push_back(scope().bind_temporary(*step.name)); }
  void perform(const EndTemporary& step) {
    if (inserted_.back()) scope().unbind(*step.name);
    inserted_.pop_back();
  }
  void perform(const RestoreScope&) {
    scope() = std::move(saved_.back());
    saved_.pop_back();
  }
  void perform(const Visit& step) {
    std::visit([this](const auto& node) { visit(node); }, step.expression->node);
  }

  VariableScope& scope() { return context_.scope; }
  void save_scope() { saved_.push_back(scope()); }

  // A plain kind: its own check, then its children in the order of the text.
  template <PlainExpression Kind>
  void visit(const Kind& node) {
    check(node);
    std::vector<const Expression*> children;
    for_each_child_expression(node, [&](const Expression& child) { children.push_back(&child); });
    then_visit(std::move(children));
  }

  template <PlainExpression Kind>
  void check(const Kind&) {}

  void check(const expr::Variable& variable) {
    if (!scope().contains(variable.name)) {
      context_.sink.add_error(DiagnosticCode::UnboundVariable,
                              format_message(DiagnosticCode::UnboundVariable, {variable.name}));
      if (context_.sink.records_details()) {
        context_.sink.detail(DiagnosticDetail::unbound(variable.name, scope().sorted_names()));
      }
    }
  }

  void check(const expr::PropertyLookup& lookup) {
    check_pattern_value(context_, *lookup.object, "a property lookup");
    if (const auto* variable = lookup.object->as<expr::Variable>()) {
      check_property_on_variable(context_, variable->name, std::span(&lookup.key, 1));
    }
  }

  void check(const expr::FunctionCall& call) { check_function_call(context_, call); }

  // The base must be bound, and its `.key` items are properties of its labels or types.
  void check(const expr::MapProjection& projection) {
    check(expr::Variable{projection.variable});
    check_property_on_variable(context_, projection.variable, projection.keys);
  }

  void visit(const expr::ListComprehension& node) {
    push_scoped_body(node.list.get(), {&node.variable}, {node.where_clause.get(), node.projection.get()});
  }

  void visit(const expr::QuantifierAll& node) { visit_quantifier(node); }
  void visit(const expr::QuantifierAny& node) { visit_quantifier(node); }
  void visit(const expr::QuantifierNone& node) { visit_quantifier(node); }
  void visit(const expr::QuantifierSingle& node) { visit_quantifier(node); }

  template <typename Quantifier>
  void visit_quantifier(const Quantifier& node) {
    push_scoped_body(node.list.get(), {&node.variable}, {node.predicate.get()});
  }

  void visit(const expr::Reduce& node) {
    push_scoped_body(nullptr, {&node.accumulator, &node.variable}, {node.expression.get()});
    then_visit({node.init.get(), node.list.get()});
  }

  void visit(const expr::ShortestPath& node) { check_element(context_, *node.pattern); }

  // It may bind nothing new; its variables are bound only while its own pattern is checked.
  void visit(const expr::PatternPredicate& node) {
    check_pattern_predicate_variables(context_, *node.pattern);
    save_scope();
    bind_element(scope(), *node.pattern);
    check_element(context_, *node.pattern);
    perform(RestoreScope{});
  }

  void visit(const expr::PatternComprehension& node) {
    save_scope();
    if (node.path_variable) scope().bind_plain(*node.path_variable);
    bind_element(scope(), *node.pattern);
    check_element(context_, *node.pattern);
    work_.push_back(RestoreScope{});
    then_visit({node.where_clause.get(), node.projection.get()});
  }

  void visit(const expr::Exists& node) {
    save_scope();
    std::visit(Overloaded{
                   [&](const ExistsBody::ExistsPattern& body) {
                     bind_pattern(scope(), body.pattern);
                     check_pattern(context_, body.pattern);
                   },
                   [&](const ExistsBody::ExistsQuery& body) { walk_query(context_, *body.query); },
               },
               node.body.node);
    perform(RestoreScope{});
  }

  void visit(const expr::CountSubquery& node) { walk_subquery(*node.query); }
  void visit(const expr::CollectSubquery& node) { walk_subquery(*node.query); }

  void visit(const expr::HasLabels& node) {
    check_predicate_labels(context_, node.labels);
    then_visit({node.subject.get()});
  }

  void walk_subquery(const RegularQuery& query) {
    save_scope();
    walk_query(context_, query);
    perform(RestoreScope{});
  }

  // Walks `head` (if any), binds `names` temporarily, walks `body` and ends the bindings.
  void push_scoped_body(const Expression* head, std::vector<const std::string*> names,
                        std::vector<const Expression*> body) {
    for (const std::string* name : names) work_.push_back(EndTemporary{name});
    then_visit(std::move(body));
    for (auto name = names.rbegin(); name != names.rend(); ++name) work_.push_back(BindTemporary{*name});
    if (head != nullptr) work_.push_back(Visit{head});
  }

  ValidationContext& context_;
  std::vector<Work> work_;
  std::vector<VariableScope> saved_;
  std::vector<bool> inserted_;  // per open temporary binding: whether it must be removed
};

// ---- projections -----------------------------------------------------------------------------

const std::string* projection_name(const ReturnItem& item) {
  if (item.alias) return &*item.alias;
  if (const auto* variable = item.expression.as<expr::Variable>()) return &variable->name;
  return nullptr;
}

void check_duplicate_projections(ValidationContext& context, const std::vector<ReturnItem>& items) {
  std::unordered_set<std::string_view> seen;
  for (const ReturnItem& item : items) {
    const std::string* name = projection_name(item);
    if (name == nullptr) continue;
    if (!seen.insert(*name).second) {
      context.sink.add_error(DiagnosticCode::DuplicateProjectionName,
                             format_message(DiagnosticCode::DuplicateProjectionName, {*name}));
    }
  }
}

void walk_pagination(ValidationContext& context, const std::optional<Expression>& skip,
                     const std::optional<Expression>& limit) {
  if (skip && !check_pagination_literal(context, *skip, "SKIP")) walk_expression(context, *skip);
  if (limit && !check_pagination_literal(context, *limit, "LIMIT")) walk_expression(context, *limit);
}

// Binds each item's projection name in `target`, with the labels or types of the variable it
// projects as `source` holds them (so «n AS m» gives m the labels of n); a later item with the
// same name replaces an earlier one.
void bind_projection(VariableScope& target, const VariableScope& source,
                     const std::vector<ReturnItem>& items) {
  for (const ReturnItem& item : items) {
    const std::string* name = projection_name(item);
    if (name == nullptr) continue;
    const VariableScope::Names* carried = nullptr;
    if (const auto* variable = item.expression.as<expr::Variable>()) {
      carried = source.find(variable->name);
    }
    target.bind_plain(*name, carried ? *carried : VariableScope::Names{});
  }
}

// An ORDER BY sees the variables bound before its projection and the projection's names, which
// replace old variables of the same name.
template <typename Projection>
void walk_sort_items(ValidationContext& context, const Projection& projection,
                     std::string_view clause) {
  const std::vector<ReturnItem>& items = projection.items;
  const std::optional<std::vector<SortItem>>& order_by = projection.order_by;
  if (!order_by) return;
  check_order_by_projection(context, items, projection.distinct, *order_by, clause);
  VariableScope before = context.scope;
  bind_projection(context.scope, before, items);
  for (const SortItem& item : *order_by) walk_expression(context, item.expression);
  context.scope = std::move(before);
}

void walk_projection_items(ValidationContext& context, const std::vector<ReturnItem>& items,
                           std::string_view clause) {
  for (const ReturnItem& item : items) {
    check_pattern_value(context, item.expression, clause);
    walk_expression(context, item.expression);
  }
}

void walk_with_projection(ValidationContext& context, const WithClause& with) {
  walk_projection_items(context, with.items, "WITH");
  check_duplicate_projections(context, with.items);
  walk_sort_items(context, with, "WITH");
  // «WITH *» passes every variable on; otherwise only the projected names stay bound.
  if (!with.items.empty()) {
    VariableScope projected;
    bind_projection(projected, context.scope, with.items);
    context.scope = std::move(projected);
  }
  walk_pagination(context, with.skip, with.limit);
  if (with.where_clause) walk_expression(context, *with.where_clause);
}

void check_return(ValidationContext& context, const ReturnClause& clause) {
  walk_projection_items(context, clause.items, "RETURN");
  check_duplicate_projections(context, clause.items);
  walk_sort_items(context, clause, "RETURN");
  walk_pagination(context, clause.skip, clause.limit);
}

// ---- clauses ---------------------------------------------------------------------------------

void bind_reading_clause(VariableScope& scope, const ReadingClause& clause) {
  std::visit(Overloaded{
                 [&](const MatchClause& match) { bind_pattern(scope, match.pattern); },
                 [&](const UnwindClause& unwind) { scope.bind_plain(unwind.variable); },
                 [&](const ProcedureCall& call) {
                   for (const YieldItem& item : call.yield_items) scope.bind_plain(item.variable);
                 },
                 [&](const CallSubquery& call) {
                   if (call.transactions && call.transactions->status_variable) {
                     scope.bind_plain(*call.transactions->status_variable);
                   }
                 },
                 [&](const LoadCsvClause& load) { scope.bind_plain(load.variable); },
             },
             clause.node);
}

void bind_updating_clause(VariableScope& scope, const UpdatingClause& clause) {
  std::visit(Overloaded{
                 [&](const CreateClause& create) { bind_pattern(scope, create.pattern); },
                 [&](const MergeClause& merge) { bind_part(scope, merge.part); },
                 [&](const auto&) {},
             },
             clause.node);
}

// The RETURN that ends a query's first branch, if it has one.
const ReturnClause* final_return(const RegularQuery& query) {
  return std::visit(
      [](const auto& single) { return single.return_clause ? &*single.return_clause : nullptr; },
      query.first.node);
}

// In Neo4j, «CALL (x, y) { ... }» sees exactly the imported variables, «CALL (*)» and «CALL {
// WITH x ... }» the enclosing scope, and each adds to that scope only what it returns. The
// core dialect keeps its subquery walk in the enclosing scope.
void check_call_subquery(ValidationContext& context, const CallSubquery& call) {
  if (call.transactions) {
    if (call.transactions->concurrency) walk_expression(context, *call.transactions->concurrency);
    if (call.transactions->batch_size) walk_expression(context, *call.transactions->batch_size);
  }
  if (context.dialect == Dialect::core) {
    walk_query(context, *call.query);
    return;
  }
  VariableScope imported;
  if (!call.scoped || call.import_all) {
    imported = context.scope;
  } else {
    for (const std::string& name : call.imports) {
      if (const VariableScope::Names* names = context.scope.find(name)) {
        imported.bind_plain(name, *names);
      } else {
        context.sink.add_error(DiagnosticCode::UnboundVariable,
                               format_message(DiagnosticCode::UnboundVariable, {name}));
      }
    }
  }
  VariableScope outer = std::exchange(context.scope, std::move(imported));
  walk_query(context, *call.query);
  VariableScope inner = std::exchange(context.scope, std::move(outer));
  const ReturnClause* returned = final_return(*call.query);
  if (returned == nullptr) return;
  if (returned->items.empty()) {
    inner.for_each([&](const std::string& name, const VariableScope::Names& names) {
      context.scope.bind_plain(name, names);
    });
  } else {
    bind_projection(context.scope, inner, returned->items);
  }
}

void check_reading_clause(ValidationContext& context, const ReadingClause& clause) {
  check_clause_guardrails(context, clause_fact(clause));
  std::visit(Overloaded{
                 [&](const MatchClause& match) {
                   check_pattern(context, match.pattern);
                   if (match.where_clause) {
                     check_aggregate_context(context, *match.where_clause, "MATCH WHERE");
                     walk_expression(context, *match.where_clause);
                   }
                   check_cartesian_product(context, match.pattern);
                   check_match_scans(context, match);
                 },
                 [&](const UnwindClause& unwind) { walk_expression(context, unwind.expression); },
                 [&](const ProcedureCall& call) {
                   for (const Expression& argument : call.arguments) {
                     check_guardrails_within(context, argument);
                   }
                   if (call.where_clause) walk_expression(context, *call.where_clause);
                 },
                 [&](const CallSubquery& subquery) { check_call_subquery(context, subquery); },
                 [&](const LoadCsvClause& load) { walk_expression(context, load.source); },
             },
             clause.node);
}

void check_set_item(ValidationContext& context, const SetItem& item) {
  auto check_value = [&](const Expression& value) {
    check_aggregate_context(context, value, "SET");
    walk_expression(context, value);
  };
  std::visit(Overloaded{
                 [&](const SetItem::Property& property) {
                   check_property_on_variable(context, property.variable, property.keys);
                   check_value(property.value);
                 },
                 [&](const SetItem::Labels& labels) {
                   check_set_labels(context, labels.labels);
                   for (const Expression& name : labels.dynamic_labels) walk_expression(context, name);
                 },
                 [&](const SetItem::Assign& assign) { check_value(assign.value); },
                 [&](const SetItem::MergeAssign& assign) { check_value(assign.value); },
             },
             item.node);
}

void check_remove_item(ValidationContext& context, const RemoveItem& item) {
  std::visit(Overloaded{
                 [&](const RemoveItem::Property& property) {
                   check_property_on_variable(context, property.variable, property.keys);
                 },
                 [&](const RemoveItem::Labels& labels) {
                   check_remove_labels(context, labels.labels);
                   for (const Expression& name : labels.dynamic_labels) walk_expression(context, name);
                 },
             },
             item.node);
}

void check_updating_clause(ValidationContext& context, const UpdatingClause& clause);

void check_foreach(ValidationContext& context, const ForeachClause& foreach) {
  walk_expression(context, foreach.list);
  bool inserted = context.scope.bind_temporary(foreach.variable);
  for (const UpdatingClause& clause : foreach.body) check_updating_clause(context, clause);
  if (inserted) context.scope.unbind(foreach.variable);
}

// The walk leaves a MERGE's actions unchecked; only the guardrails look inside their values.
void check_merge_actions(ValidationContext& context, const MergeClause& merge) {
  if (!context.guardrails.any()) return;
  for (const auto* actions : {&merge.on_match, &merge.on_create}) {
    for (const std::vector<SetItem>& items : *actions) {
      for (const SetItem& item : items) {
        std::visit(Overloaded{
                       [&](const SetItem::Labels&) {},
                       [&](const auto& assignment) { check_guardrails_within(context, assignment.value); },
                   },
                   item.node);
      }
    }
  }
}

void check_updating_clause(ValidationContext& context, const UpdatingClause& clause) {
  check_clause_guardrails(context, clause_fact(clause));
  std::visit(Overloaded{
                 [&](const CreateClause& create) { check_pattern(context, create.pattern); },
                 [&](const MergeClause& merge) {
                   check_element(context, merge.part.element);
                   check_merge_actions(context, merge);
                 },
                 [&](const SetClause& set) {
                   for (const SetItem& item : set.items) check_set_item(context, item);
                 },
                 [&](const RemoveClause& remove) {
                   for (const RemoveItem& item : remove.items) check_remove_item(context, item);
                 },
                 [&](const DeleteClause& remove) {
                   for (const Expression& expression : remove.expressions) {
                     check_aggregate_context(context, expression, "DELETE");
                     walk_expression(context, expression);
                   }
                 },
                 [&](const ForeachClause& foreach) { check_foreach(context, foreach); },
             },
             clause.node);
}

// ---- queries ---------------------------------------------------------------------------------

void walk_query_part(ValidationContext& context, const std::vector<ReadingClause>& reading,
                     const std::vector<UpdatingClause>& updating) {
  for (const ReadingClause& clause : reading) bind_reading_clause(context.scope, clause);
  for (const UpdatingClause& clause : updating) bind_updating_clause(context.scope, clause);
  for (const ReadingClause& clause : reading) check_reading_clause(context, clause);
  for (const UpdatingClause& clause : updating) check_updating_clause(context, clause);
}

void walk_single_query(ValidationContext& context, const SingleQuery& query) {
  std::visit(Overloaded{
                 [&](const SinglePartQuery& single) {
                   walk_query_part(context, single.reading_clauses, single.updating_clauses);
                   if (single.return_clause) check_return(context, *single.return_clause);
                 },
                 [&](const MultiPartQuery& multi) {
                   for (const QueryPart& part : multi.parts) {
                     walk_query_part(context, part.reading_clauses, part.updating_clauses);
                     walk_with_projection(context, part.with_clause);
                   }
                   walk_query_part(context, multi.reading_clauses, multi.updating_clauses);
                   if (multi.return_clause) check_return(context, *multi.return_clause);
                 },
             },
             query.node);
}

}  // namespace

void walk_query(ValidationContext& context, const RegularQuery& query) {
  walk_single_query(context, query.first);
  for (const UnionPart& branch : query.unions) {
    VariableScope saved = context.scope;
    context.scope.clear();
    walk_single_query(context, branch.query);
    context.scope = std::move(saved);
  }
}

void walk_expression(ValidationContext& context, const Expression& expression) {
  ExpressionWalk(context).run(expression);
}

}  // namespace qarvex
