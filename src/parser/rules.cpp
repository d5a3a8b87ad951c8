#include "parser/rules.hpp"

#include <array>

namespace qarvex {
namespace {

// The enumerator spelling is the printed name, except that a trailing underscore (which only
// keeps `namespace` from clashing with the C++ keyword) is not printed.
constexpr std::string_view printed(std::string_view spelling) {
  return spelling.ends_with('_') ? spelling.substr(0, spelling.size() - 1) : spelling;
}

constexpr std::array<std::string_view, kNeo4jRuleCount> kRuleNames = {
#define QARVEX_RULE_NAME(name) printed(#name),
    QARVEX_GRAMMAR_RULES(QARVEX_RULE_NAME) QARVEX_NEO4J_RULES(QARVEX_RULE_NAME)
    QARVEX_NEO4J_PATTERN_RULES(QARVEX_RULE_NAME)
    QARVEX_NEO4J_CLAUSE_RULES(QARVEX_RULE_NAME)
#undef QARVEX_RULE_NAME
};

}  // namespace

std::string_view rule_name(Rule rule) { return kRuleNames[static_cast<std::size_t>(rule)]; }

std::optional<Rule> rule_by_name(std::string_view name) {
  for (std::size_t id = 0; id < kRuleNames.size(); ++id) {
    if (kRuleNames[id] == name) return static_cast<Rule>(id);
  }
  return std::nullopt;
}

}  // namespace qarvex
