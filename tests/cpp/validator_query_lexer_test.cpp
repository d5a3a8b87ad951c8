#include "validator/query_lexer.hpp"

#include <gtest/gtest.h>

#include <string>

namespace qarvex {
namespace {

// Tokens written as "kind:spelling", with a "~" before a token that follows trivia.
std::string describe(std::string_view text) {
  static constexpr std::string_view kinds[] = {"name", "str", "num", "param", "p", "other"};
  std::string out;
  for (const Token& token : scan_tokens(text)) {
    if (!out.empty()) out += ' ';
    if (token.after_trivia) out += '~';
    out.append(kinds[static_cast<int>(token.kind)]).append(":");
    out.append(text.substr(token.begin, token.end - token.begin));
  }
  return out;
}

struct LexRow {
  std::string_view text;
  std::string_view tokens;
};

class QueryLexer : public testing::TestWithParam<LexRow> {};

TEST_P(QueryLexer, SplitsTextLikeTheGrammar) {
  EXPECT_EQ(describe(GetParam().text), GetParam().tokens) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryLexer,
    testing::Values(
        LexRow{"n.name", "name:n p:. name:name"},
        LexRow{"'it''s' \"a'b\"", "str:'it' str:'s' ~str:\"a'b\""},
        LexRow{"'a\\' x", "str:'a\\' ~name:x"},  // no escapes: the string ends at its quote
        LexRow{"`a b`.`c`", "name:`a b` p:. name:`c`"},
        LexRow{"`open", "other:`open"},
        LexRow{"1.5e3 1..2 1.e5 0x1F 2.", "num:1.5e3 ~num:1 p:.. num:2 ~num:1.e5 ~num:0x1F ~num:2."},
        LexRow{"$p.k $1", "param:$p p:. name:k ~param:$1"},
        LexRow{"a// x\nb/* y */c", "name:a ~name:b ~name:c"},
        LexRow{"a /* open", "name:a ~p:/ p:* ~name:open"},
        LexRow{"a//x", "name:a"},
        LexRow{"é:x", "other:\xc3 other:\xa9 p:: name:x"},
        LexRow{"", ""}));

TEST(PlainIdentifier, ExcludesReservedWordsAndOtherCharacters) {
  for (std::string_view name : {"Person", "_x1", "order", "ends", "matches"}) {
    EXPECT_TRUE(is_plain_identifier(name)) << name;
  }
  for (std::string_view name : {"", "1a", "Match", "yield", "a b", "né", "a-b", "`a`"}) {
    EXPECT_FALSE(is_plain_identifier(name)) << name;
  }
}

}  // namespace
}  // namespace qarvex
