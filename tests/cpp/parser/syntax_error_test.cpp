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

}  // namespace
}  // namespace qarvex
