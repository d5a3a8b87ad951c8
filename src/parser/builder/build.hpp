// The build of one parse tree into a syntax tree. Callers that start from text use the
// parser's entry (parser/parser.hpp).
#pragma once

#include "parser/parse_tree.hpp"
#include "parser/parser.hpp"

namespace qarvex {

// Builds the query of a `cypher` node. The first failure anywhere ends the build and is the
// result; no partial tree is returned.
StatementResult build_query(ParseNode cypher);

}  // namespace qarvex
