#include "schema/schema.hpp"

#include <algorithm>

namespace qarvex {
namespace {

template <typename Map>
std::vector<std::string> sorted_keys(const Map& map) {
  std::vector<std::string> keys;
  keys.reserve(map.size());
  for (const auto& entry : map) keys.push_back(entry.first);
  // std::string orders by unsigned bytes (char_traits compares like memcmp): UTF-8 byte order.
  std::sort(keys.begin(), keys.end());
  return keys;
}

}  // namespace

std::vector<std::string> sorted_names(const NameSet& names) {
  std::vector<std::string> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

RelationshipType::RelationshipType(EndpointEntry first) {
  properties_ = first.properties;
  entries_.push_back(std::move(first));
}

std::optional<RelationshipType> RelationshipType::from_entries(std::vector<EndpointEntry> entries) {
  if (entries.empty()) return std::nullopt;
  RelationshipType rel(std::move(entries.front()));
  for (std::size_t i = 1; i < entries.size(); ++i) rel.add(std::move(entries[i]));
  return rel;
}

void RelationshipType::add(EndpointEntry entry) {
  properties_.insert(entry.properties.begin(), entry.properties.end());
  auto same_pair = [&](const EndpointEntry& held) {
    return held.source == entry.source && held.target == entry.target;
  };
  auto held = std::find_if(entries_.begin(), entries_.end(), same_pair);
  if (held == entries_.end()) {
    entries_.push_back(std::move(entry));
  } else {
    held->properties.merge(entry.properties);
  }
}

std::vector<std::string> Schema::sorted_labels() const { return sorted_keys(nodes_); }

std::vector<std::string> Schema::sorted_types() const { return sorted_keys(relationships_); }

std::vector<std::string> Schema::sorted_label_properties(std::string_view label) const {
  auto found = nodes_.find(label);
  return found == nodes_.end() ? std::vector<std::string>{} : sorted_names(found->second);
}

std::vector<std::string> Schema::sorted_type_properties(std::string_view type) const {
  auto found = relationships_.find(type);
  return found == relationships_.end() ? std::vector<std::string>{}
                                       : sorted_names(found->second.properties());
}

bool Schema::label_has_property(std::string_view label, std::string_view key) const {
  auto found = nodes_.find(label);
  return found != nodes_.end() && found->second.contains(key);
}

bool Schema::type_has_property(std::string_view type, std::string_view key) const {
  auto found = relationships_.find(type);
  return found != relationships_.end() && found->second.properties().contains(key);
}

std::optional<Endpoints> Schema::endpoints(std::string_view type) const {
  const RelationshipType* rel = relationship(type);
  if (rel == nullptr) return std::nullopt;
  const EndpointEntry& first = rel->entries().front();
  return Endpoints{first.source, first.target};
}

std::vector<Endpoints> Schema::endpoint_pairs(std::string_view type) const {
  std::vector<Endpoints> pairs;
  if (const RelationshipType* rel = relationship(type)) {
    for (const EndpointEntry& entry : rel->entries()) pairs.push_back({entry.source, entry.target});
  }
  return pairs;
}

const RelationshipType* Schema::relationship(std::string_view type) const {
  auto found = relationships_.find(type);
  return found == relationships_.end() ? nullptr : &found->second;
}

Schema merge(const Schema& base, const Schema& other) {
  NameMap<NameSet> nodes = base.nodes();
  NameMap<RelationshipType> relationships = base.relationships();
  for (const auto& [label, properties] : other.nodes()) {
    nodes[label].insert(properties.begin(), properties.end());
  }
  for (const auto& [type, rel] : other.relationships()) {
    auto [slot, inserted] = relationships.try_emplace(type, rel);
    if (inserted) continue;
    for (const EndpointEntry& entry : rel.entries()) slot->second.add(entry);
  }
  return Schema(std::move(nodes), std::move(relationships));
}

}  // namespace qarvex
