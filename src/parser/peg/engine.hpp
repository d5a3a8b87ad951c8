// A backtracking PEG engine that remembers the runs of the few rules a grammar marks
// (peg/memo.hpp) and of no others. It knows nothing of any particular grammar: a
// grammar gives each rule a definition type (its id, its kind and its body composed from the
// combinators below) and lists the rules in a table by id for entry at a start rule; rule
// references are resolved at compile time, so a rule call is a direct call that the compiler
// may inline. Ids, node records, limits and the failure report are the engine's own
// (peg/outcome.hpp); a grammar's rule enum converts to the id.
// Every combinator either succeeds, possibly having advanced the position, or fails having
// consumed nothing and recorded nothing.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/ascii.hpp"
#include "parser/peg/memo.hpp"
#include "parser/peg/outcome.hpp"

namespace qarvex::peg {

class State;

enum class RuleKind : std::uint8_t {
  normal,  // records a node; trivia is skipped inside
  atomic,  // records a node without children; nothing is skipped inside
  silent,  // records nothing and is never tracked
};

using Matcher = bool (*)(State&);

// One row of a grammar's rule table: the rule and the matcher that runs it as a rule (with
// node recording and failure tracking, see State::run_rule).
struct RuleDef {
  RuleId id;
  RuleKind kind;
  Matcher run;
};

struct Grammar {
  std::span<const RuleDef> rules;        // indexed by rule id
  Matcher trivia;                        // one run of trivia; must always succeed
  std::array<bool, 256> trivia_starts;   // the bytes a run of trivia can begin with
};

// The parse state: created for one parse and dropped with it.
class State {
 public:
  State(const Grammar& grammar, std::string_view text, const Limits& limits);

  std::string_view text() const { return text_; }
  std::size_t pos() const { return pos_; }
  void set_pos(std::size_t pos) { pos_ = pos; }
  bool at_end() const { return pos_ == text_.size(); }
  // The bytes from the position to the end of the text.
  std::string_view rest() const { return text_.substr(pos_); }
  void advance(std::size_t bytes) { pos_ += bytes; }

  bool atomic() const { return atomic_; }
  void set_atomic(bool atomic) { atomic_ = atomic; }
  bool in_lookahead() const { return lookahead_; }
  void set_lookahead(bool lookahead) { lookahead_ = lookahead; }

  // What a sequence must restore when one of its elements fails.
  struct Mark {
    std::size_t pos;
    std::size_t nodes;
  };
  Mark mark() const { return {pos_, node_count_}; }
  void restore(Mark mark) {
    pos_ = mark.pos;
    node_count_ = mark.nodes;
  }

  void skip_trivia() {
    if (!atomic_ && pos_ < text_.size() &&
        grammar_.trivia_starts[static_cast<unsigned char>(text_[pos_])]) {
      grammar_.trivia(*this);
    }
  }

  // Counts work other than rule calls (repetitions, long scans) against the call limit, so
  // that re-parsing the same long stretch of text over and over is bounded as well.
  void charge(std::size_t work) {
    calls_ += work;
    if (calls_ > limits_.max_calls) stop_at_limit();
  }

  // Runs the rule defined by `Def` (members `id`, `kind`, `Body`): counts the call against
  // the limits, records a node unless inside a lookahead or an atomic rule, and on failure
  // tracks the rule for the syntax error and drops the nodes its body recorded.
  template <typename Def>
  bool run_rule();

  // The same for a rule chosen at run time, through the grammar's table.
  bool call(RuleId rule) { return grammar_.rules[static_cast<std::size_t>(rule)].run(*this); }

  bool limit_reached() const { return limit_reached_; }
  // Work done so far: rule calls, and the deepest nesting of running rules.
  std::size_t calls() const { return calls_; }
  std::size_t deepest() const { return deepest_; }
  std::vector<NodeRecord> take_nodes();
  Failure take_failure();

 private:
  bool stop_at_limit();
  // Appends an open node.
  void open_node(RuleId rule, std::size_t start) {
    if (node_count_ == nodes_.size()) [[unlikely]] grow_nodes();
    nodes_[node_count_++] = {rule, static_cast<std::uint32_t>(start), 0, 0};
  }
  // Out of line, so that the growth path is not copied into every rule wrapper.
  void grow_nodes();
  template <typename Def>
  bool run_body();
  template <typename Def>
  bool run_recorded();
  template <typename Def>
  bool run_remembered();
  void track(RuleId rule, std::size_t pos, std::size_t restore_mark);

  const Grammar& grammar_;
  std::string_view text_;
  Limits limits_;
  std::size_t pos_ = 0;
  bool lookahead_ = false;
  bool atomic_ = false;
  // The recorded nodes are the first node_count_ of nodes_; the rest is room to record into,
  // so that recording a node or dropping nodes is a store and a count.
  std::vector<NodeRecord> nodes_;
  std::size_t node_count_ = 0;
  std::vector<RuleId> expected_;
  std::size_t attempt_pos_ = 0;
  std::size_t depth_ = 0;
  std::size_t calls_ = 0;
  std::size_t deepest_ = 0;
  bool limit_reached_ = false;
  std::size_t limit_pos_ = 0;
  Memo memo_;
};

// Runs `start` over `text` once: the nodes recorded, or why it failed. The nodes refer to
// `text` by offset.
Outcome run(const Grammar& grammar, RuleId start, std::string_view text, const Limits& limits);

// ---- Combinators. Each is a type with `static bool match(State&)`. ----
//
// A matcher that always begins by matching one byte itself (before any rule call, trivia
// skip or charge) may also declare `static constexpr std::optional<ByteSet> first_bytes()`:
// the bytes it can begin with. A rule whose body declares them is failed without running
// its body when the next byte is not one of them; as the body would have failed at once
// without recording anything, the result and the tracking are the same.

using ByteSet = std::array<bool, 256>;

template <typename Matcher>
constexpr std::optional<ByteSet> first_bytes_of() {
  if constexpr (requires { Matcher::first_bytes(); }) {
    return Matcher::first_bytes();
  } else {
    return std::nullopt;
  }
}

// The first bytes of a rule body, computed once at compile time into static storage: a local
// constexpr table would be rebuilt on the stack at every rule call.
template <typename Body>
inline constexpr std::optional<ByteSet> kFirstBytes = first_bytes_of<Body>();

constexpr ByteSet bytes_of(std::initializer_list<char> chars) {
  ByteSet set{};
  for (char c : chars) set[static_cast<unsigned char>(c)] = true;
  return set;
}

// A string literal usable as a template argument.
template <std::size_t N>
struct Text {
  char chars[N - 1];
  constexpr Text(const char (&literal)[N]) { std::copy_n(literal, N - 1, chars); }
  constexpr std::string_view view() const { return {chars, N - 1}; }
};

// "text": exact bytes.
template <Text literal>
struct Lit {
  static bool match(State& s) {
    if (!s.rest().starts_with(literal.view())) return false;
    s.advance(literal.view().size());
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return bytes_of({literal.chars[0]}); }
};

// ^"TEXT": the same number of bytes, ASCII letters compared without regard to case.
template <Text literal>
struct ILit {
  static bool match(State& s) {
    std::string_view word = literal.view();
    std::string_view rest = s.rest();
    if (rest.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (ascii_upper(rest[i]) != ascii_upper(word[i])) return false;
    }
    s.advance(word.size());
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() {
    char first = literal.chars[0];
    return bytes_of({first, ascii_upper(first), ascii_lower(first)});
  }
};

// One byte satisfying a predicate (the grammar's character classes are all ASCII).
template <bool (*accepts)(char)>
struct CharIf {
  static bool match(State& s) {
    if (s.at_end() || !accepts(s.text()[s.pos()])) return false;
    s.advance(1);
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() {
    ByteSet set{};
    for (int byte = 0; byte < 256; ++byte) set[byte] = accepts(static_cast<char>(byte));
    return set;
  }
};

// Byte length of the character that starts with `lead`; a stray byte counts as one character.
std::size_t char_length(std::string_view rest);

// ANY: one whole character.
struct Any {
  static bool match(State& s) {
    if (s.at_end()) return false;
    s.advance(char_length(s.rest()));
    return true;
  }
};

struct Soi {
  static bool match(State& s) { return s.pos() == 0; }
};

struct Eoi {
  static bool match(State& s) { return s.at_end(); }
};

// A reference to the rule defined by `Def`.
template <typename Def>
struct RuleRef {
  static bool match(State& s) { return s.run_rule<Def>(); }
};

// Elements in order with a trivia skip between them; a failure restores position and nodes.
template <typename First, typename... Rest>
struct Seq {
  static bool match(State& s) {
    State::Mark start = s.mark();
    if (!First::match(s)) return false;
    if (((s.skip_trivia(), Rest::match(s)) && ...)) return true;
    s.restore(start);
    return false;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return first_bytes_of<First>(); }
};

// Ordered choice: the first alternative that succeeds.
template <typename... Alternatives>
struct Choice {
  static bool match(State& s) { return (Alternatives::match(s) || ...); }
  static constexpr std::optional<ByteSet> first_bytes() {
    if (!(first_bytes_of<Alternatives>() && ...)) return std::nullopt;
    ByteSet set{};
    for (const ByteSet& alternative : {*first_bytes_of<Alternatives>()...}) {
      for (std::size_t byte = 0; byte < set.size(); ++byte) set[byte] |= alternative[byte];
    }
    return set;
  }
};

template <typename Element>
struct Opt {
  static bool match(State& s) {
    Element::match(s);
    return true;
  }
};

// E*: E once, then [trivia, E] until that fails, which gives back the trivia it skipped.
template <typename Element>
struct Star {
  static bool match(State& s) {
    if (!Element::match(s)) return true;
    for (;;) {
      std::size_t before = s.pos();
      s.skip_trivia();
      if (!Element::match(s)) {
        s.set_pos(before);
        return true;
      }
      s.charge(1);
    }
  }
};

// E+: E, a trivia skip that stays consumed, then E*.
template <typename Element>
struct Plus {
  static bool match(State& s) {
    if (!Element::match(s)) return false;
    s.skip_trivia();
    return Star<Element>::match(s);
  }
};

// !E: succeeds, consuming nothing, exactly when E fails; nothing inside records or tracks.
template <typename Element>
struct Not {
  static bool match(State& s) {
    std::size_t pos = s.pos();
    bool lookahead = s.in_lookahead();
    s.set_lookahead(true);
    bool matched = Element::match(s);
    s.set_pos(pos);
    s.set_lookahead(lookahead);
    return !matched;
  }
};

// The body run with trivia skipping and node recording switched off.
template <typename Body>
struct Atomic {
  static bool match(State& s) {
    bool atomic = s.atomic();
    s.set_atomic(true);
    bool matched = Body::match(s);
    s.set_atomic(atomic);
    return matched;
  }
};

// ---- The rule wrapper ----

// Keeps the expected list for the furthest failure position. A rule whose body recorded
// exactly one rule at the same position leaves that more specific rule in place; otherwise
// it replaces what its body recorded there.
inline void State::track(RuleId rule, std::size_t pos, std::size_t restore_mark) {
  if (limit_reached_) return;
  std::size_t recorded = pos == attempt_pos_ ? expected_.size() : 0;
  if (recorded > restore_mark && recorded - restore_mark == 1) return;
  if (pos == attempt_pos_) expected_.resize(restore_mark);
  if (pos > attempt_pos_) {
    expected_.clear();
    attempt_pos_ = pos;
  }
  if (pos == attempt_pos_) expected_.push_back(rule);
}

template <typename Def>
bool State::run_body() {
  ++depth_;
  deepest_ = std::max(deepest_, depth_);
  bool matched;
  if constexpr (Def::kind == RuleKind::normal) {
    matched = Def::Body::match(*this);
  } else {
    // Atomic and silent rules skip nothing inside (the trivia rules are silent).
    bool atomic = atomic_;
    atomic_ = true;
    matched = Def::Body::match(*this);
    atomic_ = atomic;
  }
  --depth_;
  return matched;
}

// A rule definition may set `remembered` to have its runs kept in the memo (peg/memo.hpp).
template <typename Def>
constexpr bool remembered() {
  if constexpr (requires { Def::remembered; }) {
    return Def::remembered;
  } else {
    return false;
  }
}

template <typename Def>
bool State::run_rule() {
  if (++calls_ > limits_.max_calls || depth_ >= limits_.max_depth) [[unlikely]] {
    return stop_at_limit();
  }
  if constexpr (kFirstBytes<typename Def::Body>.has_value()) {
    const ByteSet& first = *kFirstBytes<typename Def::Body>;
    if (pos_ == text_.size() || !first[static_cast<unsigned char>(text_[pos_])]) {
      if (Def::kind != RuleKind::silent && !lookahead_ && !atomic_) {
        track(Def::id, pos_, pos_ == attempt_pos_ ? expected_.size() : 0);
      }
      return false;
    }
  }
  if constexpr (remembered<Def>()) {
    return run_remembered<Def>();
  } else {
    return run_recorded<Def>();
  }
}

template <typename Def>
bool State::run_recorded() {
  if constexpr (Def::kind == RuleKind::silent) {
    return run_body<Def>();
  } else {
    std::size_t start = pos_;
    std::size_t restore_mark = start == attempt_pos_ ? expected_.size() : 0;
    bool record = !lookahead_ && !atomic_;
    auto node = static_cast<std::uint32_t>(node_count_);
    if (record) {
      if (node >= limits_.max_nodes) [[unlikely]] return stop_at_limit();
      open_node(Def::id, start);
    }
    if (run_body<Def>()) {
      if (record) {
        nodes_[node].end = static_cast<std::uint32_t>(pos_);
        nodes_[node].subtree_end = static_cast<std::uint32_t>(node_count_);
      }
      return true;
    }
    if (!lookahead_ && !atomic_) track(Def::id, start, restore_mark);
    if (record) node_count_ = node;
    return false;
  }
}

// Replays the kept run where that leaves the same state as running the rule again, and keeps
// each run that no limit stopped. A replay charges the nodes it copies as work (a quarter of
// a call each), so that replaying large runs over and over stays bounded; keeping a run
// copies no more nodes than the calls of that run recorded.
template <typename Def>
bool State::run_remembered() {
  static_assert(Def::kind != RuleKind::silent);
  Memo::Start now{pos_, depth_, node_count_, lookahead_, atomic_};
  bool tracking = !lookahead_ && !atomic_;
  if (const Memo::Entry* kept = memo_.replayable(Def::id, now, attempt_pos_, tracking)) {
    charge(kept->node_count / 4);
    if (limit_reached_) return false;
    if (tracking && attempt_pos_ == kept->attempt_pos) {
      std::span<const RuleId> appended = memo_.appended(*kept);
      expected_.insert(expected_.end(), appended.begin(), appended.end());
    }
    if (!kept->matched) return false;
    auto base = static_cast<std::uint32_t>(node_count_);
    for (NodeRecord node : memo_.nodes_of(*kept)) {
      if (node_count_ == nodes_.size()) grow_nodes();
      node.subtree_end += base;
      nodes_[node_count_++] = node;
    }
    pos_ = kept->end;
    return true;
  }
  std::size_t attempt_before = attempt_pos_;
  std::size_t expected_before = expected_.size();
  bool matched = run_recorded<Def>();
  if (!limit_reached_) {
    // The run found the list below `expected_before` at the same furthest position, or began
    // the list there itself.
    std::size_t appended_from =
        attempt_pos_ == attempt_before ? std::min(expected_before, expected_.size()) : 0;
    memo_.remember(Def::id, now, matched, pos_, attempt_pos_,
                   std::span<const NodeRecord>(nodes_).first(node_count_),
                   std::span(expected_).subspan(appended_from));
  }
  return matched;
}

}  // namespace qarvex::peg
