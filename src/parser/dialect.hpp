// The Cypher dialects a query can be read in: the core grammar, or the Cypher that Neo4j 5 runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qarvex {

enum class Dialect : std::uint8_t { core, neo4j };

// The dialect of that exact name ("core", "neo4j").
constexpr std::optional<Dialect> dialect_by_name(std::string_view name) {
  if (name == "core") return Dialect::core;
  if (name == "neo4j") return Dialect::neo4j;
  return std::nullopt;
}

constexpr std::string_view dialect_name(Dialect dialect) {
  return dialect == Dialect::neo4j ? "neo4j" : "core";
}

}  // namespace qarvex
