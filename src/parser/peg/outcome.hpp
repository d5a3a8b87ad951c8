// What the PEG engine works with and hands back, in terms of its own: rule ids, the node
// records of a successful parse, the limits on the work of one parse, and the failure report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace qarvex::peg {

// A rule's id: its row in the grammar's rule table. A grammar names its rules with a one-byte
// enum whose enumerators are those rows, and the enum converts implicitly, so the grammar can
// use its own names everywhere; `as<Enum>()` converts back. A grammar has at most 256 rules.
// The id is one trivial byte like the enum itself: a wider or non-trivial id made the rule
// wrappers measurably slower.
class RuleId {
 public:
  RuleId() = default;
  template <typename Enum>
    requires(std::is_enum_v<Enum> && sizeof(Enum) == 1)
  constexpr RuleId(Enum rule) : row_(static_cast<std::uint8_t>(rule)) {}
  constexpr explicit RuleId(std::size_t row) : row_(static_cast<std::uint8_t>(row)) {}

  constexpr explicit operator std::size_t() const { return row_; }
  template <typename Enum>
  constexpr Enum as() const {
    return static_cast<Enum>(row_);
  }
  friend constexpr bool operator==(RuleId, RuleId) = default;

 private:
  std::uint8_t row_;
};

// One recorded node: its rule, its byte span [start, end) in the text, and the index one past
// its last descendant in the node list (the nodes are listed in pre-order).
struct NodeRecord {
  RuleId rule;
  std::uint32_t start;
  std::uint32_t end;
  std::uint32_t subtree_end;
};

// Bounds on the work of one parse. Reaching one fails the parse with kLimitMessage.
struct Limits {
  std::size_t max_depth;  // rules running at once
  std::size_t max_calls;  // rule calls in total, plus the work charged by long scans
  std::size_t max_nodes;  // nodes recorded at once
};

inline constexpr std::string_view kLimitMessage = "call limit reached";

// Why a parse failed: the furthest position at which a rule failed and the rules expected
// there (ascending id, each once), or a fixed message when a work limit stopped the parse.
struct Failure {
  std::size_t position = 0;
  std::vector<RuleId> expected;
  std::optional<std::string> message;
};

using Outcome = std::variant<std::vector<NodeRecord>, Failure>;

}  // namespace qarvex::peg
