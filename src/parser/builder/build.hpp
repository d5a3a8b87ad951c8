// The build of one parse tree into a syntax tree. Callers that start from text use the
// parser's entry (parser/parser.hpp).
#pragma once

#include "parser/parse_tree.hpp"
#include "parser/parser.hpp"

namespace qarvex {

// Builds the query of a `cypher` node. The first failure anywhere ends the build and is the
// result; no partial tree is returned. In the Neo4j dialect a backticked name stands for the
// name it quotes (`a``b` is a`b); the core dialect keeps names exactly as written.
StatementResult build_query(ParseNode cypher, Dialect dialect = Dialect::core);

}  // namespace qarvex
