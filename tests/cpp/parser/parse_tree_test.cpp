// The parse tree's handles and the text helpers the tree builder reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/parse.hpp"
#include "parse_test_support.hpp"

namespace qarvex {
namespace {

using namespace testing_support;

struct KeywordTextCase {
  const char* query;
  Rule rule;
  const char* keyword_text;
};

void PrintTo(const KeywordTextCase& c, std::ostream* out) {
  *out << rule_name(c.rule) << " in «" << c.query << "»";
}

class KeywordTextTest : public testing::TestWithParam<KeywordTextCase> {};

TEST_P(KeywordTextTest, LeavesOutTheChildren) {
  const KeywordTextCase& c = GetParam();
  ParseOutcome outcome = parse(Rule::cypher, c.query);
  ASSERT_TRUE(tree_of(outcome)) << failure_text(c.query, outcome);
  std::vector<ParseNode> nodes = nodes_of(*tree_of(outcome), c.rule);
  ASSERT_FALSE(nodes.empty());
  EXPECT_EQ(keyword_text(nodes.front()), c.keyword_text);
}

INSTANTIATE_TEST_SUITE_P(
    BuilderReadings, KeywordTextTest,
    testing::Values(
        KeywordTextCase{"MATCH (n) return distinct n", Rule::return_clause, "RETURN DISTINCT "},
        KeywordTextCase{"MATCH (n) WITH DISTINCT n.distinct_id AS d RETURN d", Rule::with_clause,
                        "WITH DISTINCT "},
        KeywordTextCase{"MATCH (n) SET n += {a: 1}", Rule::set_item, " += "},
        KeywordTextCase{"MERGE (n) on match SET n.x = 1", Rule::on_match_or_create, "ON MATCH "},
        KeywordTextCase{"RETURN 1 union all RETURN 2", Rule::union_clause, "UNION ALL "},
        KeywordTextCase{"MATCH (n) RETURN n ORDER BY n.x descending", Rule::sort_item,
                        "DESCENDING"},
        KeywordTextCase{"MATCH (n) detach delete n", Rule::delete_clause, "DETACH DELETE "},
        KeywordTextCase{"RETURN count(distinct n)", Rule::function_invocation, "(DISTINCT )"},
        KeywordTextCase{"RETURN 10 - 4 / 2", Rule::add_sub_expr, "- "},
        KeywordTextCase{"RETURN -x", Rule::unary_expr, "-"},
        KeywordTextCase{"MATCH (a)<-[r]-(b) RETURN a", Rule::relationship_pattern, "-[]-"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ParseTree, UpperAndTrimmedText) {
  std::string query = "MATCH (n) RETURN n.name , n ORDER BY n.x + 'caf\xc3\xa9'";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome)) << failure_text(query, outcome);
  ParseNode item = nodes_of(*tree_of(outcome), Rule::return_item).front();
  EXPECT_EQ(item.text(), "n.name ");
  EXPECT_EQ(trimmed_text(item), "n.name");
  ParseNode sort = nodes_of(*tree_of(outcome), Rule::sort_item).front();
  EXPECT_EQ(upper_text(sort), "N.X + 'CAF\xc3\xa9'");
}

TEST(ParseTree, ChildAccess) {
  std::string query = "MATCH (a:A:B {x: 1}) RETURN a";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  ParseNode node = nodes_of(*tree_of(outcome), Rule::node_pattern).front();
  EXPECT_EQ(child_rule_names(node),
            (std::vector<std::string>{"variable", "node_labels", "properties"}));
  EXPECT_EQ(node.child_count(), 3u);
  EXPECT_EQ(node.child(1)->text(), ":A:B");  // a repetition gives back the trivia it tried
  EXPECT_FALSE(node.child(3));
  ParseNode variable = *node.first_child();
  EXPECT_EQ(variable.text(), "a");
  EXPECT_FALSE(variable.first_child());
  EXPECT_TRUE(variable.children().empty());
  EXPECT_EQ(keyword_text(variable), "A");
}

}  // namespace
}  // namespace qarvex
