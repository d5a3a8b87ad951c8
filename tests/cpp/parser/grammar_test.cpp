// The Cypher grammar: which texts parse, and the nodes the tree builder relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/parse.hpp"
#include "parse_test_support.hpp"

namespace qarvex {
namespace {

using namespace testing_support;
using Texts = std::vector<std::string>;

struct AcceptCase {
  const char* query;
  bool parses;
};

void PrintTo(const AcceptCase& c, std::ostream* out) { *out << "«" << c.query << "»"; }

class AcceptanceTest : public testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptanceTest, ParsesOrFails) {
  const AcceptCase& c = GetParam();
  ParseOutcome outcome = parse(Rule::cypher, c.query);
  EXPECT_EQ(tree_of(outcome) != nullptr, c.parses) << failure_text(c.query, outcome);
  if (const ParseFailure* failure = failure_of(outcome)) {
    EXPECT_FALSE(failure->message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StatementsAndTrivia, AcceptanceTest,
    testing::Values(AcceptCase{"MATCH (n) RETURN n;", true},
                    AcceptCase{"MATCH (n) RETURN n ; ", true},
                    AcceptCase{"MATCH (n) RETURN n /* c */ ; // end", true},
                    AcceptCase{"MATCH (n) RETURN n;;", false},
                    AcceptCase{"// leading\n\n/* block */\n  MATCH (n) RETURN n", true},
                    AcceptCase{"", false}, AcceptCase{"   \n\t ", false},
                    AcceptCase{"// only a comment", false}, AcceptCase{"/* c */ /* d */", false},
                    AcceptCase{"MATCH (n) /* RETURN n", false},
                    AcceptCase{"MATCH (n)", true},
                    AcceptCase{"CREATE (n:A {x: 1})", true},
                    AcceptCase{"MATCH (n) WITH n", true},
                    AcceptCase{"MATCH (n) RETURNn", true},
                    AcceptCase{"MATCH (n) RETURN n ORDERBY n.x", true},
                    AcceptCase{"MATCH (n) RETURN n UNION ALL MATCH (m) RETURN m", true},
                    AcceptCase{"UNWIND [1, 2] AS x RETURN x", true},
                    AcceptCase{"MATCH (n) CALL { MATCH (m) RETURN m } RETURN n", true},
                    AcceptCase{"MERGE (n:A) ON CREATE SET n.c = 1 ON MATCH SET n.s = 2", true},
                    AcceptCase{"MATCH (n) FOREACH (x IN [1] | SET n.x = x CREATE (m))", true},
                    AcceptCase{"MATCH (n) DETACH DELETE n, m", true},
                    AcceptCase{"MATCH (n) SET n += {a: 1}, n.b = 2", true}));

INSTANTIATE_TEST_SUITE_P(
    NamesAndReservedWords, AcceptanceTest,
    testing::Values(AcceptCase{"MATCH (order) RETURN order", true},
                    AcceptCase{"MATCH (match) RETURN match", false},
                    AcceptCase{"MATCH (`match`) RETURN `match`", true},
                    AcceptCase{"MATCH (n) RETURN n.count, n.end", true},
                    AcceptCase{"MATCH (n:Match) RETURN n", true},
                    AcceptCase{"MATCH (a)-[:CONTAINS|IN]->(:Order {end: 1}) RETURN a", true},
                    AcceptCase{"MATCH (n) SET n:Return, n.limit = 1 REMOVE n:Set", true},
                    AcceptCase{"MATCH (n) RETURN count(n) AS count", false},
                    AcceptCase{"MATCH (end) RETURN 1", false},
                    AcceptCase{"UNWIND [1] AS limit RETURN 1", false},
                    AcceptCase{"CALL db.match()", false},
                    AcceptCase{"RETURN match.f(1)", false},
                    AcceptCase{"MATCH (n) RETURN n.`count`", true},
                    AcceptCase{"MATCH (`a b`:`Odd Label`) RETURN ``", true},
                    AcceptCase{"MATCH (matches), (asc), (ends) RETURN descending", true},
                    AcceptCase{"MATCH (_x1) RETURN _x1", true},
                    AcceptCase{"RETURN nullable", false},
                    AcceptCase{"MATCH (n) RETURN n.nullable", true},
                    AcceptCase{"RETURN truex", false},
                    AcceptCase{"CALL db.labels()", true},
                    AcceptCase{"CALL db . labels()", false},
                    AcceptCase{"CALL db.labels() YIELD label AS l RETURN l", true},
                    AcceptCase{"RETURN apoc.coll.sum([1, 2])", true},
                    AcceptCase{"RETURN exists(n.x), count(n), count(*)", true},
                    AcceptCase{"RETURN $param, $0, $_p1", true}));

INSTANTIATE_TEST_SUITE_P(
    PatternsAndRanges, AcceptanceTest,
    testing::Values(AcceptCase{"MATCH (a)-[*1..3]->(b) RETURN a", true},
                    AcceptCase{"MATCH (a)-[*..3]->(b) RETURN a", false},
                    AcceptCase{"MATCH (a)-[*]->(b) RETURN a", true},
                    AcceptCase{"MATCH (a)-[*2]->(b) RETURN a", true},
                    AcceptCase{"MATCH (a)-[*2..]->(b) RETURN a", true},
                    AcceptCase{"MATCH (a)-[r:KNOWS|:LIKES|HATES *2..5 {w: 1}]-(b) RETURN a", true},
                    AcceptCase{"MATCH (a)<-->(b) RETURN a", true},
                    AcceptCase{"MATCH (a)<--(b)-->(c)--(d) RETURN a", true},
                    AcceptCase{"MATCH (a) - [r] - (b) RETURN a", true},
                    AcceptCase{"MATCH (a)- -(b) RETURN a", false},
                    AcceptCase{"MATCH (n {name: $p}) RETURN n", true},
                    AcceptCase{"MATCH (n $props) RETURN n", true},
                    AcceptCase{"MATCH p = (a)-->(b), (c) RETURN p", true},
                    AcceptCase{"MATCH p = shortestPath((a)-[*]-(b)) RETURN p", true},
                    AcceptCase{"MATCH p = ALLSHORTESTPATHS((a)-[*]-(b)) RETURN p", true},
                    AcceptCase{"MATCH (n) WHERE EXISTS { (n)-->(m) } RETURN n", true},
                    AcceptCase{"MATCH (n) WHERE EXISTS { MATCH (n)-->(m) } RETURN n", false},
                    AcceptCase{"RETURN count { MATCH (n)-->(m) RETURN m }", true},
                    AcceptCase{"RETURN collect { MATCH (n) RETURN n.x }", true}));

INSTANTIATE_TEST_SUITE_P(
    ExpressionsAndLiterals, AcceptanceTest,
    testing::Values(AcceptCase{"RETURN x[1..3]", true}, AcceptCase{"RETURN x[1 .. 3]", true},
                    AcceptCase{"RETURN collect(m)[0..5], x[1..]", true},
                    AcceptCase{"RETURN x[..3]", true}, AcceptCase{"RETURN x[1]", true},
                    AcceptCase{"RETURN x[1 ..]", true}, AcceptCase{"RETURN x[..]", true},
                    AcceptCase{"MATCH (n) WHERE n.name IN names RETURN n", true},
                    AcceptCase{"MATCH (n) WHERE n.name INnames RETURN n", false},
                    AcceptCase{"MATCH (n) WHERE n.a STARTS  WITH 'x' RETURN n", true},
                    AcceptCase{"MATCH (n) WHERE n.a ENDS WITHx RETURN n", false},
                    AcceptCase{"MATCH (n) WHERE n.a CONTAINS b RETURN n", true},
                    AcceptCase{"RETURN 'a\\'b'", true}, AcceptCase{"RETURN 'a\\\\'", true},
                    AcceptCase{"RETURN 'it\\'s', \"a\\\"b\"", true},
                    AcceptCase{"RETURN 'C:\\'", false}, AcceptCase{"RETURN 'C:\\\\'", true},
                    AcceptCase{"RETURN 'x\\' RETURN 1 //'", true},
                    AcceptCase{"RETURN '', \"\", 'say \"hi\"', \"it's\", 'two\nlines'", true},
                    AcceptCase{"RETURN 1., .5", false}, AcceptCase{"RETURN 1.", true},
                    AcceptCase{"RETURN 1e3, 1E8, 5e-7, 2E+2", true},
                    AcceptCase{"RETURN 1.0E-3, 2.e+5", true},
                    AcceptCase{"RETURN 1exp", false}, AcceptCase{"RETURN 1e+", false},
                    AcceptCase{"RETURN 0x1e3", true},
                    AcceptCase{"RETURN 0X1F", false}, AcceptCase{"RETURN 0x", false},
                    AcceptCase{"RETURN n IS NOT NULL", true}, AcceptCase{"RETURN n IS  NULL", true},
                    AcceptCase{"RETURN n IS\tNOT\nNULL", true}, AcceptCase{"RETURN n IS NULLx", false},
                    AcceptCase{"RETURN n IS /*c*/ NULL", false},
                    AcceptCase{"RETURN n ISNULL", false},
                    AcceptCase{"RETURN NOT NOT a AND b OR c XOR d", true},
                    AcceptCase{"RETURN a ORb", false},
                    AcceptCase{"RETURN CASE WHEN a THEN 1 ELSE 2 END", true},
                    AcceptCase{"RETURN CASE x WHEN 1 THEN 'a' END", true},
                    AcceptCase{"RETURN CASE x END", false},
                    AcceptCase{"RETURN reduce(s = 0, x IN xs | s + x)", true},
                    AcceptCase{"RETURN [x IN xs WHERE x > 1 | x * 2], [(a)-->(b) | b.x]", true},
                    AcceptCase{"RETURN all(x IN xs WHERE x > 0), none(x IN xs)", true},
                    AcceptCase{"RETURN {a: 1, b: [1, {c: null}]}", true},
                    AcceptCase{"RETURN count(DISTINCT n), -2 ^ 2 % 3 / 4 * 5 - -6", true},
                    AcceptCase{"RETURN 1 + ", false}));

TEST(Grammar, CypherHasExactlyStatementAndEoi) {
  std::string query = "  MATCH (n) RETURN n ;  ";
  ParseOutcome outcome = parse(Rule::cypher, query);
  const ParseTree* tree = tree_of(outcome);
  ASSERT_TRUE(tree);
  ASSERT_EQ(std::distance(tree->roots().begin(), tree->roots().end()), 1);
  ParseNode root = *tree->first_root();
  EXPECT_EQ(root.rule(), Rule::cypher);
  EXPECT_EQ(root.start(), 0u);
  EXPECT_EQ(root.end(), query.size());
  EXPECT_EQ(child_rule_names(root), (Texts{"statement", "EOI"}));
  EXPECT_EQ(root.child(1)->start(), query.size());
}

TEST(Grammar, ReturnItemTextKeepsTheSpaceBeforeAComma) {
  std::string query = "MATCH (n) RETURN n.name , n.age AS age";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::return_item), (Texts{"n.name ", "n.age AS age"}));
}

TEST(Grammar, KeywordsInAnyCaseGiveTheSameTree) {
  std::string upper = "MATCH (n:Person) WHERE n.x IS NOT NULL RETURN DISTINCT n ORDER BY n.x DESC";
  std::string lower = "match (n:Person) where n.x is not null return distinct n order by n.x desc";
  ParseOutcome a = parse(Rule::cypher, upper);
  ParseOutcome b = parse(Rule::cypher, lower);
  ASSERT_TRUE(tree_of(a) && tree_of(b));
  EXPECT_EQ(shape(*tree_of(a)->first_root()), shape(*tree_of(b)->first_root()));
}

TEST(Grammar, ClauseWordsNeedNoBoundary) {
  std::string query = "MATCH (n) RETURNn ORDERBY n";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::return_items), (Texts{"n "}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::order_clause), (Texts{"ORDERBY n"}));
}

TEST(Grammar, BacktickVariableKeepsItsBackticks) {
  std::string query = "MATCH (`match`) RETURN `match`";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::variable), (Texts{"`match`", "`match`"}));
}

TEST(Grammar, StandaloneCallTextBecomesAnInQueryCall) {
  std::string query = "CALL db.labels() YIELD label";
  ParseOutcome outcome = parse(Rule::cypher, query);
  const ParseTree* tree = tree_of(outcome);
  ASSERT_TRUE(tree);
  EXPECT_TRUE(nodes_of(*tree, Rule::standalone_call).empty());
  EXPECT_EQ(shape(*tree->first_root()),
            "cypher(statement(regular_query(single_query(single_part_query(reading_clause("
            "in_query_call(explicit_procedure_invocation(procedure_name) "
            "yield_items(yield_item(variable)))))))) EOI)");
}

TEST(Grammar, ShortestPathIsThePatternElementsFirstChild) {
  for (std::string query : {"MATCH p = shortestPath((a)-[*]-(b)) RETURN p",
                            "MATCH p = ALLSHORTESTPATHS((a)-[*]-(b)) RETURN p"}) {
    ParseOutcome outcome = parse(Rule::cypher, query);
    ASSERT_TRUE(tree_of(outcome)) << query;
    std::vector<ParseNode> elements = nodes_of(*tree_of(outcome), Rule::pattern_element);
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(child_rule_names(elements[0]), (Texts{"shortest_path_call"}));
  }
}

TEST(Grammar, NumbersByKind) {
  std::string query = "RETURN 0x1F, 0o17, 12, 1.5e3";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::integer_literal), (Texts{"0x1F", "0o17", "12"}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::float_literal), (Texts{"1.5e3"}));
}

TEST(Grammar, ComparisonOperatorNodes) {
  std::string query =
      "MATCH (n) WHERE n.name =~ 'A.*' AND a < b <= c AND x IN y AND s STARTS  WITH t RETURN n";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::comparison_op),
            (Texts{"=~", "<", "<=", "IN", "STARTS  WITH"}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::and_kw), (Texts{"AND", "AND", "AND"}));
}

TEST(Grammar, NullCheckTakesOnlyWhiteSpaceBetweenItsWords) {
  std::string query = "RETURN n IS NOT NULL, m IS  NULL";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::null_check_op),
            (Texts{"IS NOT NULL", "IS  NULL"}));
  EXPECT_TRUE(nodes_of(*tree_of(outcome), Rule::not_kw).empty());
}

TEST(Grammar, SetAndRemoveLabels) {
  std::string query = "MATCH (n) SET n:Person:Admin REMOVE n:Person";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  std::vector<ParseNode> items = nodes_of(*tree_of(outcome), Rule::set_item);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(child_rule_names(items[0]), (Texts{"variable", "node_labels"}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::label_name), (Texts{"Person", "Admin", "Person"}));
}

TEST(Grammar, ListLiteralComesBeforeComprehensions) {
  std::string query = "RETURN [1, 2], [x IN xs | x]";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::list_literal), (Texts{"[1, 2]"}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::list_comprehension), (Texts{"[x IN xs | x]"}));
}

TEST(Grammar, CountStarBeforeFunctionInvocation) {
  std::string query = "RETURN count(*), count(n), exists(n.x)";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::count_star), (Texts{"count(*)"}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::function_name), (Texts{"count", "exists"}));
}

TEST(Grammar, PrecedenceLevelsNest) {
  std::string query = "RETURN -2 ^ 2 ^ 3";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  std::vector<ParseNode> powers = nodes_of(*tree_of(outcome), Rule::power_expr);
  ASSERT_EQ(powers.size(), 1u);
  EXPECT_EQ(child_rule_names(powers[0]), (Texts{"unary_expr", "unary_expr", "unary_expr"}));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::unary_expr), (Texts{"-2 ", "2 ", "3"}));
}

TEST(Grammar, RelationshipArrowsAreNodes) {
  std::string query = "MATCH (a)<-[r:T]-(b)-->(c)<-->(d) RETURN a";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  EXPECT_EQ(texts_of(*tree_of(outcome), Rule::relationship_pattern),
            (Texts{"<-[r:T]-", "-->", "<-->"}));
  EXPECT_EQ(nodes_of(*tree_of(outcome), Rule::left_arrow).size(), 2u);
  EXPECT_EQ(nodes_of(*tree_of(outcome), Rule::right_arrow).size(), 2u);
}

TEST(Grammar, NeverInATreeRules) {
  std::string query = "MATCH (`a`:B)-[:C]->(d) CALL x.y() RETURN ns.f(a.b), `a`";
  ParseOutcome outcome = parse(Rule::cypher, query);
  ASSERT_TRUE(tree_of(outcome));
  for (Rule rule : {Rule::identifier, Rule::backtick_identifier, Rule::keyword, Rule::namespace_,
                    Rule::WHITESPACE, Rule::COMMENT, Rule::standalone_call}) {
    EXPECT_TRUE(nodes_of(*tree_of(outcome), rule).empty()) << rule_name(rule);
  }
}

TEST(Grammar, RuleNamesById) {
  EXPECT_EQ(rule_name(Rule::EOI), "EOI");
  EXPECT_EQ(rule_name(Rule::namespace_), "namespace");
  EXPECT_EQ(rule_name(Rule::keyword), "keyword");
  EXPECT_EQ(static_cast<int>(Rule::match_clause), 12);
  EXPECT_EQ(static_cast<int>(Rule::null_check_op), 71);
  EXPECT_EQ(static_cast<int>(Rule::namespace_), 81);
  EXPECT_EQ(static_cast<int>(Rule::literal), 93);
  EXPECT_EQ(static_cast<int>(Rule::keyword), 108);
  for (std::size_t id = 0; id < kRuleCount; ++id) {
    auto rule = static_cast<Rule>(id);
    EXPECT_EQ(rule_by_name(rule_name(rule)), rule);
  }
  EXPECT_FALSE(rule_by_name("namespace_"));
}

}  // namespace
}  // namespace qarvex
