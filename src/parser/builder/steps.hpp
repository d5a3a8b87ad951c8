// The build steps, one per grammar rule, shared by the files of the builder. A failing step
// records its message (the first one wins) and returns an empty value; the entry discards the
// whole tree when anything failed, so the steps need not unwind by hand.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "parser/ast.hpp"
#include "parser/parse_tree.hpp"

namespace qarvex::build {

class Steps {
 public:
  // With `unquote_names` (Neo4j), a backticked name is built as the name it quotes.
  explicit Steps(bool unquote_names = false) : unquote_names_(unquote_names) {}

  const std::optional<std::string>& failure() const { return failure_; }

  // Statements and query structure (build_query.cpp).
  Query cypher(ParseNode node);
  RegularQuery regular_query(ParseNode node);

  // Patterns (build_pattern.cpp).
  Pattern pattern(ParseNode node);
  PatternPart pattern_part(ParseNode node);
  PatternElement pattern_element(ParseNode node);
  PropertyMap map_literal(ParseNode node);

  // Expressions (build_expression.cpp): any expression rule, by the step of its rule.
  Expression expression(ParseNode node);

 private:
  bool failed() const { return failure_.has_value(); }
  void fail(std::string message) {
    if (!failure_) failure_ = std::move(message);
  }
  // The first child built by `step`, or `message` as the failure.
  template <typename Step>
  auto from_first_child(ParseNode node, std::string_view message, Step step)
      -> decltype(step(node)) {
    std::optional<ParseNode> child = node.first_child();
    if (!child) {
      fail(std::string(message));
      return {};
    }
    return step(*child);
  }
  Expression first_expression(ParseNode node, std::string_view message);

  // Query structure.
  Query statement(ParseNode node);
  SingleQuery single_query(ParseNode node);
  SinglePartQuery single_part_query(ParseNode node);
  MultiPartQuery multi_part_query(ParseNode node);
  WithClause with_clause(ParseNode node);
  ReturnClause return_clause(ParseNode node);
  template <typename Projection>
  void return_body(ParseNode node, Projection& projection);
  std::vector<ReturnItem> return_items(ParseNode node);
  std::vector<SortItem> order_clause(ParseNode node);

  // Clauses.
  ReadingClause reading_clause(ParseNode node);
  MatchClause match_clause(ParseNode node);
  UnwindClause unwind_clause(ParseNode node);
  ProcedureCall procedure_call(ParseNode node);
  CallSubquery call_subquery(ParseNode node);
  InTransactions in_transactions(ParseNode node);
  LoadCsvClause load_csv_clause(ParseNode node);
  UpdatingClause updating_clause(ParseNode node);
  ForeachClause foreach_clause(ParseNode node);
  MergeClause merge_clause(ParseNode node);
  std::vector<SetItem> set_clause(ParseNode node);
  SetItem set_item(ParseNode node);
  RemoveItem remove_item(ParseNode node);
  DeleteClause delete_clause(ParseNode node);
  void property_expression(ParseNode node, std::string& variable, std::vector<std::string>& keys);

  // Patterns.
  PathSelector path_selector(ParseNode node);
  void chain(ParseNode node, PatternElement& element);
  QuantifiedPath quantified_path(ParseNode node);
  LengthRange path_quantifier(ParseNode node);
  // The parts of a label or type expression (Neo4j): its names in source order, each marked
  // when it is pinned (only conjunctions stand above it), its dynamic names, and whether it
  // is a plain choice «A|B» or a plain conjunction «A&B» of names.
  struct NameExpressionParts {
    std::vector<std::pair<std::string, bool>> names;
    std::vector<Box<Expression>> dynamic;
    bool choice = true;
    bool conjunction = true;
  };
  NameExpressionParts name_expression(ParseNode node);
  void name_expression(ParseNode node, bool pinning, NameExpressionParts& parts);
  // The plain and the dynamic labels of a node_labels node (SET, REMOVE).
  void labels_and_dynamic(ParseNode node, std::vector<std::string>& labels,
                          std::vector<Expression>& dynamic);
  NodePattern node_pattern(ParseNode node);
  RelationshipPattern relationship_pattern(ParseNode node);
  Properties properties(ParseNode node);
  Expression map_projection(ParseNode node);

  // Expressions.
  template <typename Operator>
  Expression fold(ParseNode node, std::optional<Rule> keyword, std::string_view empty_message);
  Expression not_expr(ParseNode node);
  Expression comparison_expr(ParseNode node);
  Expression arithmetic(ParseNode node, std::string_view empty_message);
  Expression unary_expr(ParseNode node);
  Expression postfix_expr(ParseNode node);
  Expression atom(ParseNode node);
  Expression atom_child(ParseNode node);
  Expression literal(ParseNode node);
  Expression literal_value(ParseNode value);  // a literal's one child, e.g. a list_literal
  Expression function_invocation(ParseNode node);
  Expression reduce_expression(ParseNode node);
  Expression shortest_path(ParseNode node);
  Expression case_expression(ParseNode node);
  Expression list_comprehension(ParseNode node);
  Expression quantifier(ParseNode node);
  Expression exists_subquery(ParseNode node);
  Expression pattern_comprehension(ParseNode node);
  Expression subquery(ParseNode node, bool collect);
  // Neo4j forms: a pattern predicate, a label predicate (on the subject before it), and
  // a pattern with a WHERE in braces the one-MATCH query it abbreviates.
  Expression pattern_predicate(ParseNode node);
  Expression label_predicate(ParseNode node, Box<Expression> subject);
  Expression type_predicate(ParseNode node, Box<Expression> subject);
  Expression normalized_predicate(ParseNode node, Box<Expression> subject);
  RegularQuery implicit_match(ParseNode node);
  struct Filter {
    std::string variable;
    Box<Expression> list;
    Box<Expression> where;
  };
  Filter filter_expression(ParseNode node);

  // The text of a name node (a variable, label, type, key or field), unquoted if so chosen;
  // they hide the free functions of the same names inside the steps.
  std::string text_of(ParseNode node) const;
  std::vector<std::string> child_texts(ParseNode node) const;

  std::optional<std::string> failure_;
  bool unquote_names_ = false;
};

// The node's text as an owned name.
inline std::string text_of(ParseNode node) { return std::string(node.text()); }

// The texts of the children of `node` (label_name, rel_type_name, ...).
std::vector<std::string> child_texts(ParseNode node);

}  // namespace qarvex::build
