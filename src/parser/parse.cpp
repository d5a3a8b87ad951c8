#include "parser/parse.hpp"

#include <algorithm>
#include <utility>

#include "parser/grammar.hpp"
#include "parser/peg/engine.hpp"

namespace qarvex {

// Nesting: an expression in parentheses costs about fifteen nested rules, so the depth limit
// allows more than 150 levels of parentheses, lists or subqueries (the deepest real query
// seen needs 650 rules), with about 250 KiB of stack at the deepest.
// Calls: real queries take about 4.5 rule calls per byte, and short ones never more than a few
// thousand in all; the budget gives ten times that per byte, a floor for short texts, and a
// cap that keeps the slowest parse (much backtracking over deep nesting) near a second while
// ordinary text of three megabytes still fits. It is what stops the exponential backtracking
// of nested constructs such as «a[a[a[...» or «all(x IN all(x IN ...», which the few rules
// the engine remembers do not cover. Long scans (comments, strings, repetitions) are charged to it as well.
// Nodes: 16 bytes each, so the node record stays within 128 MiB.
ParseLimits default_parse_limits(std::size_t text_size) {
  constexpr std::size_t kMaxDepth = 2500;
  constexpr std::size_t kCallFloor = 200'000;
  constexpr std::size_t kCallsPerByte = 40;
  constexpr std::size_t kCallCap = 16'000'000;
  constexpr std::size_t kMaxNodes = std::size_t{1} << 23;
  std::size_t calls = std::clamp(kCallsPerByte * text_size, kCallFloor, kCallCap);
  return {kMaxDepth, calls, kMaxNodes};
}

ParseOutcome parse(Rule start, std::string_view text, Dialect dialect) {
  return parse(start, text, default_parse_limits(text.size()), dialect);
}

ParseOutcome parse(Rule start, std::string_view text, const ParseLimits& limits,
                   Dialect dialect) {
  peg::Outcome outcome = peg::run(grammar_of(dialect), start, text, limits);
  if (auto* nodes = std::get_if<std::vector<NodeRecord>>(&outcome)) {
    return ParseTree(text, std::move(*nodes));
  }
  peg::Failure& failure = std::get<peg::Failure>(outcome);
  ParseFailure result{failure.position, {}, std::move(failure.message)};
  result.expected.reserve(failure.expected.size());
  for (peg::RuleId rule : failure.expected) result.expected.push_back(rule.as<Rule>());
  return result;
}

}  // namespace qarvex
