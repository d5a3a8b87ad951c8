// Work limits: hostile nesting and backtracking end in "call limit reached", while large real
// queries still parse.
#include <gtest/gtest.h>

#include <pthread.h>

#include <string>

#include "parser/parse.hpp"
#include "parse_test_support.hpp"

namespace qarvex {
namespace {

using namespace testing_support;

std::string repeated(std::string_view piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

bool stopped_by_limit(const ParseOutcome& outcome) {
  const ParseFailure* failure = failure_of(outcome);
  return failure && failure->message == kLimitMessage && failure->expected.empty();
}

struct HostileCase {
  const char* name;
  std::string query;
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class HostileInputTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, StopsAtALimit) {
  const HostileCase& c = GetParam();
  ParseOutcome outcome = parse(Rule::cypher, c.query);
  ASSERT_TRUE(stopped_by_limit(outcome)) << failure_text(c.query, outcome).substr(0, 400);
  ParseErrorInfo info = syntax_error_info(c.query, *failure_of(outcome));
  EXPECT_TRUE(info.message.ends_with("\n  = call limit reached") ||
              info.message.ends_with("  = call limit reached"))
      << info.message.substr(info.message.size() - 60);
}

INSTANTIATE_TEST_SUITE_P(
    Nesting, HostileInputTest,
    testing::Values(
        HostileCase{"Subscripts", "RETURN " + repeated("a[", 40)},
        HostileCase{"Quantifiers", "RETURN " + repeated("all(x IN ", 40)},
        HostileCase{"Comprehensions", "RETURN " + repeated("[x IN ", 40)},
        HostileCase{"DeepParentheses", "RETURN " + repeated("(", 100000) + "1" +
                                           repeated(")", 100000)},
        HostileCase{"DeepLists", "RETURN " + repeated("[", 100000)},
        HostileCase{"DeepSubqueries", repeated("CALL { ", 20000)},
        HostileCase{"DeepNodePatternMaps", "MATCH (n " + repeated("{a: ", 50000)},
        HostileCase{"BacktrackingOverALongComment",
                    "RETURN " + repeated("a[", 30) + "/*" + std::string(1 << 20, ' ')},
        HostileCase{"BacktrackingOverALongString",
                    "RETURN " + repeated("a[", 30) + "'" + std::string(1 << 20, 'x')},
        HostileCase{"BacktrackingOverAClosedComment",
                    "RETURN " + repeated("a[", 30) + "/*" + std::string(1 << 20, ' ') + "*/"}),
    [](const auto& info) { return std::string(info.param.name); });

// The depth limit must stop nesting well before the stack of a worker thread runs out.
TEST(Limits, DeepestNestingFitsASmallThreadStack) {
  struct Job {
    std::string query = "RETURN " + repeated("(", 100000) + "1" + repeated(")", 100000);
    bool stopped = false;
  } job;
  auto run = [](void* argument) -> void* {
    auto* job = static_cast<Job*>(argument);
    job->stopped = stopped_by_limit(parse(Rule::cypher, job->query));
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 4u << 20);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  EXPECT_TRUE(job.stopped);
}

TEST(Limits, LargeRealQueriesParse) {
  std::string clauses;
  for (int i = 0; i < 20000; ++i) {
    std::string n = "n" + std::to_string(i);
    clauses += "MATCH (" + n + ":Person {name: 'someone " + std::to_string(i) + "'})-[:KNOWS]->(" +
               n + "b) WHERE " + n + ".age > 30 AND " + n + "b.name STARTS WITH 'A'\n";
    if (i % 100 == 99) clauses += "WITH *\n";
  }
  std::string query = clauses + "RETURN count(*)";
  ASSERT_GT(query.size(), 2'000'000u);
  ParseOutcome outcome = parse(Rule::cypher, query);
  EXPECT_TRUE(tree_of(outcome)) << failure_text(query, outcome).substr(0, 400);
}

TEST(Limits, ModerateNestingParses) {
  std::string query = "RETURN " + repeated("(", 100) + "1" + repeated(")", 100) + ", " +
                      repeated("[", 100) + repeated("]", 100) + ", " + repeated("a[", 8) + "0" +
                      repeated("]", 8);
  ParseOutcome outcome = parse(Rule::cypher, query);
  EXPECT_TRUE(tree_of(outcome)) << failure_text(query, outcome).substr(0, 400);
}

// The choice between a query with WITH parts and one without begins both ways with the same
// clauses, so without the memo each level of subqueries was read twice.
class NestedSubqueriesTest : public testing::TestWithParam<Dialect> {};

TEST_P(NestedSubqueriesTest, HundredLevelsParse) {
  std::string query = "RETURN 1 AS x";
  for (int level = 0; level < 100; ++level) query = "CALL { " + query + " } RETURN x";
  ParseOutcome outcome = parse(Rule::cypher, query, GetParam());
  const ParseTree* tree = tree_of(outcome);
  ASSERT_TRUE(tree) << failure_text(query, outcome).substr(0, 400);
  std::vector<std::string> subqueries = texts_of(*tree, Rule::call_subquery);
  ASSERT_EQ(subqueries.size(), 100u);
  // Outermost first, each one level shorter than the one around it (the Neo4j subquery also
  // takes the space before its missing IN TRANSACTIONS).
  for (std::size_t i = 0; i < subqueries.size(); ++i) {
    std::string_view subquery = subqueries[i];
    if (subquery.ends_with(' ')) subquery.remove_suffix(1);
    std::size_t inner = 99 - i;
    EXPECT_EQ(subquery.size(), 22 + inner * 18) << i;
    EXPECT_TRUE(subquery.starts_with("CALL { ") && subquery.ends_with(" }")) << i;
  }
  EXPECT_EQ(nodes_of(*tree, Rule::return_clause).size(), 101u);
}

INSTANTIATE_TEST_SUITE_P(Dialects, NestedSubqueriesTest,
                         testing::Values(Dialect::core, Dialect::neo4j),
                         [](const auto& info) {
                           return info.param == Dialect::core ? "Core" : "Neo4j";
                         });

TEST(Limits, EachLimitStopsTheParseWhereItWasReached) {
  std::string query = "MATCH (n:Person) WHERE n.age > 30 RETURN n.name";
  ParseLimits generous = default_parse_limits(query.size());
  ASSERT_TRUE(tree_of(parse(Rule::cypher, query, generous)));

  ParseLimits few_calls = generous;
  few_calls.max_calls = 50;
  ParseLimits shallow = generous;
  shallow.max_depth = 10;
  ParseLimits few_nodes = generous;
  few_nodes.max_nodes = 20;
  for (const ParseLimits& limits : {few_calls, shallow, few_nodes}) {
    ParseOutcome outcome = parse(Rule::cypher, query, limits);
    ASSERT_TRUE(stopped_by_limit(outcome));
    EXPECT_LE(failure_of(outcome)->position, query.size());
  }
}

}  // namespace
}  // namespace qarvex
