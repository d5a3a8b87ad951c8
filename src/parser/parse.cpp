#include "parser/parse.hpp"

#include <algorithm>

#include "parser/grammar.hpp"
#include "parser/peg/engine.hpp"

namespace qarvex {

// Nesting: an expression in parentheses costs about fifteen nested rules, so this allows
// more than 150 levels of parentheses, lists or subqueries (real queries stay below 50), while
// the deepest stack stays near half a megabyte.
// Calls: ordinary text takes about 4 rule calls per byte and rarely more than 20; the budget
// allows twice the worst of those, a floor for short texts, and a cap that keeps any parse
// within about a second. It stops the exponential backtracking of nested constructs such as
// «a[a[a[...», which no memoisation prevents here.
ParseLimits default_parse_limits(std::size_t text_size) {
  constexpr std::size_t kMaxDepth = 2500;
  constexpr std::size_t kCallFloor = 200'000;
  constexpr std::size_t kCallsPerByte = 40;
  constexpr std::size_t kCallCap = 60'000'000;
  constexpr std::size_t kMaxNodes = std::size_t{1} << 23;
  std::size_t calls = std::clamp(kCallsPerByte * text_size, kCallFloor, kCallCap);
  return {kMaxDepth, calls, kMaxNodes};
}

ParseOutcome parse(Rule start, std::string_view text) {
  return parse(start, text, default_parse_limits(text.size()));
}

ParseOutcome parse(Rule start, std::string_view text, const ParseLimits& limits) {
  return peg::run(cypher_grammar(), start, text, limits);
}

}  // namespace qarvex
