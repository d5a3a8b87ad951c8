// A grammar's rules and their table: each grammar is named by a tag type, takes the shared
// definition of every rule it does not specialise, and lists its rules by id.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "parser/grammar_shared.hpp"

namespace qarvex::grammar {

template <typename Grammar, Rule rule>
struct RuleOf;

template <typename Grammar>
struct RulesOf {
  template <Rule rule>
  using Ref = RuleRef<RuleOf<Grammar, rule>>;
};

// Unless a grammar specialises it, a rule has its shared definition.
template <typename Grammar, Rule rule>
struct RuleOf : SharedRule<RulesOf<Grammar>::template Ref, rule> {
  static constexpr Rule id = rule;
};

// The rows of the rules with ids 0 to count - 1, in id order.
template <typename Grammar, std::size_t... ids>
constexpr std::array<RuleDef, sizeof...(ids)> rule_rows(std::index_sequence<ids...>) {
  return {RuleDef{static_cast<Rule>(ids), RuleOf<Grammar, static_cast<Rule>(ids)>::kind,
                  &RuleRef<RuleOf<Grammar, static_cast<Rule>(ids)>>::match}...};
}

template <typename Grammar, std::size_t count>
constexpr std::array<RuleDef, count> rule_table() {
  return rule_rows<Grammar>(std::make_index_sequence<count>());
}

}  // namespace qarvex::grammar
