// The two line-break rules side by side on the texts where they differ.
#include "base/text_position.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace qarvex {
namespace {

std::string both(std::string_view text, std::size_t offset) {
  TextPosition lf = text_position(text, offset);
  TextPosition crlf = text_position_crlf(text, offset);
  return std::to_string(lf.line) + ":" + std::to_string(lf.column) + " " +
         std::to_string(crlf.line) + ":" + std::to_string(crlf.column);
}

TEST(TextPosition, LineFeedOnlyAgainstCrLf) {
  EXPECT_EQ(both("a\r\nb", 1), "1:2 1:2");  // at the CR
  EXPECT_EQ(both("a\r\nb", 2), "1:3 2:1");  // between CR and LF
  EXPECT_EQ(both("a\r\nb", 3), "2:1 2:1");  // after the pair
  EXPECT_EQ(both("a\rb", 3), "1:4 1:4");    // a lone CR is a column under both rules
  EXPECT_EQ(both("\xc3\xa9\nx", 99), "2:2 2:2");  // past the end is the end; é is one column
}

}  // namespace
}  // namespace qarvex
