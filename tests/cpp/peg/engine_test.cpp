// The PEG engine on its own, driven by a toy grammar of comma-separated items:
//   list   = SOI item ("," item)* end        item  = word / number
//   word   = @{ !keyword letter+ }           number = @{ digit+ }
//   keyword = @{ ^"end" !letter }            end   = EOI
// with runs of spaces as trivia, skipped by a silent rule.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "parser/peg/engine.hpp"

namespace qarvex::peg {
namespace {

enum class Toy : std::uint8_t { list, item, word, number, keyword, end, space };
constexpr std::array<std::string_view, 7> kToyNames = {"list",    "item", "word", "number",
                                                       "keyword", "end",  "space"};

template <Toy rule>
struct ToyRule;
template <Toy rule>
using T = RuleRef<ToyRule<rule>>;

constexpr bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_space(char c) { return c == ' '; }

#define TOY_RULE(name, rule_kind, ...)                    \
  template <>                                             \
  struct ToyRule<Toy::name> {                             \
    static constexpr Toy id = Toy::name;                  \
    static constexpr RuleKind kind = RuleKind::rule_kind; \
    using Body = __VA_ARGS__;                             \
  };
TOY_RULE(list, normal, Seq<Soi, T<Toy::item>, Star<Seq<Lit<",">, T<Toy::item>>>, T<Toy::end>>)
TOY_RULE(item, normal, Choice<T<Toy::word>, T<Toy::number>>)
TOY_RULE(word, atomic, Seq<Not<T<Toy::keyword>>, Plus<CharIf<is_letter>>>)
TOY_RULE(number, atomic, Plus<CharIf<is_digit>>)
TOY_RULE(keyword, atomic, Seq<ILit<"end">, Not<CharIf<is_letter>>>)
TOY_RULE(end, normal, Eoi)
TOY_RULE(space, silent, Star<CharIf<is_space>>)
#undef TOY_RULE

template <Toy rule>
constexpr RuleDef row() {
  return {ToyRule<rule>::id, ToyRule<rule>::kind, &T<rule>::match};
}
constexpr std::array<RuleDef, 7> kToyRules = {
    row<Toy::list>(),    row<Toy::item>(), row<Toy::word>(),  row<Toy::number>(),
    row<Toy::keyword>(), row<Toy::end>(),  row<Toy::space>(),
};
const Grammar kToy{kToyRules, &T<Toy::space>::match, bytes_of({' '})};

constexpr Limits kGenerous{100, 10'000, 10'000};

Outcome parse(std::string_view text, Toy start = Toy::list, Limits limits = kGenerous) {
  return run(kToy, start, text, limits);
}

// The nodes as "rule[start,end)" in pre-order, children in parentheses.
std::string shape(const std::vector<NodeRecord>& nodes, std::size_t& at, std::size_t end) {
  std::string out;
  while (at < end) {
    const NodeRecord& node = nodes[at++];
    if (!out.empty()) out += ' ';
    out += kToyNames[static_cast<std::size_t>(node.rule)];
    out += '[' + std::to_string(node.start) + ',' + std::to_string(node.end) + ')';
    if (at < node.subtree_end) out += '(' + shape(nodes, at, node.subtree_end) + ')';
  }
  return out;
}

std::string tree_of(std::string_view text, Toy start = Toy::list) {
  Outcome outcome = parse(text, start);
  const auto* nodes = std::get_if<std::vector<NodeRecord>>(&outcome);
  if (nodes == nullptr) return "(failed)";
  std::size_t at = 0;
  return shape(*nodes, at, nodes->size());
}

// "expected a, b at N", or the limit message, or "(parsed)".
std::string failure_of(std::string_view text, Limits limits = kGenerous) {
  Outcome outcome = parse(text, Toy::list, limits);
  const auto* failure = std::get_if<Failure>(&outcome);
  if (failure == nullptr) return "(parsed)";
  if (failure->message) return *failure->message + " at " + std::to_string(failure->position);
  std::string out = "expected";
  for (RuleId rule : failure->expected) {
    out += ' ';
    out += kToyNames[static_cast<std::size_t>(rule)];
  }
  return out + " at " + std::to_string(failure->position);
}

struct TreeCase {
  const char* name;
  std::string_view text;
  std::string tree;
};

class ToyTree : public ::testing::TestWithParam<TreeCase> {};

TEST_P(ToyTree, RecordsTheNodes) { EXPECT_EQ(tree_of(GetParam().text), GetParam().tree); }

INSTANTIATE_TEST_SUITE_P(
    Engine, ToyTree,
    ::testing::Values(
        // Atomic rules keep no children: the lookahead's keyword attempt leaves no node.
        TreeCase{"ChoiceTakesTheFirstThatMatches", "a,1",
                 "list[0,3)(item[0,1)(word[0,1)) item[2,3)(number[2,3)) end[3,3))"},
        // Trivia is skipped between sequence and repetition elements, never inside atomic
        // rules, and a repetition gives back the trivia after its last element.
        TreeCase{"TriviaBetweenElements", " ab , 12 ",
                 "list[0,9)(item[1,3)(word[1,3)) item[6,8)(number[6,8)) end[9,9))"},
        // !keyword only rejects the word itself: "endless" is a word.
        TreeCase{"LookaheadConsumesNothing", "endless",
                 "list[0,7)(item[0,7)(word[0,7)) end[7,7))"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Engine, EntersTheTableAtAnyRule) {
  EXPECT_EQ(tree_of("42", Toy::item), "item[0,2)(number[0,2))");
  EXPECT_EQ(tree_of("42", Toy::space), "");  // a silent rule records nothing
}

struct FailureCase {
  const char* name;
  std::string_view text;
  std::string failure;
};

class ToyFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ToyFailure, ReportsTheFurthestFailure) {
  EXPECT_EQ(failure_of(GetParam().text), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, ToyFailure,
    ::testing::Values(
        // Both alternatives failed at 2, so the choosing rule replaces them.
        FailureCase{"AChoiceReportsItself", "a,?", "expected item at 2"},
        // A keyword where an item belongs: word's lookahead rejects it without being reported.
        FailureCase{"LookaheadIsNotReported", "a,END", "expected item at 2"},
        // An atomic word stops at the space; what follows the space is reported there.
        FailureCase{"AtomicRulesSkipNoTrivia", "ab cd", "expected end at 3"},
        // A later failure wins over every earlier one.
        FailureCase{"FurthestPositionWins", "a,1x", "expected end at 3"},
        FailureCase{"EmptyText", "", "expected item at 0"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each further item costs three rule calls (item, word, the keyword lookahead) and one charge
// for the repetition, so 20 calls end at the sixth item; two levels never reach a word; five
// nodes hold the list and two items with their words.
TEST(Engine, LimitsStopTheParse) {
  std::string long_list = "a";
  for (int i = 0; i < 50; ++i) long_list += ",a";
  EXPECT_EQ(failure_of(long_list), "(parsed)");
  EXPECT_EQ(failure_of(long_list, {100, 20, 10'000}), "call limit reached at 10");
  EXPECT_EQ(failure_of(long_list, {2, 10'000, 10'000}), "call limit reached at 0");
  EXPECT_EQ(failure_of(long_list, {100, 10'000, 5}), "call limit reached at 4");
}

}  // namespace
}  // namespace qarvex::peg
