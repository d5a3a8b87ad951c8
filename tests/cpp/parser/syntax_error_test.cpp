// Syntax-error reports: the six-line message, its line and column, and the expected lists.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "parser/parse.hpp"

namespace qarvex {
namespace {

struct ErrorCase {
  const char* name;
  std::string query;
  std::string message;
  std::uint32_t line;
  std::uint32_t column;
};

std::string lines(std::initializer_list<std::string_view> parts) {
  std::string joined;
  bool first = true;
  for (std::string_view part : parts) {
    if (!first) joined += "\n";
    joined += part;
    first = false;
  }
  return joined;
}

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class SyntaxErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(SyntaxErrorTest, MessageAndPosition) {
  const ErrorCase& c = GetParam();
  ParseOutcome outcome = parse(Rule::cypher, c.query);
  const auto* failure = std::get_if<ParseFailure>(&outcome);
  ASSERT_NE(failure, nullptr) << "parsed: " << c.query;
  ParseErrorInfo info = syntax_error_info(c.query, *failure);
  EXPECT_EQ(info.message, c.message) << "query: " << c.query;
  ASSERT_TRUE(info.position.has_value());
  EXPECT_EQ(info.position->line, c.line);
  EXPECT_EQ(info.position->column, c.column);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, SyntaxErrorTest,
    testing::Values(
        ErrorCase{"MissingParenthesis", "MATCH (n RETURN n",
                  lines({" --> 1:10", "  |", "1 | MATCH (n RETURN n", "  |          ^---", "  |",
                         "  = expected node_labels or properties"}),
                  1, 10},
        ErrorCase{"MisspeltKeyword", "MATCH (n) RETRUN n",
                  lines({" --> 1:11", "  |", "1 | MATCH (n) RETRUN n", "  |           ^---", "  |",
                         "  = expected EOI, union_clause, reading_clause, updating_clause, "
                         "with_clause, return_clause, where_clause, or left_arrow"}),
                  1, 11},
        ErrorCase{"EmptyText", "",
                  lines({" --> 1:1", "  |", "1 | ", "  | ^---", "  |", "  = expected statement"}),
                  1, 1},
        ErrorCase{"OperandMissingOnNextLine",
                  "MATCH (n:Person {name: \"A\"})\nWHERE n.age >= 18 AND\nRETURN n.name",
                  lines({" --> 3:1", "  |", "3 | RETURN n.name", "  | ^---", "  |",
                         "  = expected not_expr"}),
                  3, 1}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SyntaxErrorTest,
    testing::Values(
        ErrorCase{"LineTenWidensTheMargin", std::string(9, '\n') + "RETURN",
                  lines({"  --> 10:7", "   |", "10 | RETURN", "   |       ^---", "   |",
                         "   = expected not_expr"}),
                  10, 7},
        ErrorCase{"FinalLineFeed", "RETURN\n",
                  lines({" --> 2:1", "  |", "2 | ", "  | ^---", "  |", "  = expected not_expr"}),
                  2, 1},
        ErrorCase{"FinalCarriageReturnLineFeed", "RETURN\r\n",
                  lines({" --> 2:1", "  |", "2 | ", "  | ^---", "  |", "  = expected not_expr"}),
                  2, 1},
        ErrorCase{"TabKeptInTheUnderline", "\tMATCH (n)\tRETRUN n",
                  lines({" --> 1:12", "  |", "1 | \tMATCH (n)\tRETRUN n", "  | \t         \t^---",
                         "  |",
                         "  = expected EOI, union_clause, reading_clause, updating_clause, "
                         "with_clause, return_clause, where_clause, or left_arrow"}),
                  1, 12},
        ErrorCase{"CrLfCountsOnceAndMultiByteIsOneColumn",
                  "MATCH (n)\r\nWHERE n.name = '\xc3\xa9\xe2\x82\xac' AND\r\n",
                  lines({" --> 3:1", "  |", "3 | ", "  | ^---", "  |", "  = expected not_expr"}),
                  3, 1},
        ErrorCase{"MultiByteCharactersBeforeTheError", "RETURN '\xc3\xa9\xe2\x82\xac' +",
                  lines({" --> 1:14", "  |", "1 | RETURN '\xc3\xa9\xe2\x82\xac' +",
                         "  |              ^---", "  |", "  = expected atom"}),
                  1, 14},
        ErrorCase{"LoneCarriageReturnIsAColumn", "MATCH (n)\rRETRUN n",
                  lines({" --> 1:11", "  |", "1 | MATCH (n)RETRUN n", "  |           ^---", "  |",
                         "  = expected EOI, union_clause, reading_clause, updating_clause, "
                         "with_clause, return_clause, where_clause, or left_arrow"}),
                  1, 11},
        ErrorCase{"OnlyTrivia", "  // nothing\n",
                  lines({" --> 2:1", "  |", "2 | ", "  | ^---", "  |", "  = expected statement"}),
                  2, 1},
        ErrorCase{"SecondSemicolon", "RETURN 1;;",
                  lines({" --> 1:10", "  |", "1 | RETURN 1;;", "  |          ^---", "  |",
                         "  = expected EOI"}),
                  1, 10},
        ErrorCase{"ErrorAfterASubquery", "CALL { RETURN 1 AS x } RETRUN x",
                  lines({" --> 1:24", "  |", "1 | CALL { RETURN 1 AS x } RETRUN x",
                         "  |                        ^---", "  |",
                         "  = expected EOI, union_clause, reading_clause, updating_clause, "
                         "with_clause, or return_clause"}),
                  1, 24},
        ErrorCase{"UnclosedOuterSubquery", "CALL { CALL { RETURN 1 AS x }",
                  lines({" --> 1:30", "  |", "1 | CALL { CALL { RETURN 1 AS x }",
                         "  |                              ^---", "  |",
                         "  = expected union_clause, reading_clause, updating_clause, "
                         "with_clause, or return_clause"}),
                  1, 30},
        ErrorCase{"ErrorOnAMiddleLine", "MATCH (n)\nWHERE n.x = \nRETURN n",
                  lines({" --> 3:1", "  |", "3 | RETURN n", "  | ^---", "  |",
                         "  = expected atom"}),
                  3, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SyntaxError, SameTextSameMessage) {
  std::string query = "MATCH (a)-[:R]->(b) WHERE a.x = 1 RETURN a ORDER b";
  ParseOutcome first = parse(Rule::cypher, query);
  ParseOutcome second = parse(Rule::cypher, query);
  ASSERT_TRUE(std::holds_alternative<ParseFailure>(first));
  EXPECT_EQ(format_syntax_error(query, std::get<ParseFailure>(first)),
            format_syntax_error(query, std::get<ParseFailure>(second)));
}

TEST(SyntaxError, ExpectedListForms) {
  auto message = [](std::vector<Rule> expected) {
    std::string text = format_syntax_error("x", ParseFailure{0, std::move(expected), {}});
    return text.substr(text.rfind('\n') + 1);
  };
  EXPECT_EQ(message({}), "  = unknown parsing error");
  EXPECT_EQ(message({Rule::EOI}), "  = expected EOI");
  EXPECT_EQ(message({Rule::EOI, Rule::atom}), "  = expected EOI or atom");
  EXPECT_EQ(message({Rule::EOI, Rule::atom, Rule::keyword}), "  = expected EOI, atom, or keyword");
}

TEST(SyntaxError, CustomMessageReplacesTheExpectedList) {
  std::string text = format_syntax_error("RETURN 1", ParseFailure{7, {}, "call limit reached"});
  EXPECT_EQ(text, lines({" --> 1:8", "  |", "1 | RETURN 1", "  |        ^---", "  |",
                         "  = call limit reached"}));
}

TEST(SyntaxError, PositionCountsCharacters) {
  std::string text = "a\r\nb\xc3\xa9" "c\rd\n";
  EXPECT_EQ(text_position_crlf(text, 0).line, 1u);
  EXPECT_EQ(text_position_crlf(text, 3).line, 2u);
  EXPECT_EQ(text_position_crlf(text, 3).column, 1u);
  EXPECT_EQ(text_position_crlf(text, 6).column, 3u);   // after "b" and the two-byte "é"
  EXPECT_EQ(text_position_crlf(text, 8).column, 5u);   // a lone CR is a column
  EXPECT_EQ(text_position_crlf(text, text.size()).line, 3u);
  EXPECT_EQ(text_position_crlf(text, text.size()).column, 1u);
}

}  // namespace
}  // namespace qarvex
