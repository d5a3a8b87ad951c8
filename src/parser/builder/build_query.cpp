// Build steps for statements, query parts, projections and clauses.
#include <utility>

#include "parser/builder/build.hpp"
#include "parser/name_sites.hpp"
#include "parser/builder/node_text.hpp"
#include "parser/builder/steps.hpp"

namespace qarvex {
namespace build {

std::vector<std::string> child_texts(ParseNode node) {
  std::vector<std::string> texts;
  for (ParseNode child : node.children()) texts.push_back(text_of(child));
  return texts;
}

std::string Steps::text_of(ParseNode node) const {
  return unquote_names_ ? unquoted_name(node.text()) : build::text_of(node);
}

std::vector<std::string> Steps::child_texts(ParseNode node) const {
  std::vector<std::string> texts;
  for (ParseNode child : node.children()) texts.push_back(text_of(child));
  return texts;
}

Expression Steps::first_expression(ParseNode node, std::string_view message) {
  return from_first_child(node, message, [&](ParseNode child) { return expression(child); });
}

Query Steps::cypher(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty query");
    return {};
  }
  if (child->rule() != Rule::statement) {
    fail("Expected statement, got " + std::string(child->rule_name()));
    return {};
  }
  return statement(*child);
}

Query Steps::statement(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty statement");
    return {};
  }
  switch (child->rule()) {
    case Rule::regular_query:
      return Query{regular_query(*child)};
    case Rule::standalone_call:
      return Query{procedure_call(*child)};
    default:
      fail("Unknown statement type: " + std::string(child->rule_name()));
      return {};
  }
}

RegularQuery Steps::regular_query(ParseNode node) {
  RegularQuery query;
  query.first =
      from_first_child(node, "Missing single_query", [&](ParseNode c) { return single_query(c); });
  for (ParseNode child : node.children()) {
    if (child.rule() != Rule::union_clause) continue;
    UnionPart part;
    part.all = contains(keyword_text_without_comments(child), "ALL");
    bool found = false;
    for (ParseNode inner : child.children()) {
      if (inner.rule() != Rule::single_query) continue;
      part.query = single_query(inner);
      found = true;
      break;
    }
    if (!found) fail("Missing union single_query");
    query.unions.push_back(std::move(part));
  }
  return query;
}

SingleQuery Steps::single_query(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  // A graph chosen with USE (Neo4j) leaves nothing to check.
  if (child && child->rule() == Rule::use_clause) child = node.child(1);
  if (!child) {
    fail("Empty single_query");
    return {};
  }
  switch (child->rule()) {
    case Rule::single_part_query:
      return SingleQuery{single_part_query(*child)};
    case Rule::multi_part_query:
      return SingleQuery{multi_part_query(*child)};
    default:
      fail("Unknown single_query: " + std::string(child->rule_name()));
      return {};
  }
}

SinglePartQuery Steps::single_part_query(ParseNode node) {
  SinglePartQuery query;
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::reading_clause:
        query.reading_clauses.push_back(reading_clause(child));
        break;
      case Rule::updating_clause:
        query.updating_clauses.push_back(updating_clause(child));
        break;
      case Rule::return_clause:
        query.return_clause = return_clause(child);
        break;
      default:
        break;
    }
  }
  return query;
}

MultiPartQuery Steps::multi_part_query(ParseNode node) {
  MultiPartQuery query;
  QueryPart current;
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::reading_clause:
        current.reading_clauses.push_back(reading_clause(child));
        break;
      case Rule::updating_clause:
        current.updating_clauses.push_back(updating_clause(child));
        break;
      case Rule::with_clause:
        current.with_clause = with_clause(child);
        query.parts.push_back(std::exchange(current, QueryPart{}));
        break;
      case Rule::return_clause:
        query.return_clause = return_clause(child);
        break;
      default:
        break;
    }
  }
  query.reading_clauses = std::move(current.reading_clauses);
  query.updating_clauses = std::move(current.updating_clauses);
  return query;
}

WithClause Steps::with_clause(ParseNode node) {
  WithClause with;
  with.distinct = contains(keyword_text_without_comments(node), "DISTINCT");
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::return_body) {
      return_body(child, with);
    } else if (child.rule() == Rule::where_clause) {
      with.where_clause = first_expression(child, "WHERE missing expr");
    }
  }
  return with;
}

ReturnClause Steps::return_clause(ParseNode node) {
  ReturnClause projection;
  projection.distinct = contains(keyword_text_without_comments(node), "DISTINCT");
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::return_body) return_body(child, projection);
  }
  return projection;
}

template <typename Projection>
void Steps::return_body(ParseNode node, Projection& projection) {
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::return_items:
        projection.items = return_items(child);
        break;
      case Rule::order_clause:
        projection.order_by = order_clause(child);
        break;
      case Rule::skip_clause:
        projection.skip = first_expression(child, "SKIP missing expr");
        break;
      case Rule::limit_clause:
        projection.limit = first_expression(child, "LIMIT missing expr");
        break;
      default:
        break;
    }
  }
}

std::vector<ReturnItem> Steps::return_items(ParseNode node) {
  std::vector<ReturnItem> items;
  if (trim(node.text()) == "*") return items;
  for (ParseNode child : node.children()) {
    if (child.rule() != Rule::return_item) continue;
    ReturnItem item;
    item.expression = first_expression(child, "Return item missing expr");
    bool after_expression = false;
    for (ParseNode part : child.children()) {
      if (after_expression && part.rule() == Rule::variable) item.alias = text_of(part);
      after_expression = true;
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<SortItem> Steps::order_clause(ParseNode node) {
  std::vector<SortItem> items;
  for (ParseNode child : node.children()) {
    if (child.rule() != Rule::sort_item) continue;
    SortItem item;
    item.expression = first_expression(child, "Sort item missing expr");
    item.descending = contains(keyword_text_without_comments(child), "DESC");
    items.push_back(std::move(item));
  }
  return items;
}

// ---- Reading clauses -----------------------------------------------------------------------

ReadingClause Steps::reading_clause(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty reading_clause");
    return {};
  }
  switch (child->rule()) {
    case Rule::match_clause:
      return ReadingClause{match_clause(*child)};
    case Rule::unwind_clause:
      return ReadingClause{unwind_clause(*child)};
    case Rule::in_query_call:
      return ReadingClause{procedure_call(*child)};
    case Rule::call_subquery:
      return ReadingClause{call_subquery(*child)};
    case Rule::load_csv_clause:
      return ReadingClause{load_csv_clause(*child)};
    default:
      fail("Unknown reading clause: " + std::string(child->rule_name()));
      return {};
  }
}

CallSubquery Steps::call_subquery(ParseNode node) {
  CallSubquery call;
  call.optional = starts_with_keyword(node.text(), "OPTIONAL");
  bool has_query = false;
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::call_scope:
        call.scoped = true;
        call.import_all = contains(keyword_text_without_comments(child), "*");
        call.imports = child_texts(child);
        break;
      case Rule::regular_query:
        call.query = Box<RegularQuery>(regular_query(child));
        has_query = true;
        break;
      case Rule::in_transactions:
        call.transactions = in_transactions(child);
        break;
      default:
        break;
    }
  }
  if (!has_query) fail("Empty CALL subquery");
  return call;
}

// Each expression is placed by the keyword just before it: IN (the concurrency) or OF (the
// batch size).
InTransactions Steps::in_transactions(ParseNode node) {
  InTransactions transactions;
  std::vector<std::string> gaps = keyword_gaps(node);
  std::size_t index = 0;
  for (ParseNode child : node.children()) {
    std::string_view before = trim(gaps[index++]);
    if (child.rule() == Rule::variable) {
      transactions.status_variable = text_of(child);
    } else if (before.ends_with("OF")) {
      transactions.batch_size = expression(child);
    } else {
      transactions.concurrency = expression(child);
    }
  }
  return transactions;
}

LoadCsvClause Steps::load_csv_clause(ParseNode node) {
  LoadCsvClause load;
  load.with_headers = contains(keyword_text_without_comments(node), "HEADERS");
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::expression) load.source = expression(child);
    if (child.rule() == Rule::variable) load.variable = text_of(child);
    if (child.rule() == Rule::string_literal) load.field_terminator = text_of(child);
  }
  if (load.variable.empty()) fail("LOAD CSV missing variable");
  return load;
}

MatchClause Steps::match_clause(ParseNode node) {
  MatchClause match;
  match.optional = starts_with_keyword(node.text(), "OPTIONAL");
  bool has_pattern = false;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::pattern) {
      match.pattern = pattern(child);
      has_pattern = true;
    } else if (child.rule() == Rule::where_clause) {
      match.where_clause = first_expression(child, "Empty WHERE");
    }
  }
  if (!has_pattern) fail("MATCH missing pattern");
  return match;
}

UnwindClause Steps::unwind_clause(ParseNode node) {
  UnwindClause unwind;
  unwind.expression = first_expression(node, "UNWIND missing expr");
  if (std::optional<ParseNode> variable = node.child(1)) {
    unwind.variable = text_of(*variable);
  } else {
    fail("UNWIND missing variable");
  }
  return unwind;
}

ProcedureCall Steps::procedure_call(ParseNode node) {
  ProcedureCall call;
  call.optional = starts_with_keyword(node.text(), "OPTIONAL");
  call.yield_all = contains(keyword_text_without_comments(node), "*");
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::where_clause) {
      call.where_clause = first_expression(child, "YIELD WHERE missing expr");
      continue;
    }
    if (child.rule() == Rule::explicit_procedure_invocation) {
      for (ParseNode part : child.children()) {
        if (part.rule() == Rule::procedure_name) {
          call.name = build::text_of(part);  // as written: its parts are read one by one
        } else if (part.rule() == Rule::expression) {
          call.arguments.push_back(expression(part));
        }
      }
    } else if (child.rule() == Rule::yield_items) {
      for (ParseNode item : child.children()) {
        if (item.rule() != Rule::yield_item) continue;
        YieldItem yield;
        for (ParseNode part : item.children()) {
          if (part.rule() == Rule::procedure_result_field) yield.field = text_of(part);
          if (part.rule() == Rule::variable) yield.variable = text_of(part);
        }
        call.yield_items.push_back(std::move(yield));
      }
    }
  }
  return call;
}

// ---- Updating clauses ----------------------------------------------------------------------

UpdatingClause Steps::updating_clause(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty updating_clause");
    return {};
  }
  switch (child->rule()) {
    case Rule::create_clause: {
      for (ParseNode part : child->children()) {
        if (part.rule() == Rule::pattern) return UpdatingClause{CreateClause{pattern(part)}};
      }
      fail("CREATE missing pattern");
      return {};
    }
    case Rule::merge_clause:
      return UpdatingClause{merge_clause(*child)};
    case Rule::set_clause:
      return UpdatingClause{SetClause{set_clause(*child)}};
    case Rule::remove_clause: {
      RemoveClause remove;
      for (ParseNode item : child->children()) {
        if (item.rule() == Rule::remove_item) remove.items.push_back(remove_item(item));
      }
      return UpdatingClause{std::move(remove)};
    }
    case Rule::delete_clause:
      return UpdatingClause{delete_clause(*child)};
    case Rule::foreach_clause:
      return UpdatingClause{foreach_clause(*child)};
    default:
      fail("Unknown updating clause: " + std::string(child->rule_name()));
      return {};
  }
}

ForeachClause Steps::foreach_clause(ParseNode node) {
  ForeachClause foreach;
  std::optional<ParseNode> variable = node.child(0);
  if (!variable) {
    fail("FOREACH missing variable");
    return foreach;
  }
  foreach.variable = text_of(*variable);
  std::optional<ParseNode> list = node.child(1);
  if (!list) {
    fail("FOREACH missing list expression");
    return foreach;
  }
  foreach.list = expression(*list);
  std::size_t index = 0;
  for (ParseNode child : node.children()) {
    if (index++ >= 2 && child.rule() == Rule::updating_clause) {
      foreach.body.push_back(updating_clause(child));
    }
  }
  if (foreach.body.empty()) fail("FOREACH body is empty");
  return foreach;
}

MergeClause Steps::merge_clause(ParseNode node) {
  MergeClause merge;
  bool has_part = false;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::pattern_part) {
      merge.part = pattern_part(child);
      has_part = true;
    } else if (child.rule() == Rule::on_match_or_create) {
      std::vector<SetItem> items;
      for (ParseNode set : child.children()) {
        if (set.rule() == Rule::set_clause) items = set_clause(set);
      }
      bool on_match = contains(keyword_text_without_comments(child), "MATCH");
      (on_match ? merge.on_match : merge.on_create).push_back(std::move(items));
    }
  }
  if (!has_part) fail("MERGE missing pattern_part");
  return merge;
}

std::vector<SetItem> Steps::set_clause(ParseNode node) {
  std::vector<SetItem> items;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::set_item) items.push_back(set_item(child));
  }
  return items;
}

SetItem Steps::set_item(ParseNode node) {
  std::optional<ParseNode> first = node.child(0);
  std::optional<ParseNode> second = node.child(1);
  if (!first || !second) {
    fail("Invalid SET item");
    return {};
  }
  if (contains(keyword_text_without_comments(node), "+=")) {
    return SetItem{SetItem::MergeAssign{text_of(*first), expression(*second)}};
  }
  if (first->rule() == Rule::property_expression) {
    SetItem::Property property;
    property_expression(*first, property.variable, property.keys);
    property.value = expression(*second);
    return SetItem{std::move(property)};
  }
  if (first->rule() == Rule::variable) {
    if (second->rule() == Rule::node_labels) {
      SetItem::Labels labels{text_of(*first), {}, {}};
      labels_and_dynamic(*second, labels.labels, labels.dynamic_labels);
      return SetItem{std::move(labels)};
    }
    return SetItem{SetItem::Assign{text_of(*first), expression(*second)}};
  }
  fail("Unknown SET item");
  return {};
}

RemoveItem Steps::remove_item(ParseNode node) {
  std::optional<ParseNode> first = node.first_child();
  if (!first) {
    fail("Empty remove_item");
    return {};
  }
  if (first->rule() == Rule::property_expression) {
    RemoveItem::Property property;
    property_expression(*first, property.variable, property.keys);
    return RemoveItem{std::move(property)};
  }
  if (first->rule() == Rule::variable) {
    RemoveItem::Labels labels{text_of(*first), {}, {}};
    for (ParseNode child : node.children()) {
      if (child.rule() == Rule::node_labels) {
        labels_and_dynamic(child, labels.labels, labels.dynamic_labels);
      }
    }
    return RemoveItem{std::move(labels)};
  }
  fail("Unknown REMOVE item");
  return {};
}

DeleteClause Steps::delete_clause(ParseNode node) {
  DeleteClause deletion;
  deletion.detach = starts_with_keyword(node.text(), "DETACH");
  deletion.nodetach = starts_with_keyword(node.text(), "NODETACH");
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::expression) deletion.expressions.push_back(expression(child));
  }
  return deletion;
}

void Steps::property_expression(ParseNode node, std::string& variable,
                                std::vector<std::string>& keys) {
  std::optional<ParseNode> first = node.first_child();
  if (first) variable = text_of(*first);
  for (ParseNode child : node.children()) {
    if (child.rule() != Rule::property_lookup) continue;
    if (std::optional<ParseNode> key = child.first_child()) {
      keys.push_back(text_of(*key));
    } else {
      fail("Property lookup missing key");
    }
  }
}

}  // namespace build

StatementResult build_query(ParseNode cypher, Dialect dialect) {
  build::Steps steps(dialect == Dialect::neo4j);
  Query query = steps.cypher(cypher);
  if (steps.failure()) return ModuleError{ModuleErrorKind::Parse, *steps.failure()};
  return query;
}

}  // namespace qarvex
