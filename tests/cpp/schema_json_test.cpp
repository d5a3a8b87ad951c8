#include "schema/schema_json.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace qarvex {
namespace {

using Names = std::vector<std::string>;

// The schema read from `text`; fails the test with the reader's message otherwise.
Schema read_ok(const std::string& text) {
  auto result = schema_from_json(text);
  if (auto* error = std::get_if<SchemaJsonError>(&result)) {
    ADD_FAILURE() << "input: " << text << "\nerror: " << error->message();
    return Schema();
  }
  return std::get<Schema>(std::move(result));
}

std::string error_of(const std::string& text) {
  auto result = schema_from_json(text);
  auto* error = std::get_if<SchemaJsonError>(&result);
  return error != nullptr ? error->message() : "(accepted)";
}

TEST(SchemaToJson, CompactSortedText) {
  Schema schema({{"Person", {"name", "age"}}, {"Movie", {}}},
                {{"KNOWS", {"Person", "Person", {}}}, {"ACTED_IN", {"Person", "Movie", {"role"}}}});
  EXPECT_EQ(schema_to_json(schema),
            R"({"nodes":{"Movie":[],"Person":["age","name"]},)"
            R"("relationships":{"ACTED_IN":["Person","Movie",["role"]],)"
            R"("KNOWS":["Person","Person",[]]}})");
  EXPECT_EQ(schema_to_json(Schema()), R"({"nodes":{},"relationships":{}})");
}

TEST(SchemaToJson, SeveralPairsAreAnArrayOfEntriesInTheirOrder) {
  RelationshipType likes("Person", "Movie", {"stars", "at"});
  likes.add({"Person", "Book", {}});
  likes.add({"Company", "Movie", {}});
  Schema schema({}, {{"LIKES", std::move(likes)}, {"KNOWS", {"Person", "Person", {}}}});
  EXPECT_EQ(schema_to_json(schema),
            R"({"nodes":{},"relationships":{"KNOWS":["Person","Person",[]],)"
            R"("LIKES":[["Person","Movie",["at","stars"]],["Person","Book",[]],)"
            R"(["Company","Movie",[]]]}})");
}

TEST(SchemaJson, SeveralPairsRoundTripExactly) {
  const std::string text =
      R"({"nodes":{"A":[]},"relationships":{"R":[["B","A",["y"]],["A","B",["x"]],["A","A",[]]],)"
      R"("S":["A","A",["z"]]}})";
  Schema schema = read_ok(text);
  ASSERT_TRUE(schema.has_type("R"));
  EXPECT_EQ(schema.relationship("R")->entries().size(), 3u);
  EXPECT_EQ(schema.endpoints("R")->source, "B");
  EXPECT_EQ(schema.sorted_type_properties("R"), (Names{"x", "y"}));
  EXPECT_EQ(schema_to_json(schema), text);
}

TEST(SchemaFromJson, AListOfEntriesUnitesRepeatedPairsAndMayHoldJustOne) {
  Schema schema = read_ok(
      R"({"nodes":{},"relationships":{"R":[["A","B",["x"]],["A","B",["y"]]],"S":[["C","D",[]]]}})");
  EXPECT_EQ(schema_to_json(schema),
            R"({"nodes":{},"relationships":{"R":["A","B",["x","y"]],"S":["C","D",[]]}})");
}

TEST(SchemaJson, RoundTripKeepsEveryNameExactly) {
  std::string awkward = std::string("q\"b\\s/\b\f\n\r\t\x01\x7f\0", 14) + "\u00e9\U0001F600";
  Schema schema({{awkward, {awkward, ""}}, {"", {}}},
                {{awkward, {"", awkward, {awkward}}}, {"R", {"A", "B", {}}}});
  std::string text = schema_to_json(schema);
  Schema back = read_ok(text);
  EXPECT_EQ(back.sorted_labels(), schema.sorted_labels());
  EXPECT_EQ(back.sorted_label_properties(awkward), (Names{"", awkward}));
  EXPECT_EQ(back.endpoints(awkward)->source, "");
  EXPECT_EQ(back.endpoints(awkward)->target, awkward);
  EXPECT_EQ(back.sorted_type_properties(awkward), Names{awkward});
  EXPECT_EQ(schema_to_json(back), text);
}

TEST(SchemaFromJson, MembersInAnyOrderAndUnknownOnesSkipped) {
  Schema schema = read_ok(
      R"( {"version":3, "relationships": {"R": ["A","B",["p"]]}, "meta":{"x":[1,-2.5e3,true,)"
      R"(false,null,{"nodes":1}],"y":"\u0041"}, "nodes": {"A": ["x"]}, "z":[]} )");
  EXPECT_EQ(schema.sorted_labels(), Names{"A"});
  EXPECT_EQ(schema.sorted_type_properties("R"), Names{"p"});
}

TEST(SchemaFromJson, TwoElementArrayForm) {
  Schema schema = read_ok(R"([{"A":["x"]},{"R":["A","A",[]]}])");
  EXPECT_EQ(schema.sorted_labels(), Names{"A"});
  EXPECT_TRUE(schema.has_type("R"));
  EXPECT_TRUE(read_ok("[{},{}]").empty());
}

TEST(SchemaFromJson, RepeatedNamesKeepTheLastValueAndRepeatedKeysOnce) {
  Schema schema = read_ok(
      R"({"nodes":{"A":["x"],"A":["y","y"]},)"
      R"("relationships":{"R":["a","b",[]],"R":["c","d",["p","p"]]}})");
  EXPECT_EQ(schema.sorted_label_properties("A"), Names{"y"});
  EXPECT_EQ(schema.endpoints("R")->source, "c");
  EXPECT_EQ(schema.sorted_type_properties("R"), Names{"p"});
}

TEST(SchemaFromJson, EscapesAreResolvedInNamesAndMemberNames) {
  Schema schema = read_ok(
      R"({"nod\u0065s":{"\ud83d\ude00\u00e9\/\"\\\b\f\n\r\t\u0000":[]},"relationships":{}})");
  EXPECT_EQ(schema.sorted_labels(),
            Names{std::string("\U0001F600\u00e9/\"\\\b\f\n\r\t\0", 15)});
}

struct ErrorCase {
  std::string input;
  std::string message;
};

class SchemaJsonErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(SchemaJsonErrors, DescribeTheFirstProblemAndWhereItIs) {
  EXPECT_EQ(error_of(GetParam().input), GetParam().message) << "input: " << GetParam().input;
}

const std::string empty_rels = R"({"nodes":{},"relationships":{"R":)";

INSTANTIATE_TEST_SUITE_P(
    MalformedText, SchemaJsonErrors,
    testing::Values(
        ErrorCase{"", "EOF while parsing a value at line 1 column 1"},
        ErrorCase{" \n ", "EOF while parsing a value at line 2 column 2"},
        ErrorCase{"{", "EOF while parsing an object at line 1 column 2"},
        ErrorCase{R"({"nodes")", "EOF while parsing an object at line 1 column 9"},
        ErrorCase{R"({"nodes":)", "EOF while parsing a value at line 1 column 10"},
        ErrorCase{"[", "EOF while parsing a list at line 1 column 2"},
        ErrorCase{R"({"x":[1,)", "EOF while parsing a list at line 1 column 9"},
        ErrorCase{R"("abc)", "EOF while parsing a string at line 1 column 5"},
        ErrorCase{R"("ab\)", "EOF while parsing a string at line 1 column 5"},
        ErrorCase{R"("\u12)", "EOF while parsing a string at line 1 column 6"},
        ErrorCase{R"("\ud800)", "EOF while parsing a string at line 1 column 8"},
        ErrorCase{"tru", "EOF while parsing a value at line 1 column 4"},
        ErrorCase{"-", "EOF while parsing a value at line 1 column 2"},
        ErrorCase{"1e+", "EOF while parsing a value at line 1 column 4"},
        ErrorCase{R"({"nodes" {}})", "expected `:` at line 1 column 10"},
        ErrorCase{R"({"x":[1 2]})", "expected `,` or `]` at line 1 column 9"},
        ErrorCase{R"({"nodes":{} "relationships":{}})", "expected `,` or `}` at line 1 column 13"},
        ErrorCase{"nulL", "expected ident at line 1 column 4"},
        ErrorCase{R"({"x":fals})", "expected ident at line 1 column 10"},
        ErrorCase{R"({"x":[x]})", "expected value at line 1 column 7"},
        ErrorCase{"+1", "expected value at line 1 column 1"},
        ErrorCase{"\xef\xbb\xbf{}", "expected value at line 1 column 1"},
        ErrorCase{R"({'nodes':{}})", "expected `\"` at line 1 column 2"},
        ErrorCase{R"({nodes:{}})", "expected `\"` at line 1 column 2"},
        ErrorCase{R"({1:2})", "key must be a string at line 1 column 2"},
        ErrorCase{R"({null:2})", "key must be a string at line 1 column 2"},
        ErrorCase{R"({"x":1,[]:2})", "key must be a string at line 1 column 8"},
        ErrorCase{R"("a\x")", "invalid escape at line 1 column 3"},
        ErrorCase{R"("\U0041")", "invalid escape at line 1 column 2"},
        ErrorCase{"-x", "invalid number at line 1 column 2"},
        ErrorCase{"01", "invalid number at line 1 column 2"},
        ErrorCase{"-01", "invalid number at line 1 column 3"},
        ErrorCase{"1.e5", "invalid number at line 1 column 3"},
        ErrorCase{"1ex", "invalid number at line 1 column 3"},
        ErrorCase{R"({"x":.5})", "expected value at line 1 column 6"},
        ErrorCase{"1e400", "number out of range at line 1 column 1"},
        ErrorCase{R"({"x":-1.8e308})", "number out of range at line 1 column 6"},
        ErrorCase{std::string(400, '9'), "number out of range at line 1 column 1"},
        ErrorCase{"1e99999999999999999999999", "number out of range at line 1 column 1"},
        ErrorCase{R"("\udc00")", "invalid unicode code point at line 1 column 2"},
        ErrorCase{"\"a\xff\"", "invalid unicode code point at line 1 column 3"},
        ErrorCase{"\"\xc0\x80\"", "invalid unicode code point at line 1 column 2"},
        ErrorCase{"\"\xed\xa0\x80\"", "invalid unicode code point at line 1 column 2"},
        ErrorCase{"\"\xf4\x90\x80\x80\"", "invalid unicode code point at line 1 column 2"},
        ErrorCase{"\"\xe2\x82\"", "invalid unicode code point at line 1 column 2"},
        ErrorCase{"\"a\x01\"",
                  "control character (\\u0000-\\u001F) found while parsing a string at line 1 "
                  "column 3"},
        ErrorCase{"\"a\tb\"",
                  "control character (\\u0000-\\u001F) found while parsing a string at line 1 "
                  "column 3"},
        ErrorCase{R"("\ud800")", "lone leading surrogate in hex escape at line 1 column 2"},
        ErrorCase{R"("x\ud800\u0041")", "lone leading surrogate in hex escape at line 1 column 3"},
        ErrorCase{R"("\ud800\n")", "lone leading surrogate in hex escape at line 1 column 2"},
        ErrorCase{R"("\ud800\ud800")", "lone leading surrogate in hex escape at line 1 column 2"},
        ErrorCase{R"("\u12x4")", "unexpected end of hex escape at line 1 column 6"},
        ErrorCase{R"("\ud800\u00")", "unexpected end of hex escape at line 1 column 12"},
        ErrorCase{R"({"x":[1,]})", "trailing comma at line 1 column 8"},
        ErrorCase{R"({"x":1 , })", "trailing comma at line 1 column 8"},
        ErrorCase{R"({"nodes":{},"relationships":{}} x)", "trailing characters at line 1 column 33"},
        ErrorCase{R"([{},{}]])", "trailing characters at line 1 column 8"},
        // The 128th nested array, whose bracket is in column 5 + 128, goes too deep.
        ErrorCase{R"({"x":)" + std::string(200, '['), "recursion limit exceeded at line 1 column 133"},
        ErrorCase{R"({"x":)" + std::string(127, '[') + std::string(127, ']') + "}",
                  "missing field `nodes` at line 1 column 260"}));

INSTANTIATE_TEST_SUITE_P(
    WrongShape, SchemaJsonErrors,
    testing::Values(
        ErrorCase{"{}", "missing field `nodes` at line 1 column 2"},
        ErrorCase{R"({"nodes":{}})", "missing field `relationships` at line 1 column 12"},
        ErrorCase{R"({"relationships":{}})", "missing field `nodes` at line 1 column 20"},
        ErrorCase{R"({"nodes":{},"relationships":{},"nodes":{}})",
                  "duplicate field `nodes` at line 1 column 32"},
        ErrorCase{R"({"relationships":{},"nodes":{},"relationships":3})",
                  "duplicate field `relationships` at line 1 column 32"},
        ErrorCase{"3", "invalid type: integer `3`, expected struct Schema at line 1 column 1"},
        ErrorCase{" -7", "invalid type: integer `-7`, expected struct Schema at line 1 column 2"},
        ErrorCase{"-1.5e3",
                  "invalid type: floating point `-1.5e3`, expected struct Schema at line 1 column 1"},
        ErrorCase{"1e-400",
                  "invalid type: floating point `1e-400`, expected struct Schema at line 1 column 1"},
        ErrorCase{"18446744073709551615",
                  "invalid type: integer `18446744073709551615`, expected struct Schema at line 1 "
                  "column 1"},
        ErrorCase{"18446744073709551616",
                  "invalid type: floating point `18446744073709551616`, expected struct Schema at "
                  "line 1 column 1"},
        ErrorCase{"-9223372036854775809",
                  "invalid type: floating point `-9223372036854775809`, expected struct Schema at "
                  "line 1 column 1"},
        ErrorCase{R"("x")", "invalid type: string \"x\", expected struct Schema at line 1 column 1"},
        ErrorCase{R"("a\"b\n\u00e9")",
                  "invalid type: string \"a\\\"b\\n\u00e9\", expected struct Schema at line 1 "
                  "column 1"},
        ErrorCase{"\"" + std::string(41, 'x') + "\"",
                  "invalid type: string \"" + std::string(40, 'x') +
                      "\u2026\", expected struct Schema at line 1 column 1"},
        ErrorCase{"null", "invalid type: null, expected struct Schema at line 1 column 1"},
        ErrorCase{"true", "invalid type: boolean `true`, expected struct Schema at line 1 column 1"},
        ErrorCase{R"({"nodes":3})", "invalid type: integer `3`, expected a map at line 1 column 10"},
        ErrorCase{R"({"nodes":[],"relationships":{}})",
                  "invalid type: sequence, expected a map at line 1 column 10"},
        ErrorCase{R"({"nodes":{},"relationships":"R"})",
                  "invalid type: string \"R\", expected a map at line 1 column 29"},
        ErrorCase{R"({"nodes":{"A":"x"},"relationships":{}})",
                  "invalid type: string \"x\", expected a sequence at line 1 column 15"},
        ErrorCase{R"({"nodes":{"A":{}},"relationships":{}})",
                  "invalid type: map, expected a sequence at line 1 column 15"},
        ErrorCase{R"({"nodes":{"A":["x",3]},"relationships":{}})",
                  "invalid type: integer `3`, expected a string at line 1 column 20"},
        ErrorCase{R"({"nodes":{"A":[["x"]]},"relationships":{}})",
                  "invalid type: sequence, expected a string at line 1 column 16"},
        ErrorCase{empty_rels + "{}}}",
                  "invalid type: map, expected a tuple of size 3 at line 1 column 34"},
        ErrorCase{empty_rels + "null}}",
                  "invalid type: null, expected a tuple of size 3 at line 1 column 34"},
        ErrorCase{empty_rels + "[]}}",
                  "invalid length 0, expected a tuple of size 3 at line 1 column 35"},
        ErrorCase{empty_rels + R"(["a","b"]}})",
                  "invalid length 2, expected a tuple of size 3 at line 1 column 42"},
        ErrorCase{empty_rels + R"(["a","b",[],1,{"k":[]}]}})",
                  "invalid length 5, expected a tuple of size 3 at line 1 column 46"},
        ErrorCase{empty_rels + R"(["a","b",[],1,}}})",
                  "expected value at line 1 column 48"},
        ErrorCase{empty_rels + R"([1,"b",[]]}})",
                  "invalid type: integer `1`, expected a string at line 1 column 35"},
        ErrorCase{empty_rels + R"(["a","b","c"]}})",
                  "invalid type: string \"c\", expected a sequence at line 1 column 43"},
        // A list of entries: each one is read as the single entry is.
        ErrorCase{empty_rels + R"([[]]}})",
                  "invalid length 0, expected a tuple of size 3 at line 1 column 36"},
        ErrorCase{empty_rels + R"([["a","b"]]}})",
                  "invalid length 2, expected a tuple of size 3 at line 1 column 43"},
        ErrorCase{empty_rels + R"([[1,"b",[]]]}})",
                  "invalid type: integer `1`, expected a string at line 1 column 36"},
        ErrorCase{empty_rels + R"([["a","b",[]],"x"]}})",
                  "invalid type: string \"x\", expected a tuple of size 3 at line 1 column 48"},
        ErrorCase{empty_rels + R"([["a","b",[]],{"k":1}]}})",
                  "invalid type: map, expected a tuple of size 3 at line 1 column 48"},
        ErrorCase{empty_rels + R"([["a","b",[]],[]]}})",
                  "invalid length 0, expected a tuple of size 3 at line 1 column 49"},
        ErrorCase{empty_rels + R"([["a","b",[]],["c","d",[],1]]}})",
                  "invalid length 4, expected a tuple of size 3 at line 1 column 60"},
        ErrorCase{empty_rels + R"([["a","b",[]],]}})", "trailing comma at line 1 column 47"},
        ErrorCase{empty_rels + R"([["a","b",[]]}})", "expected `,` or `]` at line 1 column 47"},
        ErrorCase{empty_rels + R"([["a","b",[]])", "EOF while parsing a list at line 1 column 47"},
        ErrorCase{"[]", "invalid length 0, expected struct Schema with 2 elements at line 1 column 2"},
        ErrorCase{"[{}]", "invalid length 1, expected struct Schema with 2 elements at line 1 column 4"},
        ErrorCase{"[{},{},{},[]]",
                  "invalid length 4, expected struct Schema with 2 elements at line 1 column 8"},
        ErrorCase{"[[],{}]", "invalid type: sequence, expected a map at line 1 column 2"},
        // Lines count line feeds ("\r\n" once); columns count characters, not bytes.
        ErrorCase{"{\n  \"nodes\": {},\n  \"relationships\": 7\n}",
                  "invalid type: integer `7`, expected a map at line 3 column 20"},
        ErrorCase{"{\r\n\"nodes\":1}", "invalid type: integer `1`, expected a map at line 2 column 9"},
        ErrorCase{"{\"nodes\":{\"\u00e9\u20ac\U0001F600\":\"x\"}}",
                  "invalid type: string \"x\", expected a sequence at line 1 column 17"}));

}  // namespace
}  // namespace qarvex
