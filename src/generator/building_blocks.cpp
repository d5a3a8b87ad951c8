#include "generator/building_blocks.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace qarvex {
namespace {

constexpr std::string_view default_label = "Node";
constexpr std::array<std::string_view, 5> string_literals{"\"Alice\"", "\"Bob\"", "\"Carol\"",
                                                          "\"Neo4j\"", "\"hello\""};
constexpr std::array<std::string_view, 4> parameters{"$name", "$id", "$value", "$limit"};
constexpr std::size_t max_map_entries = 3;

// No list the generator picks from can reach 2^32 entries in memory; the clamp only keeps the
// conversion well defined.
std::uint32_t clamped_size(std::size_t size) {
  constexpr std::size_t widest = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(std::min(size, widest));
}

}  // namespace

SchemaNames::SchemaNames(const Schema& schema) : labels(schema.sorted_labels()) {
  for (const std::string& label : labels) {
    properties.emplace(label, schema.sorted_label_properties(label));
  }
  for (std::string& name : schema.sorted_types()) {
    TypeEntry type{std::move(name), {}};
    for (const Endpoints& ends : schema.endpoint_pairs(type.name)) {
      type.pairs.emplace_back(ends.source, ends.target);
    }
    types.push_back(std::move(type));
  }
}

std::uint32_t QueryDraws::index_below(std::size_t size) {
  return random_.below(clamped_size(size));
}

std::string_view QueryDraws::pick_label() {
  if (names_.labels.empty()) return default_label;
  return names_.labels[index_below(names_.labels.size())];
}

std::optional<std::string_view> QueryDraws::pick_property(std::string_view label) {
  auto found = names_.properties.find(label);
  if (found == names_.properties.end() || found->second.empty()) return std::nullopt;
  return found->second[index_below(found->second.size())];
}

std::string QueryDraws::property_map(std::string_view label) {
  auto found = names_.properties.find(label);
  if (found == names_.properties.end() || found->second.empty()) return {};
  const std::vector<std::string>& keys = found->second;
  const std::uint32_t count = index_below(std::min(keys.size(), max_map_entries)) + 1;
  std::string map = " {";
  bool first = true;
  for (std::uint32_t index : random_.sample(clamped_size(keys.size()), count)) {
    if (!first) map += ", ";
    first = false;
    map += keys[index];
    map += ": ";
    map += random_literal();
  }
  map += '}';
  return map;
}

std::string QueryDraws::random_literal() {
  switch (random_.below(4)) {
    case 0:
      return std::string(string_literals[random_.below(string_literals.size())]);
    case 1:
      return std::to_string(random_.between(1, 100));
    case 2:
      return random_.coin() ? "true" : "false";
    default:
      return std::string(parameters[random_.below(parameters.size())]);
  }
}

std::string_view QueryDraws::comparison_value() {
  // "hello" (the last string) and "$limit" (the last parameter) are never compared against.
  if (random_.below(3) != 0) return string_literals[random_.below(4)];
  return parameters[random_.below(3)];
}

std::string QueryDraws::limit_suffix() {
  if (random_.below(3) != 0) return {};
  return " LIMIT " + std::to_string(random_.between(1, 50));
}

std::optional<TypePick> QueryDraws::pick_type() {
  if (names_.types.empty()) return std::nullopt;
  const TypeEntry& type = names_.types[index_below(names_.types.size())];
  // A one-pair type draws nothing more, so that its queries stay as they were.
  const std::size_t pair = type.pairs.size() == 1 ? 0 : index_below(type.pairs.size());
  const auto& [source, target] = type.pairs[pair];
  return TypePick{type.name, source, target};
}

}  // namespace qarvex
