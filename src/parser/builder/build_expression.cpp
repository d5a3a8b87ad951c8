// Build steps for expressions: the precedence levels, postfix operators, atoms and literals.
// Operator chains are folded from the left in loops; only genuine nesting in the text (an
// operand in parentheses, a list, a subquery) recurses.
#include <utility>

#include "parser/builder/literals.hpp"
#include "parser/builder/node_text.hpp"
#include "parser/builder/steps.hpp"

namespace qarvex::build {
namespace {

struct ComparisonOperator {
  std::string_view text;
  bool prefix;  // the operator text only has to begin with `text`
  Expression (*make)(Box<Expression>, Box<Expression>);
};

template <typename Operator>
Expression make_binary(Box<Expression> left, Box<Expression> right) {
  return Operator{std::move(left), std::move(right)};
}

constexpr ComparisonOperator kComparisons[] = {
    {"=", false, make_binary<expr::Equal>},
    {"<>", false, make_binary<expr::NotEqual>},
    {"<", false, make_binary<expr::LessThan>},
    {"<=", false, make_binary<expr::LessThanOrEqual>},
    {">", false, make_binary<expr::GreaterThan>},
    {">=", false, make_binary<expr::GreaterThanOrEqual>},
    {"=~", false, make_binary<expr::RegexMatch>},
    {"IN", false, make_binary<expr::In>},
    {"STARTS", true, make_binary<expr::StartsWith>},
    {"ENDS", true, make_binary<expr::EndsWith>},
    {"CONTAINS", false, make_binary<expr::Contains>},
};

// The first character of a gap between two operands that is not white space: the operator.
char operator_in(std::string_view gap) {
  std::string_view trimmed = trim(gap);
  return trimmed.empty() ? '\0' : trimmed.front();
}

// The only child of `node`, if it has exactly one.
std::optional<ParseNode> only_child(ParseNode node) {
  ChildRange children = node.children();
  auto it = children.begin();
  if (it == children.end()) return std::nullopt;
  ParseNode child = *it;
  return ++it == children.end() ? std::optional<ParseNode>(child) : std::nullopt;
}

// Every expression descends through all precedence levels, and most levels hold just one
// operand, which is then the level's whole value. Such levels are passed over in one loop;
// the steps below handle every level that has an operator, a keyword or an unusual shape,
// so the result is the same as building each level in turn.
ParseNode skip_single_operand_levels(ParseNode node) {
  for (;;) {
    Rule rule = node.rule();
    std::optional<ParseNode> next;
    if (rule == Rule::expression) {
      next = node.first_child();
    } else if (rule == Rule::or_expr || rule == Rule::xor_expr || rule == Rule::and_expr ||
               rule == Rule::comparison_expr || rule == Rule::add_sub_expr ||
               rule == Rule::mul_div_expr || rule == Rule::mod_expr ||
               rule == Rule::power_expr || rule == Rule::postfix_expr) {
      next = only_child(node);
      if (next && (next->rule() == Rule::or_kw || next->rule() == Rule::xor_kw ||
                   next->rule() == Rule::and_kw)) {
        next.reset();
      }
    } else if (rule == Rule::not_expr) {
      next = only_child(node);
      if (next && next->rule() != Rule::comparison_expr) next.reset();
    } else if (rule == Rule::unary_expr) {
      next = only_child(node);
      if (next && (next->rule() != Rule::postfix_expr || node.text().starts_with('-'))) {
        next.reset();
      }
    }
    if (!next) return node;
    node = *next;
  }
}

}  // namespace

Expression Steps::expression(ParseNode node) {
  if (failed()) return {};
  node = skip_single_operand_levels(node);
  switch (node.rule()) {
    case Rule::expression:
      return first_expression(node, "Empty expression");
    case Rule::or_expr:
      return fold<expr::Or>(node, Rule::or_kw, "Empty or_expr");
    case Rule::xor_expr:
      return fold<expr::Xor>(node, Rule::xor_kw, "Empty xor_expr");
    case Rule::and_expr:
      return fold<expr::And>(node, Rule::and_kw, "Empty and_expr");
    case Rule::not_expr:
      return not_expr(node);
    case Rule::comparison_expr:
      return comparison_expr(node);
    case Rule::add_sub_expr:
      return arithmetic(node, "Empty add_sub_expr");
    case Rule::mul_div_expr:
      return arithmetic(node, "Empty mul_div_expr");
    case Rule::mod_expr:
      return fold<expr::Modulo>(node, std::nullopt, "Empty mod_expr");
    case Rule::power_expr:
      return fold<expr::Power>(node, std::nullopt, "Empty power_expr");
    case Rule::unary_expr:
      return unary_expr(node);
    case Rule::postfix_expr:
      return postfix_expr(node);
    case Rule::atom:
      return atom(node);
    case Rule::literal:
      return literal(node);
    default:
      fail("Unexpected rule in expression: " + std::string(node.rule_name()));
      return {};
  }
}

// Most levels hold a single operand; it is built in place and handed straight up, so the
// many precedence levels of an expression cost no copies.
template <typename Operator>
Expression Steps::fold(ParseNode node, std::optional<Rule> keyword,
                       std::string_view empty_message) {
  auto is_operand = [&](ParseNode child) { return !keyword || child.rule() != *keyword; };
  ChildRange children = node.children();
  auto it = children.begin();
  while (it != children.end() && !is_operand(*it)) ++it;
  if (it == children.end()) {
    fail(std::string(empty_message));
    return {};
  }
  Expression folded = expression(*it);
  for (++it; it != children.end(); ++it) {
    if (!is_operand(*it)) continue;
    folded = Operator{boxed(std::move(folded)), boxed(expression(*it))};
  }
  return folded;
}

Expression Steps::not_expr(ParseNode node) {
  std::size_t negations = 0;
  std::optional<ParseNode> operand;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::not_kw) ++negations;
    if (child.rule() == Rule::comparison_expr) operand = child;
  }
  if (!operand) {
    fail("NOT missing comparison_expr");
    return {};
  }
  Expression result = expression(*operand);
  for (std::size_t i = 0; i < negations; ++i) result = expr::Not{boxed(std::move(result))};
  return result;
}

Expression Steps::comparison_expr(ParseNode node) {
  std::optional<ParseNode> first = node.first_child();
  if (!first) {
    fail("Empty comparison_expr");
    return {};
  }
  Expression result = expression(*first);
  std::optional<ParseNode> pending_operator;
  bool skip = true;
  for (ParseNode child : node.children()) {
    if (std::exchange(skip, false)) continue;
    if (!pending_operator) {
      pending_operator = child;
      continue;
    }
    std::string op = upper_text(*std::exchange(pending_operator, std::nullopt));
    const ComparisonOperator* match = nullptr;
    for (const ComparisonOperator& candidate : kComparisons) {
      if (candidate.prefix ? op.starts_with(candidate.text) : op == candidate.text) {
        match = &candidate;
        break;
      }
    }
    if (match == nullptr) {
      fail("Unknown comparison op: " + op);
      return {};
    }
    result = match->make(boxed(std::move(result)), boxed(expression(child)));
  }
  return result;
}

// add_sub_expr and mul_div_expr: the operator between two operands is a literal of the rule,
// read from the gap between them.
Expression Steps::arithmetic(ParseNode node, std::string_view empty_message) {
  ChildRange children = node.children();
  auto it = children.begin();
  if (it == children.end()) {
    fail(std::string(empty_message));
    return {};
  }
  Expression folded = expression(*it);
  if (++it == children.end()) return folded;
  bool additive = node.rule() == Rule::add_sub_expr;
  std::vector<std::string> gaps = keyword_gaps(node);
  for (std::size_t index = 1; it != children.end(); ++it, ++index) {
    char op = operator_in(gaps[index]);
    Box<Expression> left = boxed(std::move(folded));
    Box<Expression> right = boxed(expression(*it));
    if (additive) {
      folded = op == '-' ? Expression(expr::Subtract{std::move(left), std::move(right)})
                         : Expression(expr::Add{std::move(left), std::move(right)});
    } else {
      folded = op == '/' ? Expression(expr::Divide{std::move(left), std::move(right)})
                         : Expression(expr::Multiply{std::move(left), std::move(right)});
    }
  }
  return folded;
}

Expression Steps::unary_expr(ParseNode node) {
  std::optional<ParseNode> operand;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::postfix_expr) operand = child;
  }
  if (!operand) {
    fail("Unary missing postfix");
    return {};
  }
  if (node.text().starts_with('-')) return expr::Negate{boxed(expression(*operand))};
  return expression(*operand);
}

Expression Steps::postfix_expr(ParseNode node) {
  std::optional<ParseNode> base = node.first_child();
  if (!base) {
    fail("Postfix missing atom");
    return {};
  }
  if (node.child_count() == 1) return expression(*base);
  Expression value = expression(*base);
  bool skip = true;
  for (ParseNode child : node.children()) {
    if (std::exchange(skip, false) || child.rule() != Rule::postfix_op) continue;
    std::optional<ParseNode> op = child.first_child();
    if (!op) {
      fail("Empty postfix_op");
      return {};
    }
    Box<Expression> object = boxed(std::move(value));
    switch (op->rule()) {
      case Rule::null_check_op:
        if (contains(upper_text(*op), "NOT")) {
          value = expr::IsNotNull{std::move(object)};
        } else {
          value = expr::IsNull{std::move(object)};
        }
        break;
      case Rule::property_lookup: {
        std::optional<ParseNode> key = op->first_child();
        if (!key) {
          fail("Property lookup missing key");
          return {};
        }
        value = expr::PropertyLookup{std::move(object), text_of(*key)};
        break;
      }
      case Rule::subscript_op:
        value = expr::Subscript{std::move(object),
                                boxed(first_expression(*op, "Subscript missing index"))};
        break;
      case Rule::list_slice_op: {
        expr::Slice slice{std::move(object), {}, {}};
        std::vector<std::string> gaps = keyword_gaps(*op);
        std::size_t index = 0;
        for (ParseNode bound : op->children()) {
          // A bound after the `..` is the upper one.
          (contains(gaps[index++], "..") ? slice.to : slice.from) = boxed(expression(bound));
        }
        value = std::move(slice);
        break;
      }
      case Rule::label_predicate:
        value = label_predicate(*op, std::move(object));
        break;
      case Rule::type_predicate:
        value = type_predicate(*op, std::move(object));
        break;
      case Rule::normalized_predicate:
        value = normalized_predicate(*op, std::move(object));
        break;
      default:
        value = std::move(*object);
        break;
    }
  }
  return value;
}

// Every name the expression writes, in order; anything but a conjunction of names is `any`.
Expression Steps::label_predicate(ParseNode node, Box<Expression> subject) {
  NameExpressionParts parts = name_expression(node);
  expr::HasLabels test{std::move(subject), {}, !parts.conjunction};
  for (auto& [name, pinned] : parts.names) test.labels.push_back(std::move(name));
  return test;
}

Expression Steps::type_predicate(ParseNode node, Box<Expression> subject) {
  std::optional<ParseNode> type = node.first_child();
  bool negated = contains(trim(keyword_gaps(node).front()), "NOT");
  return expr::IsTyped{std::move(subject), type ? text_of(*type) : std::string(), negated};
}

Expression Steps::normalized_predicate(ParseNode node, Box<Expression> subject) {
  std::string words = keyword_text_without_comments(node);
  std::string_view form = "NFC";
  for (std::string_view candidate : {"NFKC", "NFKD", "NFD"}) {
    if (contains(words, candidate)) {
      form = candidate;
      break;
    }
  }
  return expr::IsNormalized{std::move(subject), std::string(form), contains(words, "NOT")};
}

Expression Steps::atom(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty atom");
    return {};
  }
  return atom_child(*child);
}

Expression Steps::atom_child(ParseNode node) {
  switch (node.rule()) {
    case Rule::parenthesized_expr:
      return first_expression(node, "Empty paren expr");
    case Rule::count_star:
      return expr::CountStar{};
    case Rule::function_invocation:
      return function_invocation(node);
    case Rule::reduce_expression:
      return reduce_expression(node);
    case Rule::shortest_path_call:
      return shortest_path(node);
    case Rule::case_expression:
      return case_expression(node);
    case Rule::list_comprehension:
      return list_comprehension(node);
    case Rule::quantifier_expression:
      return quantifier(node);
    case Rule::exists_subquery:
      return exists_subquery(node);
    case Rule::pattern_comprehension:
      return pattern_comprehension(node);
    case Rule::count_subquery:
      return subquery(node, false);
    case Rule::collect_subquery:
      return subquery(node, true);
    case Rule::pattern_predicate:
      return pattern_predicate(node);
    case Rule::map_projection:
      return map_projection(node);
    case Rule::literal:
      return literal(node);
    case Rule::list_literal:
      return literal_value(node);
    case Rule::parameter:
      return expr::Parameter{parameter_name(node.text())};
    case Rule::variable:
      return expr::Variable{text_of(node)};
    default:
      fail("Unknown atom: " + std::string(node.rule_name()));
      return {};
  }
}

Expression Steps::literal(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty literal");
    return {};
  }
  return literal_value(*child);
}

Expression Steps::literal_value(ParseNode value) {
  std::string_view text = value.text();
  switch (value.rule()) {
    case Rule::integer_literal:
      return expr::Integer{integer_literal_value(text)};
    case Rule::float_literal:
      return expr::Float{float_literal_value(text)};
    case Rule::string_literal:
      return expr::String{std::string(text.size() >= 2 ? text.substr(1, text.size() - 2) : "")};
    case Rule::boolean_literal:
      return expr::Boolean{upper_text(value) == "TRUE"};
    case Rule::null_literal:
      return expr::Null{};
    case Rule::list_literal: {
      expr::List list;
      for (ParseNode item : value.children()) {
        if (item.rule() == Rule::expression) list.items.push_back(boxed(expression(item)));
      }
      return list;
    }
    case Rule::map_literal:
      return expr::Map{map_literal(value)};
    default:
      fail("Unknown literal: " + std::string(value.rule_name()));
      return {};
  }
}

Expression Steps::function_invocation(ParseNode node) {
  std::optional<ParseNode> name = node.first_child();
  if (!name) {
    fail("Function missing name");
    return {};
  }
  expr::FunctionCall call;
  call.name = text_of(*name);
  call.distinct = contains(keyword_text_without_comments(node), "DISTINCT");
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::expression) call.arguments.push_back(boxed(expression(child)));
  }
  return call;
}

Expression Steps::reduce_expression(ParseNode node) {
  static constexpr std::string_view kMissing[] = {
      "REDUCE missing accumulator", "REDUCE missing init expression",
      "REDUCE missing loop variable", "REDUCE missing source expression",
      "REDUCE missing projection expression"};
  std::optional<ParseNode> parts[5];
  for (std::size_t i = 0; i < 5; ++i) {
    parts[i] = node.child(i);
    if (!parts[i]) {
      fail(std::string(kMissing[i]));
      return {};
    }
  }
  return expr::Reduce{text_of(*parts[0]), boxed(expression(*parts[1])), text_of(*parts[2]),
                      boxed(expression(*parts[3])), boxed(expression(*parts[4]))};
}

Expression Steps::shortest_path(ParseNode node) {
  bool all = starts_with_keyword(node.text(), "ALL");
  std::optional<ParseNode> start = node.first_child();
  if (!start) {
    fail("shortestPath missing start node");
    return {};
  }
  PatternElement element;
  element.start = node_pattern(*start);
  chain(node, element);
  return expr::ShortestPath{Box<PatternElement>(std::move(element)), all};
}

// Each expression child is placed by the keyword written just before it: CASE (the subject
// of the simple form), WHEN, THEN or ELSE.
Expression Steps::case_expression(ParseNode node) {
  expr::Case result;
  std::vector<std::string> gaps = keyword_gaps(node);
  std::size_t index = 0;
  Box<Expression> pending_when;
  for (ParseNode child : node.children()) {
    std::string_view before = trim(gaps[index++]);
    Box<Expression> value = boxed(expression(child));
    if (before.ends_with("WHEN")) {
      pending_when = std::move(value);
    } else if (before.ends_with("THEN")) {
      result.alternatives.push_back({std::move(pending_when), std::move(value)});
      pending_when = Box<Expression>();
    } else if (before.ends_with("ELSE")) {
      result.default_value = std::move(value);
    } else {
      result.subject = std::move(value);
    }
  }
  return result;
}

Steps::Filter Steps::filter_expression(ParseNode node) {
  Filter filter;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::id_in_coll) {
      if (std::optional<ParseNode> variable = child.child(0)) filter.variable = text_of(*variable);
      if (std::optional<ParseNode> list = child.child(1)) filter.list = boxed(expression(*list));
    } else if (child.rule() == Rule::expression) {
      filter.where = boxed(expression(child));
    }
  }
  return filter;
}

Expression Steps::list_comprehension(ParseNode node) {
  expr::ListComprehension result{"", boxed(expr::Null{}), {}, {}};
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::filter_expression) {
      Filter filter = filter_expression(child);
      result.variable = std::move(filter.variable);
      if (filter.list) result.list = std::move(filter.list);
      result.where_clause = std::move(filter.where);
    } else if (child.rule() == Rule::expression) {
      result.projection = boxed(expression(child));
    }
  }
  return result;
}

Expression Steps::quantifier(ParseNode node) {
  Filter filter;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::filter_expression) filter = filter_expression(child);
  }
  Box<Expression> list = filter.list ? std::move(filter.list) : boxed(expr::Null{});
  std::string_view text = node.text();
  if (starts_with_keyword(text, "ALL")) {
    return expr::QuantifierAll{std::move(filter.variable), std::move(list), std::move(filter.where)};
  }
  if (starts_with_keyword(text, "ANY")) {
    return expr::QuantifierAny{std::move(filter.variable), std::move(list), std::move(filter.where)};
  }
  if (starts_with_keyword(text, "NONE")) {
    return expr::QuantifierNone{std::move(filter.variable), std::move(list),
                                std::move(filter.where)};
  }
  return expr::QuantifierSingle{std::move(filter.variable), std::move(list),
                                std::move(filter.where)};
}

Expression Steps::exists_subquery(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty EXISTS");
    return {};
  }
  if (child->rule() == Rule::regular_query) {
    return expr::Exists{ExistsBody{ExistsBody::ExistsQuery{Box<RegularQuery>(regular_query(*child))}}};
  }
  if (child->rule() == Rule::pattern) {
    return expr::Exists{ExistsBody{ExistsBody::ExistsPattern{pattern(*child)}}};
  }
  if (child->rule() == Rule::subquery_pattern) {
    // Without a WHERE it is the bare existence test; with one, the MATCH it stands for.
    if (child->child_count() == 1) {
      return from_first_child(*child, "Empty EXISTS", [&](ParseNode only) {
        return Expression(expr::Exists{ExistsBody{ExistsBody::ExistsPattern{pattern(only)}}});
      });
    }
    return expr::Exists{ExistsBody{ExistsBody::ExistsQuery{Box<RegularQuery>(implicit_match(*child))}}};
  }
  fail("Unknown EXISTS subquery type");
  return {};
}

Expression Steps::pattern_predicate(ParseNode node) {
  PatternElement element;
  chain(node, element);
  return expr::PatternPredicate{Box<PatternElement>(std::move(element))};
}

RegularQuery Steps::implicit_match(ParseNode node) {
  SinglePartQuery query;
  query.reading_clauses.push_back(ReadingClause{match_clause(node)});
  return RegularQuery{SingleQuery{std::move(query)}, {}};
}

Expression Steps::pattern_comprehension(ParseNode node) {
  std::optional<ParseNode> first = node.first_child();
  expr::PatternComprehension result;
  if (first && first->rule() == Rule::variable) {
    result.path_variable = text_of(*first);
    first = node.child(1);
  }
  if (!first) {
    fail("Pattern comprehension missing pattern");
    return {};
  }
  result.pattern = Box<PatternElement>(pattern_element(*first));
  std::vector<ParseNode> expressions;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::expression) expressions.push_back(child);
  }
  if (expressions.empty()) {
    fail("Pattern comprehension missing projection");
    return {};
  }
  if (expressions.size() >= 2) result.where_clause = boxed(expression(expressions.front()));
  result.projection = boxed(expression(expressions.back()));
  return result;
}

Expression Steps::subquery(ParseNode node, bool collect) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail(collect ? "Empty COLLECT subquery" : "Empty COUNT subquery");
    return {};
  }
  Box<RegularQuery> query(child->rule() == Rule::subquery_pattern ? implicit_match(*child)
                                                                   : regular_query(*child));
  if (collect) return expr::CollectSubquery{std::move(query)};
  return expr::CountSubquery{std::move(query)};
}

}  // namespace qarvex::build
