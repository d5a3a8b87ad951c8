// The core Cypher grammar: every rule takes its shared definition, and the table lists the
// rules in id order.

#include "parser/grammar.hpp"

#include <array>
#include <cstddef>

#include "parser/grammar_shared.hpp"

namespace qarvex {
namespace {

using namespace grammar;

template <Rule rule>
struct RuleOf;

template <Rule rule>
using R = RuleRef<RuleOf<rule>>;

template <Rule rule>
struct RuleOf : SharedRule<R, rule> {
  static constexpr Rule id = rule;
};

constexpr std::array<RuleDef, kRuleCount> kRules = {
#define QARVEX_RULE_ROW(name) \
  RuleDef{RuleOf<Rule::name>::id, RuleOf<Rule::name>::kind, &R<Rule::name>::match},
    QARVEX_GRAMMAR_RULES(QARVEX_RULE_ROW)
#undef QARVEX_RULE_ROW
};

constexpr Grammar kCypherGrammar{kRules, &skip_trivia, trivia_starts()};

}  // namespace

const peg::Grammar& cypher_grammar() { return kCypherGrammar; }

}  // namespace qarvex
