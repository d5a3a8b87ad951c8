#include "parser/builder/literals.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace qarvex {
namespace {

TEST(Literals, Integers) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {"0", 0},           {"42", 42},    {"017", 17},   {"0x1F", 31},    {"0X1f", 31},
      {"0o17", 15},       {"0o8", 0},    {"0x", 0},     {"0o", 0},       {"12ab", 0},
      {"-5", 0},          {"0x-5", 0},   {"99999999999999999999", 0},
      {"9223372036854775807", INT64_MAX}, {"9223372036854775808", 0},
      {"0x7FFFFFFFFFFFFFFF", INT64_MAX},  {"0x8000000000000000", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(integer_literal_value(text), value) << text;
}

TEST(Literals, Floats) {
  EXPECT_EQ(float_literal_value("1.5"), 1.5);
  EXPECT_EQ(float_literal_value("1."), 1.0);
  EXPECT_EQ(float_literal_value("2.5E-1"), 0.25);
  EXPECT_EQ(float_literal_value("x"), 0.0);
  EXPECT_TRUE(std::isinf(float_literal_value("1.0e999")));
  EXPECT_EQ(float_literal_value("1.0e-999"), 0.0);
}

TEST(Literals, ParameterNamesLoseEveryLeadingDollar) {
  EXPECT_EQ(parameter_name("$name"), "name");
  EXPECT_EQ(parameter_name("$$x$"), "x$");
  EXPECT_EQ(parameter_name("$"), "");
}

}  // namespace
}  // namespace qarvex
