#include "parser/peg/engine.hpp"

#include <algorithm>
#include <limits>
#include <string>

namespace qarvex::peg {

State::State(const Grammar& grammar, std::string_view text, const Limits& limits)
    : grammar_(grammar), text_(text), limits_(limits), memo_(limits.max_nodes) {
  // Real queries record about one node per byte at the peak; reserving half of that up front
  // saves most regrowth without holding much memory for a failing parse.
  nodes_.reserve(std::min(text.size() / 2 + 32, limits.max_nodes));
  expected_.reserve(32);
}

std::size_t char_length(std::string_view rest) {
  auto lead = static_cast<unsigned char>(rest[0]);
  std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  length = std::min(length, rest.size());
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return i;
  }
  return length;
}

// The room grows when and as push_back would grow the list: into the reserve first, then by
// doubling, so that a parse allocates exactly what appending node by node would.
void State::grow_nodes() {
  std::size_t size = nodes_.size();
  std::size_t capacity = nodes_.capacity();
  std::size_t room = std::max<std::size_t>(2 * size, 64);
  nodes_.resize(size < capacity ? std::min(room, capacity) : room);
}

std::vector<NodeRecord> State::take_nodes() {
  nodes_.resize(node_count_);
  return std::move(nodes_);
}

// Once a limit is reached every later rule fails at once, so the parse unwinds quickly and
// reports the limit instead of a grammar failure.
bool State::stop_at_limit() {
  if (!limit_reached_) {
    limit_reached_ = true;
    limit_pos_ = pos_;
    limits_.max_calls = 0;  // every later call stops at once
  }
  return false;
}

Failure State::take_failure() {
  Failure failure;
  if (limit_reached_) {
    failure.position = limit_pos_;
    failure.message = std::string(kLimitMessage);
    return failure;
  }
  // The list can be long after much backtracking at one position; marking the ids seen keeps
  // this linear.
  std::vector<bool> seen(grammar_.rules.size());
  for (RuleId rule : expected_) seen[static_cast<std::size_t>(rule)] = true;
  failure.position = attempt_pos_;
  for (std::size_t id = 0; id < seen.size(); ++id) {
    if (seen[id]) failure.expected.push_back(RuleId(id));
  }
  return failure;
}

Outcome run(const Grammar& grammar, RuleId start, std::string_view text, const Limits& limits) {
  // Node offsets are 32-bit; a text beyond that is refused as a limit, never misread.
  if (text.size() >= std::numeric_limits<std::uint32_t>::max()) {
    return Failure{0, {}, std::string(kLimitMessage)};
  }
  State state(grammar, text, limits);
  if (state.call(start) && !state.limit_reached()) return state.take_nodes();
  return state.take_failure();
}

}  // namespace qarvex::peg
