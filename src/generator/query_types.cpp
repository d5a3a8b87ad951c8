#include "generator/query_types.hpp"

#include <initializer_list>
#include <optional>

namespace qarvex {
namespace {

std::string concat(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  std::string text;
  text.reserve(size);
  for (std::string_view part : parts) text += part;
  return text;
}

// Every builder draws into locals, one statement per draw: the operands of one concatenation
// would be evaluated in an unspecified order.

std::string match_return(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::string limit = draws.limit_suffix();
  return concat({"MATCH (n:", label, ") RETURN n", limit});
}

std::string match_where_return(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  if (!property) {
    const std::string limit = draws.limit_suffix();
    return concat({"MATCH (n:", label, ") RETURN n", limit});
  }
  const std::string_view value = draws.comparison_value();
  const std::string limit = draws.limit_suffix();
  return concat({"MATCH (n:", label, ") WHERE n.", *property, " = ", value, " RETURN n.",
                 *property, limit});
}

std::string create_or_merge(QueryDraws& draws, std::string_view verb) {
  const std::string_view label = draws.pick_label();
  const std::string map = draws.property_map(label);
  return concat({verb, " (n:", label, map, ") RETURN n"});
}

std::string create(QueryDraws& draws) { return create_or_merge(draws, "CREATE"); }
std::string merge(QueryDraws& draws) { return create_or_merge(draws, "MERGE"); }

std::string aggregation(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  if (!property) return concat({"MATCH (n:", label, ") RETURN count(n) AS result"});
  return concat({"MATCH (n:", label, ") RETURN count(n.", *property, ") AS result"});
}

std::string match_relationship(QueryDraws& draws) {
  const std::optional<TypePick> type = draws.pick_type();
  if (!type) {
    const std::string_view label = draws.pick_label();
    return concat({"MATCH (n:", label, ") RETURN n"});
  }
  const bool optional = draws.random().quarter();
  return concat({optional ? "OPTIONAL " : "", "MATCH (a:", type->source, ")-[r:", type->name,
                 "]->(b:", type->target, ") RETURN a, r, b"});
}

std::string create_relationship(QueryDraws& draws) {
  const std::optional<TypePick> type = draws.pick_type();
  if (!type) {
    const std::string_view label = draws.pick_label();
    return concat({"CREATE (n:", label, ") RETURN n"});
  }
  return concat({"MATCH (a:", type->source, "),(b:", type->target, ") CREATE (a)-[r:",
                 type->name, "]->(b) RETURN r"});
}

std::string match_set(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  if (!property) return concat({"MATCH (n:", label, ") RETURN n"});
  const std::string_view value = draws.comparison_value();
  return concat({"MATCH (n:", label, ") SET n.", *property, " = ", value, " RETURN n"});
}

std::string match_delete(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  return concat({"MATCH (n:", label, ") DETACH DELETE n"});
}

std::string with_chain(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  if (!property) return concat({"MATCH (n:", label, ") WITH n AS val RETURN count(*)"});
  return concat({"MATCH (n:", label, ") WITH n.", *property, " AS val RETURN count(*)"});
}

std::string distinct_return(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  const std::string limit = draws.limit_suffix();
  if (!property) return concat({"MATCH (n:", label, ") RETURN DISTINCT n", limit});
  return concat({"MATCH (n:", label, ") RETURN DISTINCT n.", *property, limit});
}

std::string order_by(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  // Drawn even when there is no property to sort by, so that the draws do not depend on it.
  const bool descending = !draws.random().coin();
  const std::string limit = draws.limit_suffix();
  if (!property) return concat({"MATCH (n:", label, ") RETURN n ORDER BY n", limit});
  return concat({"MATCH (n:", label, ") RETURN n ORDER BY n.", *property,
                 descending ? " DESC" : "", limit});
}

std::string unwind(QueryDraws& draws) {
  const std::string_view label = draws.pick_label();
  const std::optional<std::string_view> property = draws.pick_property(label);
  const std::uint32_t count = draws.random().below(3) + 2;
  // The literals are drawn in both forms, and only the list form uses them.
  std::string list;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i > 0) list += ", ";
    list += draws.random_literal();
  }
  if (property) {
    return concat({"MATCH (n:", label, ") UNWIND n.", *property, " AS item RETURN item"});
  }
  return concat({"UNWIND [", list, "] AS item RETURN item"});
}

constexpr std::array<QueryType, query_type_count> table{{
    {"match_return", match_return},
    {"match_where_return", match_where_return},
    {"create", create},
    {"merge", merge},
    {"aggregation", aggregation},
    {"match_relationship", match_relationship},
    {"create_relationship", create_relationship},
    {"match_set", match_set},
    {"match_delete", match_delete},
    {"with_chain", with_chain},
    {"distinct_return", distinct_return},
    {"order_by", order_by},
    {"unwind", unwind},
}};

}  // namespace

const std::array<QueryType, query_type_count>& query_types() { return table; }

const QueryType* find_query_type(std::string_view name) {
  for (const QueryType& type : table) {
    if (type.name == name) return &type;
  }
  return nullptr;
}

}  // namespace qarvex
