// What a few chosen rules did at a position, so that an ordered choice that reaches the same
// rule at the same position again (after the alternative that first ran it failed further on)
// can replay it instead of parsing the same text once more: without this, nested constructs
// whose alternatives share such a prefix are re-parsed twice per level.
//
// A replay must leave exactly the state a second run would. The result, the end position and
// the nodes depend only on the position, the lookahead and atomic flags (the key and the
// `Start` checked), and on the limits: the replay is refused where a second run could reach
// a depth or node limit that the first did not (deeper or with more nodes recorded). Failure
// tracking is the one effect that depends on what happened since. A run tracks only at
// positions up to the furthest failure position P it left behind, and the parse never
// tracks behind P again, so a second run finds the furthest position at P or beyond. Beyond
// P it changes nothing. At P, each rule that starts there and fails either leaves what its
// body added or replaces that with itself, always above the list it found: the run appends
// the same rules to whatever list it finds, and the replay appends those kept from the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "parser/peg/outcome.hpp"

namespace qarvex::peg {

class Memo {
 public:
  // The state a rule started from.
  struct Start {
    std::size_t pos;
    std::size_t depth;
    std::size_t nodes;
    bool lookahead;
    bool atomic;
  };

  // What a run from `Start` gave.
  struct Entry {
    Start start;
    bool matched;
    std::size_t end;
    std::size_t attempt_pos;  // the furthest failure position after the run
    std::size_t first_node;   // where its nodes are kept in the memo
    std::size_t node_count;
    std::size_t first_expected;  // where the rules it appended at `attempt_pos` are kept
    std::size_t expected_count;
  };

  explicit Memo(std::size_t max_nodes) : max_nodes_(max_nodes) {}

  // The run of `rule` that a second run from `now` would repeat, or null. `attempt_pos` is the
  // furthest failure position now, `tracking` whether the rule's failures would be tracked.
  const Entry* replayable(RuleId rule, const Start& now, std::size_t attempt_pos,
                          bool tracking) const {
    auto found = entries_.find(key(rule, now.pos));
    if (found == entries_.end()) return nullptr;
    const Entry& entry = found->second;
    if (entry.start.lookahead != now.lookahead || entry.start.atomic != now.atomic) return nullptr;
    if (now.depth > entry.start.depth || now.nodes > entry.start.nodes) return nullptr;
    if (tracking && attempt_pos < entry.attempt_pos) return nullptr;
    return &entry;
  }

  // Keeps a run whose nodes are `recorded[start.nodes, end)` (`recorded` being every node
  // recorded so far) and which appended `appended` to the expected list at `attempt_pos`,
  // unless it would take the memo over its bound.
  void remember(RuleId rule, const Start& start, bool matched, std::size_t end,
                std::size_t attempt_pos, std::span<const NodeRecord> recorded,
                std::span<const RuleId> appended) {
    std::size_t count = matched ? recorded.size() - start.nodes : 0;
    if (nodes_.size() + count + expected_.size() + appended.size() > max_nodes_) return;
    std::size_t first_expected = expected_.size();
    expected_.insert(expected_.end(), appended.begin(), appended.end());
    std::size_t first = nodes_.size();
    for (std::size_t i = start.nodes; i < start.nodes + count; ++i) {
      NodeRecord node = recorded[i];
      node.subtree_end -= static_cast<std::uint32_t>(start.nodes);
      nodes_.push_back(node);
    }
    entries_[key(rule, start.pos)] = {start, matched,        end,           attempt_pos,
                                      first, count, first_expected, appended.size()};
  }

  // The rules a kept run appended to the expected list at its furthest failure position.
  std::span<const RuleId> appended(const Entry& entry) const {
    return std::span(expected_).subspan(entry.first_expected, entry.expected_count);
  }

  // The nodes of a kept run, their subtree ends counted from the run's first node.
  std::span<const NodeRecord> nodes_of(const Entry& entry) const {
    return std::span(nodes_).subspan(entry.first_node, entry.node_count);
  }

 private:
  static std::uint64_t key(RuleId rule, std::size_t pos) {
    return (static_cast<std::uint64_t>(pos) << 8) | static_cast<std::size_t>(rule);
  }

  std::size_t max_nodes_;
  std::unordered_map<std::uint64_t, Entry> entries_;
  std::vector<NodeRecord> nodes_;
  std::vector<RuleId> expected_;
};

}  // namespace qarvex::peg
