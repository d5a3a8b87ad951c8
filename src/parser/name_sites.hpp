// Where a query writes the names of its schema: every node label, relationship type and
// property key, as the parse tree holds them. The corrected query puts names right at exactly
// these places, so a string, a comment or a variable of the same spelling is never touched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parser/parse_tree.hpp"

namespace qarvex {

enum class NameKind : std::uint8_t { NodeLabel, RelationshipType, PropertyKey };

struct NameSite {
  NameKind kind;
  std::uint32_t begin;  // the name's bytes in the text, backticks included
  std::uint32_t end;
};

// In source order: labels of node patterns and of SET and REMOVE items, types of relationship
// patterns, keys of property lookups and of map literals.
std::vector<NameSite> name_sites(const ParseTree& tree);

// The name a text writes in the Neo4j dialect: one backticked name is its inside with each
// doubled backtick made single («`a``b`» is a`b); any other text is the name as it stands.
std::string unquoted_name(std::string_view text);

}  // namespace qarvex
