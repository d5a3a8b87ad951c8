// The core Cypher grammar: every rule takes its shared definition.

#include "parser/grammar.hpp"

#include "parser/grammar_table.hpp"

namespace qarvex {
namespace {

using namespace grammar;

struct Core {};

constexpr auto kRules = rule_table<Core, kRuleCount>();
constexpr Grammar kCypherGrammar{kRules, &skip_trivia, trivia_starts()};

}  // namespace

const peg::Grammar& cypher_grammar() { return kCypherGrammar; }

}  // namespace qarvex
