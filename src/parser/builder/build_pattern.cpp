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
    } else if (child.rule() == Rule::pattern_element) {
      part.element = pattern_element(child);
      has_element = true;
    }
  }
  if (!has_element) fail("Pattern part missing element");
  return part;
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
    std::optional<ParseNode> start = first->first_child();
    if (!start) {
      fail("shortestPath missing node");
      return element;
    }
    element.start = node_pattern(*start);
    chain(*first, element);
    return element;
  }
  element.start = node_pattern(*first);
  chain(node, element);
  return element;
}

// Pairs each relationship_pattern child after the first child (the start node) with the
// node_pattern that follows it.
void Steps::chain(ParseNode node, PatternElement& element) {
  std::optional<RelationshipPattern> pending;
  bool first = true;
  for (ParseNode child : node.children()) {
    if (std::exchange(first, false)) continue;
    if (child.rule() == Rule::relationship_pattern) {
      pending = relationship_pattern(child);
    } else if (child.rule() == Rule::node_pattern && pending) {
      element.chain.push_back({std::move(*pending), node_pattern(child)});
      pending.reset();
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
      case Rule::properties:
        result.properties = properties(child);
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
      case Rule::range_literal:
        // Comments may stand between the star and the bounds; they are no part of either.
        result.range = range_literal_value(text_without_comments(child));
        break;
      case Rule::properties:
        result.properties = properties(child);
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
