// The variables visible at one point of a query, each with the labels (for a node) or types
// (for a relationship) that its patterns gave it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "schema/schema.hpp"

namespace qarvex {

class VariableScope {
 public:
  using Names = std::vector<std::string>;

  bool contains(std::string_view name) const { return entries_.contains(name); }
  // The variable's labels or types; null when the name is not bound.
  const Names* find(std::string_view name) const;
  // Every bound name, sorted by UTF-8 bytes.
  Names sorted_names() const;

  // A node or relationship variable: the first binding takes `names`; a later one adds those
  // it does not hold yet, in order.
  void bind_pattern_variable(const std::string& name, const Names& names);
  // Any other binding: replaces whatever the name held.
  void bind_plain(const std::string& name, Names names = {});
  // Binds `name` for the body of a comprehension, quantifier, reduce or FOREACH; returns
  // whether it was inserted (an existing binding is left untouched and must not be removed).
  bool bind_temporary(const std::string& name);
  void unbind(std::string_view name);
  void clear() { entries_.clear(); }
  // Calls visit(name, names) for every binding, in no particular order.
  template <typename Visit>
  void for_each(Visit&& visit) const {
    for (const auto& [name, names] : entries_) visit(name, names);
  }

 private:
  NameMap<Names> entries_;
};

}  // namespace qarvex
