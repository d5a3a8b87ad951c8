// Build steps for patterns, node and relationship patterns, and property maps.
#include <string_view>
#include <unordered_map>
#include <utility>

#include "parser/builder/literals.hpp"
#include "parser/builder/node_text.hpp"
#include "parser/builder/steps.hpp"

namespace qarvex::build {
namespace {

// Collects map entries in the order each key was first written; a repeated key takes the
// later value. Short maps are searched directly, longer ones through an index.
class MapEntries {
 public:
  void put(std::string key, Box<Expression> value) {
    if (std::optional<std::size_t> at = find(key)) {
      entries_[*at].value = std::move(value);
      return;
    }
    if (!index_.empty() || entries_.size() >= kDirectSearchLimit) {
      if (index_.empty()) {
        for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].key, i);
      }
      index_.emplace(key, entries_.size());
    }
    entries_.push_back({std::move(key), std::move(value)});
  }

  PropertyMap take() { return PropertyMap{std::move(entries_)}; }

 private:
  static constexpr std::size_t kDirectSearchLimit = 16;

  std::optional<std::size_t> find(const std::string& key) const {
    if (!index_.empty()) {
      auto found = index_.find(key);
      if (found == index_.end()) return std::nullopt;
      return found->second;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].key == key) return i;
    }
    return std::nullopt;
  }

  std::vector<PropertyEntry> entries_;
  std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace

Pattern Steps::pattern(ParseNode node) {
  Pattern result;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::pattern_part) result.parts.push_back(pattern_part(child));
  }
  return result;
}

PatternPart Steps::pattern_part(ParseNode node) {
  PatternPart part;
  bool has_element = false;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::variable) {
      part.variable = text_of(child);
    } else if (child.rule() == Rule::path_selector) {
      part.selector = path_selector(child);
    } else if (child.rule() == Rule::pattern_element) {
      part.element = pattern_element(child);
      has_element = true;
    }
  }
  if (!has_element) fail("Pattern part missing element");
  return part;
}

PathSelector Steps::path_selector(ParseNode node) {
  using Kind = PathSelector::Kind;
  PathSelector selector;
  std::string words = keyword_text_without_comments(node);
  bool shortest = contains(words, "SHORTEST");
  if (contains(words, "GROUP")) {
    selector.kind = Kind::ShortestGroups;
  } else if (starts_with_keyword(trim(words), "ALL")) {
    selector.kind = shortest ? Kind::AllShortest : Kind::All;
  } else if (starts_with_keyword(trim(words), "ANY")) {
    selector.kind = shortest ? Kind::AnyShortest : Kind::Any;
  } else {
    selector.kind = Kind::Shortest;
  }
  if (std::optional<ParseNode> count = node.first_child()) {
    selector.count = integer_literal_value(count->text());
  }
  return selector;
}

PatternElement Steps::pattern_element(ParseNode node) {
  PatternElement element;
  std::optional<ParseNode> first = node.first_child();
  if (!first) {
    fail("Pattern element missing node");
    return element;
  }
  // A shortest path written as a pattern is an ordinary element: the call leaves no trace.
  if (first->rule() == Rule::shortest_path_call) {
    if (!first->first_child()) {
      fail("shortestPath missing node");
      return element;
    }
    chain(*first, element);
    return element;
  }
  chain(node, element);
  return element;
}

// Reads the children of `node` in order: the first node pattern is the start, each
// relationship_pattern (with the quantifier after it, if any) pairs with the node_pattern that
// follows it, and a quantified path pattern pairs with the node written after it or, when
// none is, with an anonymous node.
void Steps::chain(ParseNode node, PatternElement& element) {
  std::optional<RelationshipPattern> pending;
  std::optional<QuantifiedPath> group;
  bool started = false;
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::node_pattern:
        if (!started) {
          element.start = node_pattern(child);
          started = true;
        } else if (pending) {
          element.chain.push_back({std::move(*pending), node_pattern(child), std::nullopt});
          pending.reset();
        } else if (group) {
          element.chain.push_back({{}, node_pattern(child), std::move(group)});
          group.reset();
        }
        break;
      case Rule::relationship_pattern:
        pending = relationship_pattern(child);
        break;
      case Rule::quantifier:
        if (pending) pending->quantifier = path_quantifier(child);
        break;
      case Rule::quantified_path:
        started = true;
        if (group) element.chain.push_back({{}, {}, std::move(group)});
        group = quantified_path(child);
        break;
      default:
        break;
    }
  }
  if (group) element.chain.push_back({{}, {}, std::move(group)});
}

QuantifiedPath Steps::quantified_path(ParseNode node) {
  QuantifiedPath path;
  PatternElement inner;
  chain(node, inner);
  path.element = Box<PatternElement>(std::move(inner));
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::where_clause) {
      path.where_clause = boxed(first_expression(child, "Empty WHERE"));
    } else if (child.rule() == Rule::quantifier) {
      path.quantifier = path_quantifier(child);
    }
  }
  return path;
}

// «+» is {1, -}, «*» {0, -}, «{n}» {n, n}; braces with a comma keep the bounds written.
LengthRange Steps::path_quantifier(ParseNode node) {
  std::string symbols = keyword_text_without_comments(node);
  if (contains(symbols, "+")) return {1, std::nullopt};
  if (contains(symbols, "*")) return {0, std::nullopt};
  LengthRange range;
  std::vector<std::string> gaps = keyword_gaps(node);
  std::size_t index = 0;
  bool comma = contains(symbols, ",");
  for (ParseNode bound : node.children()) {
    std::int64_t value = integer_literal_value(bound.text());
    // A bound written after the comma is the upper one.
    if (!comma) {
      range.min = range.max = value;
    } else {
      (contains(gaps[index], ",") ? range.max : range.min) = value;
    }
    ++index;
  }
  return range;
}

namespace {

bool is_name_rule(Rule rule) { return rule == Rule::label_name || rule == Rule::rel_type_name; }

}  // namespace

// Names go to `pinned` while every operator above them is a conjunction, and clear `choice`
// or `conjunction` as soon as the expression is more than a choice or a conjunction of names.
void Steps::name_expression(ParseNode node, bool pinning, NameExpressionParts& parts) {
  Rule rule = node.rule();
  if (is_name_rule(rule)) {
    parts.names.push_back({text_of(node), pinning});
    return;
  }
  if (rule == Rule::dynamic_name) {
    parts.dynamic.push_back(boxed(first_expression(node, "Empty dynamic name")));
    parts.choice = parts.conjunction = false;
    return;
  }
  std::size_t children = node.child_count();
  bool operands_pin = pinning;
  if (rule == Rule::label_or || rule == Rule::type_or) {
    if (children > 1) parts.conjunction = false;
    operands_pin = pinning && children == 1;
  } else if (rule == Rule::label_and || rule == Rule::type_and) {
    if (children > 1) parts.choice = false;
  } else if (rule == Rule::label_not || rule == Rule::type_not) {
    parts.choice = parts.conjunction = false;
    operands_pin = false;
  } else if ((rule == Rule::label_atom || rule == Rule::type_atom) && children == 0) {
    parts.choice = parts.conjunction = false;  // «%»
  }
  for (ParseNode child : node.children()) name_expression(child, operands_pin, parts);
}

Steps::NameExpressionParts Steps::name_expression(ParseNode node) {
  NameExpressionParts parts;
  name_expression(node, true, parts);
  return parts;
}

void Steps::labels_and_dynamic(ParseNode node, std::vector<std::string>& labels,
                               std::vector<Expression>& dynamic) {
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::dynamic_name) {
      dynamic.push_back(first_expression(child, "Empty dynamic name"));
    } else {
      labels.push_back(text_of(child));
    }
  }
}

NodePattern Steps::node_pattern(ParseNode node) {
  NodePattern result;
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::variable:
        result.variable = text_of(child);
        break;
      case Rule::node_labels:
        result.labels = child_texts(child);
        break;
      case Rule::label_expression: {
        NameExpressionParts parts = name_expression(child);
        for (auto& [name, pinned] : parts.names) {
          (pinned ? result.labels : result.other_labels).push_back(std::move(name));
        }
        result.dynamic_labels = std::move(parts.dynamic);
        break;
      }
      case Rule::properties:
        result.properties = properties(child);
        break;
      case Rule::where_clause:
        result.where_clause = boxed(first_expression(child, "Empty WHERE"));
        break;
      default:
        break;
    }
  }
  return result;
}

RelationshipPattern Steps::relationship_pattern(ParseNode node) {
  RelationshipPattern result;
  std::string_view text = node.text();
  result.direction = text.starts_with('<')  ? Direction::Left
                     : text.ends_with('>') ? Direction::Right
                                           : Direction::Both;
  for (ParseNode child : node.children()) {
    switch (child.rule()) {
      case Rule::variable:
        result.variable = text_of(child);
        break;
      case Rule::rel_types:
        result.types = child_texts(child);
        break;
      case Rule::type_expression: {
        // Only a choice of plain types names the types a match may have.
        NameExpressionParts parts = name_expression(child);
        for (auto& [name, pinned] : parts.names) {
          (parts.choice ? result.types : result.other_types).push_back(std::move(name));
        }
        result.dynamic_types = std::move(parts.dynamic);
        break;
      }
      case Rule::range_literal:
        // Comments may stand between the star and the bounds; they are no part of either.
        result.range = range_literal_value(text_without_comments(child));
        break;
      case Rule::properties:
        result.properties = properties(child);
        break;
      case Rule::where_clause:
        result.where_clause = boxed(first_expression(child, "Empty WHERE"));
        break;
      default:
        break;
    }
  }
  return result;
}

Properties Steps::properties(ParseNode node) {
  std::optional<ParseNode> child = node.first_child();
  if (!child) {
    fail("Empty properties");
    return {};
  }
  if (child->rule() == Rule::map_literal) return Properties{Properties::Map{map_literal(*child)}};
  if (child->rule() == Rule::parameter) {
    return Properties{Properties::Parameter{parameter_name(child->text())}};
  }
  fail("Unknown properties type");
  return {};
}

PropertyMap Steps::map_literal(ParseNode node) {
  MapEntries entries;
  for (ParseNode pair : node.children()) {
    if (pair.rule() != Rule::property_key_value_pair) continue;
    std::optional<ParseNode> key = pair.child(0);
    if (!key) {
      fail("Map missing key");
      continue;
    }
    std::optional<ParseNode> value = pair.child(1);
    if (!value) {
      fail("Map missing value");
      continue;
    }
    entries.put(text_of(*key), boxed(expression(*value)));
  }
  return entries.take();
}

// «n {.a, .*, k: v, var}»: a `.a` item reads a property of n; `var` is the entry «var: var».
Expression Steps::map_projection(ParseNode node) {
  expr::MapProjection projection;
  MapEntries entries;
  for (ParseNode child : node.children()) {
    if (child.rule() == Rule::variable) {
      projection.variable = text_of(child);
      continue;
    }
    if (child.rule() != Rule::map_projection_item) continue;
    std::optional<ParseNode> first = child.child(0);
    if (!first) {
      projection.all_properties = true;
    } else if (first->rule() == Rule::variable) {
      entries.put(text_of(*first), boxed(expr::Variable{text_of(*first)}));
    } else if (std::optional<ParseNode> value = child.child(1)) {
      entries.put(text_of(*first), boxed(expression(*value)));
    } else {
      projection.keys.push_back(text_of(*first));
    }
  }
  projection.entries = entries.take();
  return projection;
}

}  // namespace qarvex::build
