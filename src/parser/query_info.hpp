// What a query uses, found without a schema: node labels, relationship types, property keys and
// the procedures it calls, each listed once and sorted by UTF-8 bytes; and whether it changes
// the graph.
#pragma once

#include <string>
#include <vector>

#include "parser/ast.hpp"

namespace qarvex {

struct QueryNames {
  std::vector<std::string> labels;
  std::vector<std::string> rel_types;
  std::vector<std::string> properties;
  std::vector<std::string> procedures;  // full names, as procedure_name gives them
  bool updates = false;                 // an updating clause stands anywhere in the query
};

// Walks the clauses and expressions that name graph elements. It deliberately leaves out WITH
// projections, ORDER BY / SKIP / LIMIT, UNWIND, procedure calls, SET / REMOVE / DELETE /
// FOREACH, MERGE actions, relationship property maps and quantifier predicates from the names;
// the procedures and the updates come from every clause (clause_list.hpp). Never fails.
QueryNames collect_query_info(const Query& query);

}  // namespace qarvex
