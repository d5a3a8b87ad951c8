// The graph schema: node labels with their property keys, relationship types with their
// endpoint labels and property keys. Built once, never modified; every listing is sorted by
// the names' UTF-8 bytes, while storage is unordered.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qarvex {

// Hashing that accepts std::string_view, so lookups never allocate a temporary string.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const noexcept {
    return std::hash<std::string_view>{}(name);
  }
};

using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;
template <typename Value>
using NameMap = std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;

struct RelationshipType {
  std::string source;
  std::string target;
  NameSet properties;
};

struct Endpoints {
  std::string_view source;
  std::string_view target;
};

class Schema {
 public:
  Schema() = default;
  Schema(NameMap<NameSet> nodes, NameMap<RelationshipType> relationships)
      : nodes_(std::move(nodes)), relationships_(std::move(relationships)) {}

  std::vector<std::string> sorted_labels() const;
  std::vector<std::string> sorted_types() const;
  bool has_label(std::string_view label) const { return nodes_.contains(label); }
  bool has_type(std::string_view type) const { return relationships_.contains(type); }
  std::vector<std::string> sorted_label_properties(std::string_view label) const;
  std::vector<std::string> sorted_type_properties(std::string_view type) const;
  bool label_has_property(std::string_view label, std::string_view key) const;
  bool type_has_property(std::string_view type, std::string_view key) const;
  std::optional<Endpoints> endpoints(std::string_view type) const;

  // Every entry in the containers' own (unspecified) iteration order.
  const NameMap<NameSet>& nodes() const { return nodes_; }
  const NameMap<RelationshipType>& relationships() const { return relationships_; }

  bool empty() const { return nodes_.empty() && relationships_.empty(); }

 private:
  NameMap<NameSet> nodes_;
  NameMap<RelationshipType> relationships_;
};

// The union of both schemas: property sets are merged; for a relationship type in both,
// the endpoints of `base` are kept.
Schema merge(const Schema& base, const Schema& other);

// Names sorted by their UTF-8 bytes (code-point order, a prefix first).
std::vector<std::string> sorted_names(const NameSet& names);

}  // namespace qarvex
