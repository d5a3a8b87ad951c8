// The names a query uses, found without a schema: node labels, relationship types and property
// keys, each listed once and sorted by UTF-8 bytes.
#pragma once

#include <string>
#include <vector>

#include "parser/ast.hpp"

namespace qarvex {

struct QueryNames {
  std::vector<std::string> labels;
  std::vector<std::string> rel_types;
  std::vector<std::string> properties;
};

// Walks the clauses and expressions that name graph elements. It deliberately leaves out WITH
// projections, ORDER BY / SKIP / LIMIT, UNWIND, procedure calls, SET / REMOVE / DELETE /
// FOREACH, MERGE actions, relationship property maps and quantifier predicates. Never fails.
QueryNames collect_query_info(const Query& query);

}  // namespace qarvex
