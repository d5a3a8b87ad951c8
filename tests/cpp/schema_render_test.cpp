#include "schema/render.hpp"

#include <gtest/gtest.h>

#include <string>

namespace qarvex {
namespace {

// Labels Person (name, age), Movie (title), Tag (none); ACTED_IN Person->Movie (role),
// TAGGED Movie->Tag (none).
Schema movie_schema() {
  return Schema({{"Person", {"name", "age"}}, {"Movie", {"title"}}, {"Tag", {}}},
                {{"ACTED_IN", {"Person", "Movie", {"role"}}}, {"TAGGED", {"Movie", "Tag", {}}}});
}

TEST(RenderPrompt, WorkedExample) {
  EXPECT_EQ(render_prompt(movie_schema()),
            "Graph Schema\n"
            "============\n"
            "\n"
            "Nodes\n"
            "-----\n"
            "  :Movie                       title\n"
            "  :Person                      age, name\n"
            "  :Tag\n"
            "\n"
            "Relationships\n"
            "-------------\n"
            "  :ACTED_IN                    (Person)-->(Movie)   role\n"
            "  :TAGGED                      (Movie)-->(Tag)\n");
}

TEST(RenderMarkdown, WorkedExample) {
  EXPECT_EQ(render_markdown(movie_schema()),
            "### Nodes\n"
            "\n"
            "| Label | Properties |\n"
            "|---|---|\n"
            "| :Movie | title |\n"
            "| :Person | age, name |\n"
            "| :Tag | \u2014 |\n"
            "\n"
            "### Relationships\n"
            "\n"
            "| Type | Source \u2192 Target | Properties |\n"
            "|---|---|---|\n"
            "| :ACTED_IN | :Person \u2192 :Movie | role |\n"
            "| :TAGGED | :Movie \u2192 :Tag | \u2014 |\n");
}

TEST(RenderCypherContext, WorkedExample) {
  EXPECT_EQ(render_cypher_context(movie_schema()),
            "// Node labels and their properties\n"
            "(:Movie {title})\n"
            "(:Person {age, name})\n"
            "(:Tag)\n"
            "\n"
            "// Relationship types\n"
            "(:Person)-[:ACTED_IN {role}]->(:Movie)\n"
            "(:Movie)-[:TAGGED]->(:Tag)\n");
}

// LIKES from Person to Movie (stars, at), to Book (none), and from Company to Movie (at),
// given in that order; KNOWS sorts before it.
Schema several_pairs_schema() {
  RelationshipType likes("Person", "Movie", {"stars", "at"});
  likes.add({"Person", "Book", {}});
  likes.add({"Company", "Movie", {"at"}});
  return Schema({}, {{"LIKES", std::move(likes)}, {"KNOWS", {"Person", "Person", {}}}});
}

TEST(Render, OneLinePerPairInOrderWithThatPairsKeys) {
  const Schema schema = several_pairs_schema();
  EXPECT_EQ(render_prompt(schema),
            "Graph Schema\n============\n\nNodes\n-----\n\nRelationships\n-------------\n"
            "  :KNOWS                       (Person)-->(Person)\n"
            "  :LIKES                       (Person)-->(Movie)   at, stars\n"
            "  :LIKES                       (Person)-->(Book)\n"
            "  :LIKES                       (Company)-->(Movie)   at\n");
  EXPECT_EQ(render_markdown(schema),
            "### Nodes\n\n| Label | Properties |\n|---|---|\n\n### Relationships\n\n"
            "| Type | Source \u2192 Target | Properties |\n|---|---|---|\n"
            "| :KNOWS | :Person \u2192 :Person | \u2014 |\n"
            "| :LIKES | :Person \u2192 :Movie | at, stars |\n"
            "| :LIKES | :Person \u2192 :Book | \u2014 |\n"
            "| :LIKES | :Company \u2192 :Movie | at |\n");
  EXPECT_EQ(render_cypher_context(schema),
            "// Node labels and their properties\n\n// Relationship types\n"
            "(:Person)-[:KNOWS]->(:Person)\n"
            "(:Person)-[:LIKES {at, stars}]->(:Movie)\n"
            "(:Person)-[:LIKES]->(:Book)\n"
            "(:Company)-[:LIKES {at}]->(:Movie)\n");
}

TEST(Render, EmptySchema) {
  Schema empty;
  EXPECT_EQ(render_prompt(empty),
            "Graph Schema\n============\n\nNodes\n-----\n\nRelationships\n-------------\n");
  EXPECT_EQ(render_markdown(empty),
            "### Nodes\n\n| Label | Properties |\n|---|---|\n\n### Relationships\n\n"
            "| Type | Source \u2192 Target | Properties |\n|---|---|---|\n");
  EXPECT_EQ(render_cypher_context(empty),
            "// Node labels and their properties\n\n// Relationship types\n");
}

// The line that to_prompt writes for one label with the single property p.
std::string prompt_label_line(const std::string& label) {
  std::string text = render_prompt(Schema({{label, {"p"}}}, {}));
  std::size_t start = text.find("  :");
  return text.substr(start, text.find('\n', start) + 1 - start);
}

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

struct PaddingCase {
  std::string label;
  std::string line;
};

class PromptPadding : public testing::TestWithParam<PaddingCase> {};

TEST_P(PromptPadding, CountsCharactersNotBytes) {
  EXPECT_EQ(prompt_label_line(GetParam().label), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PromptPadding,
    testing::Values(
        PaddingCase{"", "  :" + std::string(26, ' ') + "  p\n"},
        PaddingCase{std::string(25, 'L'), "  :" + std::string(25, 'L') + "   p\n"},
        PaddingCase{std::string(26, 'L'), "  :" + std::string(26, 'L') + "  p\n"},
        PaddingCase{std::string(27, 'L'), "  :" + std::string(27, 'L') + "  p\n"},
        PaddingCase{std::string(30, 'L'), "  :" + std::string(30, 'L') + "  p\n"},
        // 26 two-byte characters fill the column exactly; 2 characters of 3 and 4 bytes
        // leave 24 spaces.
        PaddingCase{repeat("\u00e9", 26), "  :" + repeat("\u00e9", 26) + "  p\n"},
        PaddingCase{"\u20ac\U0001F600", "  :\u20ac\U0001F600" + std::string(24, ' ') + "  p\n"}));

TEST(RenderPrompt, UnpaddedLabelWithoutPropertiesButPaddedTypeWithout) {
  std::string text = render_prompt(Schema({{"Tag", {}}}, {{"R", {"A", "B", {}}}}));
  EXPECT_NE(text.find("\n  :Tag\n"), std::string::npos);
  EXPECT_NE(text.find("\n  :R" + std::string(25, ' ') + "  (A)-->(B)\n"), std::string::npos);
}

TEST(RenderPrompt, LongTypeIsFollowedDirectlyByTwoSpaces) {
  std::string type(30, 'T');
  std::string text = render_prompt(Schema({}, {{type, {"A", "B", {"x"}}}}));
  EXPECT_NE(text.find("  :" + type + "  (A)-->(B)   x\n"), std::string::npos);
}

TEST(Render, PropertiesSortedByBytesAndNamesInsertedUnchanged) {
  Schema schema({{"a b|{c}`", {"z", "a", "M"}}}, {{"R:T", {"Un declared", "x", {"q", "Q"}}}});
  EXPECT_EQ(render_cypher_context(schema),
            "// Node labels and their properties\n(:a b|{c}` {M, a, z})\n\n"
            "// Relationship types\n(:Un declared)-[:R:T {Q, q}]->(:x)\n");
  EXPECT_NE(render_markdown(schema).find("| :a b|{c}` | M, a, z |\n"), std::string::npos);
  EXPECT_NE(render_markdown(schema).find("| :R:T | :Un declared \u2192 :x | Q, q |\n"),
            std::string::npos);
}

}  // namespace
}  // namespace qarvex
