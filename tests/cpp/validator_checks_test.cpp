// The checks' findings through the whole validation entry, as (query, ordered diagnostics).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "validator/validate_query.hpp"

namespace qarvex {
namespace {

Schema movie_schema() {
  return Schema({{"Person", {"name", "age"}}, {"Movie", {"title"}}},
                {{"ACTED_IN", {"Person", "Movie", {"role"}}}});
}

struct Finding {
  std::string code;
  std::string message;
  bool operator==(const Finding&) const = default;
};

void PrintTo(const Finding& finding, std::ostream* out) {
  *out << finding.code << " " << finding.message;
}

struct CheckCase {
  const char* query;
  std::vector<Finding> findings;
};

void PrintTo(const CheckCase& test, std::ostream* out) { *out << test.query; }

std::vector<Finding> findings_of(const ValidationResult& result) {
  std::vector<Finding> findings;
  for (const ValidationDiagnostic& diagnostic : result.diagnostics) {
    findings.push_back({std::string(code_text(diagnostic.code)), diagnostic.message});
  }
  return findings;
}

class CheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTest, ReportsInWalkOrder) {
  const CheckCase& test = GetParam();
  ValidationResult result = validate_query(movie_schema(), test.query);
  ASSERT_TRUE(result.syntax_errors().empty()) << result.syntax_errors()[0];
  EXPECT_EQ(findings_of(result), test.findings);
}

const char* const kScan =
    "MATCH contains an unlabeled node with no WHERE clause; this will scan all nodes in the graph";
const char* const kUnbounded =
    "Variable-length relationship without an upper bound ([*] or [*n..]) may cause unbounded "
    "traversal";
const char* const kCartesian =
    "MATCH pattern contains disconnected parts that will produce a Cartesian product; add a "
    "relationship or shared variable to connect them";

const CheckCase schema_cases[] = {
    {"MATCH (p:Persn) RETURN p", {{"E201", "Unknown node label: :Persn, did you mean :Person?"}}},
    {"MATCH (p:person) RETURN p", {{"E201", "Unknown node label: :person, did you mean :Person?"}}},
    {"MATCH (p:Xyz) RETURN p", {{"E201", "Unknown node label: :Xyz"}}},
    {"MATCH (n:Foo:Foo) RETURN n", {{"E201", "Unknown node label: :Foo"}, {"E201", "Unknown node label: :Foo"}}},
    {"MATCH (p:Person {nme: 'x'}) RETURN p",
     {{"E301", "Unknown property 'nme' for node label :Person, did you mean .name?"}}},
    {"MATCH (n:Person:Movie {title: 'x'}) RETURN n",
     {{"E301", "Unknown property 'title' for node label :Person"}}},
    {"MATCH (m:Movie)-[:ACTED_IN]->(p:Person) RETURN m",
     {{"E401", "Relationship :ACTED_IN expects source label :Person, but node has label(s): :Movie"},
      {"E401", "Relationship :ACTED_IN expects target label :Movie, but node has label(s): :Person"}}},
    {"MATCH (m:Movie)<-[:ACTED_IN]-(p:Person) RETURN p", {}},
    // An ORDER BY alias carries the labels of the variable it projects.
    {"MATCH (p:Person) RETURN p AS q ORDER BY q.nme",
     {{"E303", "Unknown property 'nme' on variable 'q' with label :Person, did you mean .name?"}}},
    {"MATCH (p:Person)<-[:ACTED_IN]-(m:Movie) RETURN p",
     {{"E401", "Relationship :ACTED_IN expects source label :Person, but node has label(s): :Movie"},
      {"E401", "Relationship :ACTED_IN expects target label :Movie, but node has label(s): :Person"}}},
    {"MATCH (p:Person)-[:ACTED_IN]-(m:Person) RETURN p", {}},
    {"MATCH (p)-[:ACTED_IN]->(m) RETURN p", {{"W201", kScan}}},
    {"MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) RETURN r.rol, p.nme",
     {{"E304", "Unknown property 'rol' on variable 'r' with relationship type :ACTED_IN, did you mean .role?"},
      {"E303", "Unknown property 'nme' on variable 'p' with label :Person, did you mean .name?"}}},
    {"MATCH (x:Persn)-[:ACTED_IN]->(m:Movie) RETURN x",
     {{"E201", "Unknown node label: :Persn, did you mean :Person?"}}},
    {"MATCH (n:Person) SET n:Actr REMOVE n:Movei RETURN n",
     {{"E202", "Unknown node label in SET: :Actr"},
      {"E203", "Unknown node label in REMOVE: :Movei, did you mean :Movie?"}}},
    {"MATCH (p:Person) SET p.nme = 1",
     {{"E303", "Unknown property 'nme' on variable 'p' with label :Person, did you mean .name?"}}},
    {"MATCH (p:Person) SET q.nme = 1", {}},
    {"MATCH (p:Person) REMOVE p.a.b",
     {{"E303", "Unknown property 'a' on variable 'p' with label :Person, did you mean .age?"},
      {"E303", "Unknown property 'b' on variable 'p' with label :Person, did you mean .age?"}}},
    {"MATCH (:Person)-[:ACTED_IN {rol: 1}]->(:Movie) RETURN 1",
     {{"E302", "Unknown property 'rol' for relationship type :ACTED_IN, did you mean .role?"}}},
    {"MATCH (:Person)-[:ACTD_IN|ACTED_IN]->(:Movie) RETURN 1",
     {{"E211", "Unknown relationship type: :ACTD_IN, did you mean :ACTED_IN?"}}},
    {"MATCH (n:Person) WITH n AS p RETURN p.nme",
     {{"E303", "Unknown property 'nme' on variable 'p' with label :Person, did you mean .name?"}}},
    {"MATCH (n:Person $props) RETURN n", {}},
};

const CheckCase expression_cases[] = {
    {"RETURN toUpper('a', 'b')", {{"E603", "Function toUpper() expects 1 argument(s), got 2"}}},
    {"RETURN substring('abc')", {{"E603", "Function substring() expects 2-3 argument(s), got 1"}}},
    {"RETURN date()", {}},
    {"RETURN date('2020-01-01')", {}},
    {"RETURN date(1, 2)", {{"E603", "Function date() expects 0-1 argument(s), got 2"}}},
    {"RETURN rand(1)", {{"E603", "Function rand() expects 0 argument(s), got 1"}}},
    {"RETURN TOUPPER('a')", {}},
    {"RETURN myFunc(1)",
     {{"W103", "Unknown function myFunc(); if this is a user-defined function, ignore this warning"}}},
    {"RETURN myFunc(DISTINCT 1)",
     {{"W103", "Unknown function myFunc(); if this is a user-defined function, ignore this warning"}}},
    {"MATCH (n:Person) RETURN toLower(DISTINCT n.name)",
     {{"W104", "DISTINCT is used with non-aggregate function toLower(); DISTINCT only has meaning with "
               "aggregate functions"}}},
    {"RETURN count(DISTINCT 1)", {}},
    {"RETURN sum('x')",
     {{"E601", "Aggregate function sum() received a string literal; expected a numeric expression"}}},
    {"RETURN max('x')", {}},
    {"RETURN percentileCont('a', 'b')",
     {{"E601", "Aggregate function percentileCont() received a string literal; expected a numeric expression"},
      {"E601", "Aggregate function percentileCont() received a string literal; expected a numeric expression"}}},
    {"MATCH (n:Person) WHERE count(n) > 1 RETURN n",
     {{"E602", "Aggregate function not allowed in MATCH WHERE context; aggregates are only valid in "
               "RETURN, WITH, or ORDER BY"}}},
    {"MATCH (n:Person) WITH n WHERE count(n) > 1 RETURN n", {}},
    {"MATCH (n:Person) SET n.age = avg(n.age)",
     {{"E602", "Aggregate function not allowed in SET context; aggregates are only valid in RETURN, "
               "WITH, or ORDER BY"}}},
    {"MATCH (n:Person) DELETE collect(n)",
     {{"E602", "Aggregate function not allowed in DELETE context; aggregates are only valid in RETURN, "
               "WITH, or ORDER BY"}}},
    {"MATCH (n:Person) WHERE size([x IN [1] | count(x)]) > 0 RETURN n", {}},
    // A slice is searched as a subscript is: its object and its bounds.
    {"MATCH (n:Person) WHERE n.name[sum(n.age)..] = [] RETURN n",
     {{"E602", "Aggregate function not allowed in MATCH WHERE context; aggregates are only valid in "
               "RETURN, WITH, or ORDER BY"}}},
    {"MATCH (n:Person) WHERE collect(n)[..1] = [] RETURN n",
     {{"E602", "Aggregate function not allowed in MATCH WHERE context; aggregates are only valid in "
               "RETURN, WITH, or ORDER BY"}}},
    {"MATCH (n:Person) WHERE n.name[0..count(*)] = [] RETURN n",
     {{"E602", "Aggregate function not allowed in MATCH WHERE context; aggregates are only valid in "
               "RETURN, WITH, or ORDER BY"}}},
    {"MATCH (n:Person) WHERE count(*) > 0 AND max(n.age) > 1 RETURN n",
     {{"E602", "Aggregate function not allowed in MATCH WHERE context; aggregates are only valid in "
               "RETURN, WITH, or ORDER BY"}}},
    {"RETURN 1 SKIP 1.5 LIMIT 'x'",
     {{"E614", "SKIP expression must be an integer, got a float literal"},
      {"E611", "LIMIT expression must be an integer, got a string literal"}}},
    {"RETURN 1 LIMIT null", {{"E613", "LIMIT expression must be an integer, got NULL"}}},
    {"RETURN 1 LIMIT true", {{"E612", "LIMIT expression must be an integer, got a boolean literal"}}},
    {"RETURN 1 LIMIT $n", {}},
    {"RETURN 1 LIMIT -1", {}},
    {"RETURN 1 LIMIT x", {{"E501", "Variable 'x' is not bound in this scope"}}},
    {"RETURN toUpper(sum('x', 1))",
     {{"E603", "Function sum() expects 1 argument(s), got 2"},
      {"E601", "Aggregate function sum() received a string literal; expected a numeric expression"}}},
};

const CheckCase performance_cases[] = {
    {"MATCH (a:Person), (b:Movie) RETURN a, b", {{"W101", kCartesian}}},
    {"MATCH (a:Person)-[:ACTED_IN]->(m:Movie), (m:Movie)<-[:ACTED_IN]-(b:Person) RETURN a, b", {}},
    {"MATCH (a:Person), (b:Person), (a)-[:KNOWS]->(b) RETURN a",
     {{"E211", "Unknown relationship type: :KNOWS"}, {"W101", kCartesian}, {"W201", kScan}}},
    {"MATCH (:Person), (:Movie) RETURN 1", {{"W101", kCartesian}}},
    {"MATCH (a:Person), (a) RETURN a", {{"W201", kScan}}},
    {"MATCH (n) RETURN n", {{"W201", kScan}}},
    {"MATCH (n) WHERE true RETURN n", {}},
    {"MATCH (n), (m) RETURN n, m", {{"W101", kCartesian}, {"W201", kScan}}},
    {"MATCH (a:Person)-[:ACTED_IN*]->(b:Movie) RETURN b", {{"W202", kUnbounded}}},
    {"MATCH (a:Person)-[:ACTED_IN*2..]->(b:Movie) RETURN b", {{"W202", kUnbounded}}},
    {"MATCH (a:Person)-[:ACTED_IN*3]->(b:Movie) RETURN b", {}},
    {"MATCH (a:Person)-[:ACTED_IN*1..3]->(b:Movie) RETURN b", {}},
    {"MATCH (a:Person)-[*]->(b:Movie)-[*2..]-(c:Person) RETURN b", {{"W202", kUnbounded}, {"W202", kUnbounded}}},
    {"CREATE (n)", {}},
    {"MERGE (n)", {}},
};

INSTANTIATE_TEST_SUITE_P(Schema, CheckTest, ::testing::ValuesIn(schema_cases));
INSTANTIATE_TEST_SUITE_P(Expressions, CheckTest, ::testing::ValuesIn(expression_cases));
INSTANTIATE_TEST_SUITE_P(Performance, CheckTest, ::testing::ValuesIn(performance_cases));

TEST(Checks, OrderAcrossChecksInOneMatch) {
  // Pattern checks, then the aggregate context, then the WHERE walk, then W101, then W201/W202.
  ValidationResult result = validate_query(
      movie_schema(), "MATCH (a:Persn), (b)-[*]->(c) WHERE count(a) > x RETURN a");
  std::vector<std::string> codes;
  for (const Finding& finding : findings_of(result)) codes.push_back(finding.code);
  EXPECT_EQ(codes, (std::vector<std::string>{"E201", "E602", "E501", "W101", "W202"}));
}

TEST(Checks, WarningsOnlyKeepTheQueryValid) {
  ValidationResult result = validate_query(movie_schema(), "MATCH (n) RETURN n");
  EXPECT_TRUE(result.is_valid());
  EXPECT_TRUE(result.errors().empty());
  EXPECT_EQ(result.warnings(), (std::vector<std::string>{kScan}));
  EXPECT_FALSE(result.fixed_query);
}

struct FixCase {
  const char* query;
  const char* fixed;  // null: no fixed query
};

class FixTest : public ::testing::TestWithParam<FixCase> {};

TEST_P(FixTest, FixedQuery) {
  ValidationResult result = validate_query(movie_schema(), GetParam().query);
  if (GetParam().fixed == nullptr) {
    EXPECT_FALSE(result.fixed_query) << *result.fixed_query;
  } else {
    ASSERT_TRUE(result.fixed_query);
    EXPECT_EQ(*result.fixed_query, GetParam().fixed);
  }
}

const FixCase fix_cases[] = {
    {"MATCH (p:Persn) RETURN p", "MATCH (p:Person) RETURN p"},
    {"MATCH (p:Persn)-[:ACTED_IN]->(m:Movi) RETURN p.nme",
     "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.nme"},
    {"MATCH (p:Persn) RETURN q", nullptr},
    {"MATCH (p:Xyzzy) RETURN p", nullptr},
    {"MATCH (p:person) RETURN p", "MATCH (p:Person) RETURN p"},
    {"MATCH (p:Person) WHERE p.nme = 'nme' RETURN p.nme",
     "MATCH (p:Person) WHERE p.name = 'nme' RETURN p.name"},
    {"MATCH (n) RETURN n", nullptr},
    {"MATCH (n", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Corrections, FixTest, ::testing::ValuesIn(fix_cases));

}  // namespace
}  // namespace qarvex
