#include "base/unicode_lower.hpp"

#include <gtest/gtest.h>

namespace qarvex {
namespace {

struct LowerRow {
  std::string_view why;
  std::string_view text;
  std::string_view lower;
};

class UnicodeLower : public testing::TestWithParam<LowerRow> {};

TEST_P(UnicodeLower, MapsToTheFullLowerCase) {
  const LowerRow& row = GetParam();
  EXPECT_EQ(unicode_lower(row.text), row.lower) << row.why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnicodeLower,
    testing::Values(
        LowerRow{"ASCII", "MATCH Person_1", "match person_1"},
        LowerRow{"empty", "", ""},
        LowerRow{"Latin-1 and alternating blocks", "ÀÉÎÕÜ ĀĂĄ Ÿ", "àéîõü āăą ÿ"},
        LowerRow{"dotted capital I becomes i and a combining dot", "İSTANBUL", "i\u0307stanbul"},
        LowerRow{"capital sharp s", "STRAẞE", "straße"},
        LowerRow{"Greek, sigma inside and at the end of a word", "ΟΔΥΣΣΕΥΣ", "οδυσσευς"},
        LowerRow{"final sigma before a space and punctuation", "ΣΑΣ ΣΑΣ.", "σας σας."},
        LowerRow{"a lone sigma is not at the end of a word", "Σ", "σ"},
        LowerRow{"a sigma after a space starts a word", "A Σ", "a σ"},
        LowerRow{"case-ignorable marks are skipped on both sides", "AΣ\u0301", "aς\u0301"},
        LowerRow{"a cased letter after ignorable marks keeps medial sigma", "AΣ'B", "aσ'b"},
        LowerRow{"a cased modifier letter counts as case-ignorable", "ʰΣ AʰΣ", "ʰσ aʰς"},
        LowerRow{"a following lower-case final sigma is a cased letter", "ΑΣς", "ασς"},
        LowerRow{"Cyrillic", "МОСКВА Ёж", "москва ёж"},
        LowerRow{"Armenian and Georgian Mtavruli", "ԱԲ ᲐᲑ", "աբ აბ"},
        LowerRow{"outside the basic plane", "\U00010400\U0001E900", "\U00010428\U0001E922"},
        LowerRow{"title-case digraph", "ǅ", "ǆ"},
        LowerRow{"Kelvin and Ohm signs", "\u212A\u2126", "kω"},
        LowerRow{"no lower case: CJK, digits, lower-case letters", "漢字 123 ß", "漢字 123 ß"}));

INSTANTIATE_TEST_SUITE_P(
    InvalidUtf8, UnicodeLower,
    testing::Values(
        LowerRow{"stray continuation byte", "A\x80" "B", "a\x80" "b"},
        LowerRow{"cut-off sequence at the end", "Ä\xc3", "ä\xc3"},
        LowerRow{"overlong form of A is not decoded", "\xc1\x81", "\xc1\x81"},
        LowerRow{"encoded surrogate", "\xed\xa0\x80Z", "\xed\xa0\x80z"},
        LowerRow{"past U+10FFFF", "\xf4\x90\x80\x80Z", "\xf4\x90\x80\x80z"},
        LowerRow{"lead byte followed by ASCII", "\xce" "A\xce\xa3", "\xce" "a\xcf\x82"}));

}  // namespace
}  // namespace qarvex
