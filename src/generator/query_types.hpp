// The thirteen kinds of generated query, each a template filled by draws in a fixed order.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "generator/building_blocks.hpp"

namespace qarvex {

struct QueryType {
  std::string_view name;
  std::string (*build)(QueryDraws& draws);
};

inline constexpr std::size_t query_type_count = 13;

// In the order in which the generator lists its supported types.
const std::array<QueryType, query_type_count>& query_types();

// The type named exactly (case-sensitive) `name`, or null.
const QueryType* find_query_type(std::string_view name);

}  // namespace qarvex
