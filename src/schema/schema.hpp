// The graph schema: node labels with their property keys, relationship types with their
// endpoint label pairs and property keys. Built once, never modified; every listing is sorted
// by the names' UTF-8 bytes, while storage is unordered.
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

// One (source label, target label) pair of a relationship type, with the keys declared on it.
struct EndpointEntry {
  std::string source;
  std::string target;
  NameSet properties;
};

// A relationship type: a non-empty list of entries with distinct (source, target) pairs, in the
// order they were first given, and the union of their keys, which every property check reads.
class RelationshipType {
 public:
  explicit RelationshipType(EndpointEntry first);
  RelationshipType(std::string source, std::string target, NameSet properties)
      : RelationshipType(
            EndpointEntry{std::move(source), std::move(target), std::move(properties)}) {}

  // The entries in order, each added as by `add`; none for an empty list.
  static std::optional<RelationshipType> from_entries(std::vector<EndpointEntry> entries);

  // A pair already held gains the entry's keys in its place; a new pair goes last.
  void add(EndpointEntry entry);

  const std::vector<EndpointEntry>& entries() const { return entries_; }
  const NameSet& properties() const { return properties_; }

 private:
  std::vector<EndpointEntry> entries_;
  NameSet properties_;
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
  // The type's first pair; none for an unknown type.
  std::optional<Endpoints> endpoints(std::string_view type) const;
  // Every pair of the type in order; empty for an unknown type.
  std::vector<Endpoints> endpoint_pairs(std::string_view type) const;
  // Null for an unknown type.
  const RelationshipType* relationship(std::string_view type) const;

  // Every entry in the containers' own (unspecified) iteration order.
  const NameMap<NameSet>& nodes() const { return nodes_; }
  const NameMap<RelationshipType>& relationships() const { return relationships_; }

  bool empty() const { return nodes_.empty() && relationships_.empty(); }

 private:
  NameMap<NameSet> nodes_;
  NameMap<RelationshipType> relationships_;
};

// The union of both schemas: property sets are merged; a relationship type in both keeps the
// pairs of `base` first and gains the new pairs of `other`, keys united pair by pair.
Schema merge(const Schema& base, const Schema& other);

// Names sorted by their UTF-8 bytes (code-point order, a prefix first).
std::vector<std::string> sorted_names(const NameSet& names);

}  // namespace qarvex
