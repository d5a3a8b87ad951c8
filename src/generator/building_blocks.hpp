// The pieces every generated query is assembled from: the schema's names in listing order and
// the random choices among them. Each block draws exactly what its comment says, in that
// order, and nothing when it falls back to a default.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/random.hpp"
#include "schema/schema.hpp"

namespace qarvex {

struct TypeEntry {
  std::string name;
  std::vector<std::pair<std::string, std::string>> pairs;  // (source, target), in order
};

// A relationship type with one of its endpoint pairs.
struct TypePick {
  std::string_view name;
  std::string_view source;
  std::string_view target;
};

// What the generator keeps of a schema, fixed at construction.
struct SchemaNames {
  explicit SchemaNames(const Schema& schema);

  std::vector<std::string> labels;  // ascending
  std::vector<TypeEntry> types;     // ascending by name, with their endpoint pairs
  NameMap<std::vector<std::string>> properties;  // per declared label, ascending
};

class QueryDraws {
 public:
  QueryDraws(const SchemaNames& names, Random& random) : names_(names), random_(random) {}

  // "Node" without a draw when the schema has no labels; otherwise one below.
  std::string_view pick_label();
  // None without a draw when the label is undeclared or has no properties; otherwise one below.
  std::optional<std::string_view> pick_property(std::string_view label);
  // " {key: literal, ...}" with one to three distinct keys, or "" without a draw.
  std::string property_map(std::string_view label);
  // A string, integer, boolean or parameter literal: below(4) and then the kind's own draw.
  std::string random_literal();
  // The right-hand side of an equality: below(3), then below(4) or below(3).
  std::string_view comparison_value();
  // " LIMIT k" with k in [1, 50] when below(3) is 0, otherwise "".
  std::string limit_suffix();
  // None without a draw when the schema has no relationship types; otherwise one below for
  // the type and, when it has several endpoint pairs, one below for the pair.
  std::optional<TypePick> pick_type();

  Random& random() { return random_; }

 private:
  std::uint32_t index_below(std::size_t size);

  const SchemaNames& names_;
  Random& random_;
};

}  // namespace qarvex
