// The Cypher grammar as a rule table for the PEG engine.
#pragma once

#include "parser/peg/engine.hpp"
#include "parser/rules.hpp"

namespace qarvex {

const peg::Grammar& cypher_grammar();

}  // namespace qarvex
