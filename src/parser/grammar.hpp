// The Cypher grammars as rule tables for the PEG engine, one per dialect.
#pragma once

#include "parser/dialect.hpp"
#include "parser/peg/engine.hpp"
#include "parser/rules.hpp"

namespace qarvex {

// The core grammar, and the Neo4j grammar (grammar_neo4j.cpp).
const peg::Grammar& cypher_grammar();
const peg::Grammar& neo4j_grammar();

inline const peg::Grammar& grammar_of(Dialect dialect) {
  return dialect == Dialect::neo4j ? neo4j_grammar() : cypher_grammar();
}

}  // namespace qarvex
