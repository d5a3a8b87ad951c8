#include "parser/parse.hpp"

#include <algorithm>

#include "parser/grammar.hpp"
#include "parser/peg/engine.hpp"

namespace qarvex {

// Nesting: an expression in parentheses costs about fifteen nested rules, so this allows a
// few hundred levels of parentheses, lists or subqueries while keeping the stack small.
// Calls: the grammar makes a few dozen rule calls per byte of ordinary text; the budget
// allows many times that, and a fixed floor for short texts, but stops the exponential
// backtracking that nested constructs like «a[a[a[...» would otherwise cause.
ParseLimits default_parse_limits(std::size_t text_size) {
  constexpr std::size_t kMaxDepth = 4000;
  constexpr std::size_t kCallFloor = 2'000'000;
  constexpr std::size_t kCallsPerByte = 200;
  constexpr std::size_t kMaxNodes = std::size_t{1} << 23;
  return {kMaxDepth, std::max(kCallFloor, kCallsPerByte * text_size), kMaxNodes};
}

ParseOutcome parse(Rule start, std::string_view text) {
  return parse(start, text, default_parse_limits(text.size()));
}

ParseOutcome parse(Rule start, std::string_view text, const ParseLimits& limits) {
  return peg::run(cypher_grammar(), start, text, limits);
}

}  // namespace qarvex
