#include "base/json_writer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace qarvex {
namespace {

struct EscapeCase {
  std::string text;
  std::string literal;
};

class JsonStringEscaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(JsonStringEscaping, FollowsTheOneRule) {
  std::string out;
  append_json_string(out, GetParam().text);
  EXPECT_EQ(out, GetParam().literal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonStringEscaping,
    testing::Values(EscapeCase{"", R"("")"}, EscapeCase{"plain", R"("plain")"},
                    EscapeCase{"a\"b\\c", R"("a\"b\\c")"},
                    EscapeCase{"\b\f\n\r\t", R"("\b\f\n\r\t")"},
                    EscapeCase{std::string("\0\x01\x1f", 3), R"("\u0000\u0001\u001f")"},
                    EscapeCase{"\x0b\x1b", R"("\u000b\u001b")"},
                    // Slash, DEL and all non-ASCII text stay as they are.
                    EscapeCase{"/\x7f\u00e9\u2028\U0001F600", "\"/\x7f\u00e9\u2028\U0001F600\""}));

TEST(JsonWriter, PutsCommasBetweenMembersAndElementsOnly) {
  JsonWriter json;
  json.begin_object();
  json.key("a");
  json.begin_array();
  json.end_array();
  json.key("b");
  json.begin_array();
  json.string("x");
  json.boolean(true);
  json.boolean(false);
  json.null();
  json.unsigned_integer(0);
  json.unsigned_integer(std::numeric_limits<std::uint64_t>::max());
  json.begin_object();
  json.end_object();
  json.begin_array();
  json.unsigned_integer(7);
  json.end_array();
  json.end_array();
  json.key("c\n");
  json.null();
  json.end_object();
  EXPECT_EQ(json.text(),
            R"({"a":[],"b":["x",true,false,null,0,18446744073709551615,{},[7]],"c\n":null})");
}

}  // namespace
}  // namespace qarvex
