// The Neo4j dialect end to end: what its grammar accepts beyond the core one, the trees it
// builds, and the checks that reach its new constructs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "parser/parser.hpp"
#include "parser/query_info.hpp"
#include "validator/validate_query.hpp"

namespace qarvex {
namespace {

Schema movie_schema() {
  return Schema({{"Person", {"name", "age"}}, {"Movie", {"title"}}},
                {{"ACTED_IN", {"Person", "Movie", {"role"}}}});
}

bool parses(const char* query, Dialect dialect) {
  return std::holds_alternative<Query>(parse_statement(query, dialect));
}

std::vector<std::string> codes_of(const ValidationResult& result) {
  std::vector<std::string> codes;
  for (const ValidationDiagnostic& diagnostic : result.diagnostics) {
    codes.emplace_back(code_text(diagnostic.code));
  }
  return codes;
}

class Neo4jOnlyTest : public ::testing::TestWithParam<const char*> {};

// Each query is Neo4j 5 Cypher that the core grammar refuses.
TEST_P(Neo4jOnlyTest, OnlyTheNeo4jGrammarAccepts) {
  EXPECT_FALSE(parses(GetParam(), Dialect::core));
  EXPECT_TRUE(parses(GetParam(), Dialect::neo4j));
}

INSTANTIATE_TEST_SUITE_P(
    Constructs, Neo4jOnlyTest,
    ::testing::Values(
        "MATCH (p:Person) RETURN count(p) AS count",
        "MATCH (p:Person) WITH p AS match RETURN match.name",
        "MATCH (p:Person) RETURN CASE WHEN p.age > 1 THEN 1 ELSE 0 END AS end",
        "MATCH (p:Person) WHERE COUNT { (p)-[:ACTED_IN]->() } > 2 RETURN p",
        "MATCH (p:Person) WHERE COUNT { (p)-->(m) WHERE m.title = 'x' } > 0 RETURN p",
        "MATCH (p:Person) WHERE EXISTS { MATCH (p)-->(m:Movie) RETURN m } RETURN p",
        "MATCH (p:Person) WHERE EXISTS { (p)-->(m) WHERE m.title = 'x' } RETURN p",
        "MATCH (p:Person), (m:Movie) WHERE (p)-[:ACTED_IN]->(m) RETURN p",
        "MATCH (p:Person) WHERE NOT (p)-->() RETURN p",
        "MATCH (p:Person) WHERE exists((p)-[:ACTED_IN]->()) RETURN p",
        "MATCH (n) WHERE n:Person RETURN n",
        "MATCH (n) WHERE n:Person|Movie AND NOT n:Movie RETURN n",
        "RETURN .5 + .25e1 AS half",
        "CALL db.labels",
        "MATCH (p:Person) SET p.age = 1 FINISH",
        "MATCH (p:Person) NODETACH DELETE p",
        "UNWIND [1] AS x WITH x MATCH (p:Person) FINISH",
        "UNWIND [1] AS x RETURN [y IN [x] | 'a' || y] || ['b'] AS joined",
        "MATCH (a)-[:R*..2]->(b) RETURN b"));

TEST(Neo4jDialect, CoreQueriesReadTheSame) {
  for (const char* query : {"MATCH (p:Person)-[r:ACTED_IN]->(m) WHERE p.age > 3 RETURN p, r",
                            "UNWIND [1, 2] AS x RETURN CASE x WHEN 1 THEN 'a' END",
                            "MATCH (a) WHERE (a.x) = 1 RETURN 1.5, [x IN [1, 2] | x]"}) {
    StatementResult core = parse_statement(query, Dialect::core);
    StatementResult neo4j = parse_statement(query, Dialect::neo4j);
    ASSERT_TRUE(std::holds_alternative<Query>(core)) << query;
    ASSERT_TRUE(std::holds_alternative<Query>(neo4j)) << query;
    EXPECT_EQ(debug_string(std::get<Query>(core)), debug_string(std::get<Query>(neo4j)));
  }
}

TEST(Neo4jDialect, NodetachDeleteDoesNotDetach) {
  StatementResult built = parse_statement("MATCH (p) NODETACH DELETE p", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  const auto& query = std::get<RegularQuery>(std::get<Query>(built).node);
  const auto& part = std::get<SinglePartQuery>(query.first.node);
  const auto& deletion = std::get<DeleteClause>(part.updating_clauses.at(0).node);
  EXPECT_FALSE(deletion.detach);
}

TEST(Neo4jDialect, ARangeWithoutLowerBoundHasOnlyAnUpperOne) {
  StatementResult built = parse_statement("MATCH (a)-[:R*..2]->(b) RETURN b", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  const auto& query = std::get<RegularQuery>(std::get<Query>(built).node);
  const auto& part = std::get<SinglePartQuery>(query.first.node);
  const auto& match = std::get<MatchClause>(part.reading_clauses.at(0).node);
  const std::optional<LengthRange>& range =
      match.pattern.parts.at(0).element.chain.at(0).relationship.range;
  ASSERT_TRUE(range.has_value());
  EXPECT_FALSE(range->min.has_value());
  EXPECT_EQ(range->max, std::optional<std::int64_t>(2));
}

TEST(Neo4jDialect, BuildsLabelTestsAndPatternPredicates) {
  StatementResult built =
      parse_statement("MATCH (n) WHERE n:A|B AND (n)-->(:C) RETURN n", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  std::string tree = debug_string(std::get<Query>(built));
  EXPECT_NE(tree.find("HasLabels(Variable(\"n\"), [\"A\", \"B\"], true)"), std::string::npos)
      << tree;
  EXPECT_NE(tree.find("PatternPredicate("), std::string::npos) << tree;
  StatementResult joined = parse_statement("RETURN 'a' || 'b'", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(joined));
  EXPECT_NE(debug_string(std::get<Query>(joined)).find("Add(String(\"a\"), String(\"b\"))"),
            std::string::npos)
      << debug_string(std::get<Query>(joined));
  QueryNames names = collect_query_info(std::get<Query>(built));
  EXPECT_EQ(names.labels, (std::vector<std::string>{"A", "B", "C"}));
}

TEST(Neo4jDialect, LabelPredicatesAreCheckedAndCorrected) {
  ValidationResult result =
      validate_query(movie_schema(), "MATCH (n) WHERE n:Persn RETURN n", Dialect::neo4j);
  EXPECT_EQ(codes_of(result), (std::vector<std::string>{"E201"}));
  ASSERT_TRUE(result.fixed_query.has_value());
  EXPECT_EQ(*result.fixed_query, "MATCH (n) WHERE n:Person RETURN n");
}

TEST(Neo4jDialect, SubqueryExpressionsSeeOuterVariables) {
  for (const char* query :
       {"MATCH (p:Person) WHERE COUNT { (p)-[:ACTED_IN]->(m) WHERE m.title = 'x' } > 0 RETURN p",
        "MATCH (p:Person) WHERE EXISTS { (p)-[:ACTED_IN]->(m:Movie) } RETURN p",
        "MATCH (p:Person), (m:Movie) WHERE NOT (p)-[:ACTED_IN]->(m) RETURN p"}) {
    ValidationResult result = validate_query(movie_schema(), query, Dialect::neo4j);
    EXPECT_EQ(result.errors(), std::vector<std::string>{}) << query;
  }
  ValidationResult unknown = validate_query(
      movie_schema(), "MATCH (p:Person) WHERE COUNT { (p)-[:DIRECTED]->() } > 0 RETURN p",
      Dialect::neo4j);
  EXPECT_EQ(codes_of(unknown), (std::vector<std::string>{"E211", "W201"}));
}

struct CodesCase {
  const char* query;
  std::vector<std::string> codes;
};
void PrintTo(const CodesCase& test, std::ostream* out) { *out << test.query; }

class Neo4jRulesTest : public ::testing::TestWithParam<CodesCase> {};

TEST_P(Neo4jRulesTest, ReportsTheNeo4jOnlyRules) {
  ValidationResult result = validate_query(movie_schema(), GetParam().query, Dialect::neo4j);
  EXPECT_EQ(codes_of(result), GetParam().codes);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, Neo4jRulesTest,
    ::testing::Values(
        // A pattern predicate is a test: as a value it is an error, wherever it stands.
        CodesCase{"MATCH (p:Person) WHERE size((p)-->()) > 2 RETURN p", {"E621"}},
        CodesCase{"MATCH (p:Person) RETURN count(DISTINCT (p)-[:ACTED_IN]->())", {"E621"}},
        CodesCase{"MATCH (p:Person) RETURN (p)-[:ACTED_IN]->() AS acted", {"E621"}},
        CodesCase{"MATCH (m:Movie) RETURN avg((m)<-[:ACTED_IN]-(:Person).age)", {"E621"}},
        CodesCase{"MATCH (p:Person) WHERE exists((p)-->()) AND NOT (p)-->() RETURN p", {}},
        CodesCase{"MATCH (p:Person) RETURN exists((p)-->()) AS acted", {}},
        // Path functions take paths: a property or a literal never is one.
        CodesCase{"MATCH (m:Movie) RETURN m ORDER BY length(m.title)", {"E622"}},
        CodesCase{"RETURN length('abc'), nodes([1])", {"E622", "E622"}},
        CodesCase{"MATCH p = (:Person)-->(:Movie) RETURN length(p), nodes(p)", {}},
        // Neo4j's own built-ins and namespaces are known; a plugin's draw nothing.
        CodesCase{"RETURN isEmpty([]), toStringOrNull(1), date.truncate('day', date())", {}},
        CodesCase{"RETURN apoc.text.join(['a'], ','), gds.similarity.cosine([1], [1])", {}},
        CodesCase{"RETURN date.nothing(), nosuch(1)", {"W103", "W103"}},
        CodesCase{"RETURN isEmpty(1, 2)", {"E603"}},
        // After an aggregating or DISTINCT projection, ORDER BY sees only what it carried.
        CodesCase{"MATCH (p:Person)-->(m:Movie) RETURN m.title, count(p) AS n ORDER BY p.age",
                  {"E503"}},
        CodesCase{"MATCH (p:Person)-->(m:Movie) WITH DISTINCT m.title AS t ORDER BY p.age RETURN t",
                  {"E503"}},
        // A variable an item uses is taken as carried, whatever the item makes of it.
        CodesCase{"MATCH (p:Person) WITH DISTINCT p.name AS name ORDER BY p.age RETURN name", {}},
        CodesCase{"MATCH (p:Person)-->(m:Movie) RETURN m.title, count(p) AS n ORDER BY m.title, n",
                  {}},
        CodesCase{"MATCH (p:Person)-->(m:Movie) RETURN m, count(p) AS n ORDER BY count(p)", {}},
        CodesCase{"MATCH (p:Person) RETURN p.name ORDER BY p.age", {}},
        // A pattern predicate binds nothing: every variable it names is bound before it.
        CodesCase{"MATCH (p:Person) WHERE (p)-[r:ACTED_IN]->(m) AND (m)-->() RETURN p",
                  {"E504", "E504", "E504"}},
        CodesCase{"MATCH (p:Person), (m:Movie) WHERE NOT exists((p)-[:ACTED_IN]->(m)) RETURN p",
                  {"W101"}}));

TEST(Neo4jDialect, TheCoreDialectKeepsItsOwnRules) {
  ValidationResult result =
      validate_query(movie_schema(), "RETURN length('abc'), apoc.x(1)", Dialect::core);
  EXPECT_EQ(codes_of(result), (std::vector<std::string>{"W103", "W103"}));
  ValidationResult order = validate_query(
      movie_schema(), "MATCH (p:Person) RETURN count(p) AS n ORDER BY p.age", Dialect::core);
  EXPECT_EQ(codes_of(order), std::vector<std::string>{});
}

TEST(Neo4jDialect, SyntaxErrorNamesTheNeo4jRules) {
  ValidationResult result = validate_query(movie_schema(), "MATCH (n) WHERE n:1 RETURN n",
                                           Dialect::neo4j);
  ASSERT_EQ(result.syntax_errors().size(), 1u);
  const std::string message = result.syntax_errors()[0];
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 5) << message;
  EXPECT_NE(message.find("label_name"), std::string::npos) << message;
}

TEST(Neo4jDialect, DeepNestingEndsInTheLimit) {
  std::string query = "RETURN ";
  for (int i = 0; i < 3000; ++i) query += "COUNT { (a)-->(b) WHERE ";
  query += "true";
  for (int i = 0; i < 3000; ++i) query += " }";
  StatementResult result = parse_statement(query, Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<ModuleError>(result));
  EXPECT_NE(std::get<ModuleError>(result).text().find("call limit reached"), std::string::npos);
}

}  // namespace
}  // namespace qarvex
