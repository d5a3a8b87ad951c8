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
        LexRow{"'a\\'' x", "str:'a\\'' ~name:x"},  // the escaped quote does not end it
        LexRow{"`a b`.`c`", "name:`a b` p:. name:`c`"},
        LexRow{"`open", "other:`open"},
        LexRow{"1.5e3 1..2 1.e5 0x1F 2.", "num:1.5e3 ~num:1 p:.. num:2 ~num:1.e5 ~num:0x1F ~num:2."},
        LexRow{"1E8 5e-7 0x1e3 1exp x[1..]", "num:1E8 ~num:5e-7 ~num:0x1e3 ~num:1exp ~name:x p:[ num:1 p:.. p:]"},
        LexRow{R"('it\'s' "a\"b" '\\' x)", R"(str:'it\'s' ~str:"a\"b" ~str:'\\' ~name:x)"},
        LexRow{R"('C:\' x)", R"(str:'C:\' x)"},
        LexRow{"$p.k $1", "param:$p p:. name:k ~param:$1"},
        LexRow{"a// x\nb/* y */c", "name:a ~name:b ~name:c"},
        LexRow{"a /* open", "name:a ~p:/ p:* ~name:open"},
        LexRow{"a//x", "name:a"},
        LexRow{"é:x", "other:\xc3 other:\xa9 p:: name:x"},
        LexRow{"", ""}));

TEST(PlainName, TakesReservedWordsButNoOtherCharacters) {
  for (std::string_view name : {"Person", "_x1", "order", "ends", "Match", "yield", "END"}) {
    EXPECT_TRUE(is_plain_name(name)) << name;
  }
  for (std::string_view name : {"", "1a", "a b", "né", "a-b", "`a`"}) {
    EXPECT_FALSE(is_plain_name(name)) << name;
  }
}

}  // namespace
}  // namespace qarvex
