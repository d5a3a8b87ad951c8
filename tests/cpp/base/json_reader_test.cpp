#include "base/json_reader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "schema/schema_json.hpp"

namespace qarvex {
namespace {

TEST(TextPosition, CountsLineFeedsAndCharacters) {
  std::string text = "ab\r\n\u00e9\U0001F600x\ny";
  EXPECT_EQ(text_position(text, 0).column, 1u);
  TextPosition x = text_position(text, text.find('x'));
  EXPECT_EQ(x.line, 2u);
  EXPECT_EQ(x.column, 3u);
  TextPosition end = text_position(text, text.size());
  EXPECT_EQ(end.line, 3u);
  EXPECT_EQ(end.column, 2u);
}

TEST(JsonReader, PullsMembersAndElementsInOrder) {
  JsonReader reader(R"( {"a": ["x", "y"], "b": {}} )");
  ASSERT_EQ(reader.peek_value(), JsonKind::Object);
  ASSERT_TRUE(reader.begin_object());
  std::string key;
  ASSERT_EQ(reader.next_member(key), JsonReader::Step::Item);
  EXPECT_EQ(key, "a");
  ASSERT_EQ(reader.peek_value(), JsonKind::Array);
  ASSERT_TRUE(reader.begin_array());
  std::string item;
  ASSERT_EQ(reader.next_element(), JsonReader::Step::Item);
  ASSERT_EQ(reader.peek_value(), JsonKind::String);
  ASSERT_TRUE(reader.read_string(item));
  EXPECT_EQ(item, "x");
  ASSERT_EQ(reader.next_element(), JsonReader::Step::Item);
  ASSERT_TRUE(reader.skip_value());
  EXPECT_EQ(reader.next_element(), JsonReader::Step::End);
  ASSERT_EQ(reader.next_member(key), JsonReader::Step::Item);
  EXPECT_EQ(key, "b");
  ASSERT_TRUE(reader.skip_value());
  EXPECT_EQ(reader.next_member(key), JsonReader::Step::End);
  EXPECT_TRUE(reader.finish());
  EXPECT_FALSE(reader.failed());
}

TEST(JsonReader, FirstRecordedProblemWins) {
  JsonReader reader("[1,]");
  EXPECT_FALSE(reader.skip_value());
  EXPECT_FALSE(reader.fail(0, "later problem"));
  EXPECT_EQ(reader.error().description, "trailing comma");
  EXPECT_EQ(reader.error().offset, 2u);
  EXPECT_FALSE(reader.finish());
}

TEST(JsonReader, CallsThatDoNotMatchTheTextFailInsteadOfReadingOn) {
  JsonReader strings(R"("x")");
  EXPECT_FALSE(strings.begin_array());
  EXPECT_EQ(strings.error().description, "expected value");
  JsonReader top_level("[]");
  EXPECT_EQ(top_level.next_element(), JsonReader::Step::Error);
  JsonReader array("[1]");
  ASSERT_TRUE(array.begin_array());
  std::string key;
  EXPECT_EQ(array.next_member(key), JsonReader::Step::Error);
  JsonReader number("1");
  EXPECT_FALSE(number.read_string(key));
}

// Hostile inputs end in a result or a clean error, in time linear in their size.
std::string error_of(const std::string& text) {
  auto result = schema_from_json(text);
  auto* error = std::get_if<SchemaJsonError>(&result);
  return error != nullptr ? error->message() : "(accepted)";
}

const std::size_t hundred_megabytes = 100u << 20;

TEST(JsonReaderLimits, HundredMegabyteStrings) {
  std::string skipped = R"({"x":")" + std::string(hundred_megabytes, 'a') +
                        R"(","nodes":{},"relationships":{}})";
  EXPECT_EQ(error_of(skipped), "(accepted)");
  std::string label =
      R"({"nodes":{")" + std::string(hundred_megabytes, 'a') + R"(":[]},"relationships":{}})";
  auto result = schema_from_json(label);
  ASSERT_TRUE(std::holds_alternative<Schema>(result));
  EXPECT_EQ(std::get<Schema>(result).sorted_labels().front().size(), hundred_megabytes);
}

TEST(JsonReaderLimits, DeepNesting) {
  EXPECT_EQ(error_of(R"({"x":)" + std::string(1'000'000, '[')),
            "recursion limit exceeded at line 1 column 133");
  EXPECT_EQ(error_of(R"({"x":[)" + std::string(1'000'000, '{') + "}"),
            "key must be a string at line 1 column 8");
}

TEST(JsonReaderLimits, LongNumbers) {
  EXPECT_EQ(error_of(R"({"x":)" + std::string(10'000'000, '7') + "}"),
            "number out of range at line 1 column 6");
  EXPECT_EQ(error_of(R"({"x":0.)" + std::string(10'000'000, '0') + "1}"),
            "missing field `nodes` at line 1 column 10000009");
  EXPECT_EQ(error_of(R"({"x":1e-)" + std::string(10'000'000, '9') + "}"),
            "missing field `nodes` at line 1 column 10000009");
}

TEST(JsonReaderLimits, LongBlankRun) {
  EXPECT_EQ(error_of(std::string(10'000'000, ' ')),
            "EOF while parsing a value at line 1 column 10000001");
}

}  // namespace
}  // namespace qarvex
