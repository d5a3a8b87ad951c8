// The walk's own findings: unbound variables (E501) and duplicate projection names (E502),
// driven through the whole validation entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "validator/validate_query.hpp"

namespace qarvex {
namespace {

struct WalkCase {
  const char* query;
  std::vector<std::string> errors;  // E501 and E502 messages in order
};

std::string unbound(const std::string& name) {
  return "Variable '" + name + "' is not bound in this scope";
}
std::string duplicate(const std::string& name) {
  return "Duplicate projection name '" + name + "' in RETURN/WITH";
}

// Only the walk's own codes, so the cases hold whatever the schema checks report.
std::vector<std::string> scope_errors(const ValidationResult& result) {
  std::vector<std::string> messages;
  for (const ValidationDiagnostic& diagnostic : result.diagnostics) {
    if (diagnostic.code == DiagnosticCode::UnboundVariable ||
        diagnostic.code == DiagnosticCode::DuplicateProjectionName) {
      messages.push_back(diagnostic.message);
    }
  }
  return messages;
}

class WalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(WalkTest, ReportsScopeErrorsInWalkOrder) {
  const WalkCase& test = GetParam();
  ValidationResult result = validate_query(Schema(), test.query);
  ASSERT_TRUE(result.syntax_errors().empty()) << test.query << "\n" << result.syntax_errors()[0];
  EXPECT_EQ(scope_errors(result), test.errors) << test.query;
}

const WalkCase walk_cases[] = {
    {"MATCH (n:Person) RETURN m", {unbound("m")}},
    {"MATCH (n) WHERE m.age > 1 MATCH (m) RETURN n", {}},
    {"MATCH (n)-[r]->(m) WITH n RETURN m", {unbound("m")}},
    {"MATCH (n) WITH * RETURN n", {}},
    {"MATCH (n) WITH * WHERE n.x > m RETURN n", {unbound("m")}},
    // An ORDER BY sees the projection's names and the variables bound before it; what comes
    // after a WITH (its WHERE, SKIP, LIMIT and the next clauses) sees the projection only.
    {"MATCH (n) RETURN n.name AS name ORDER BY name", {}},
    {"MATCH (p)-->(m) RETURN p.name, count(m) AS movies ORDER BY movies DESC, p.age", {}},
    {"MATCH (n) RETURN n.x AS y ORDER BY z", {unbound("z")}},
    {"MATCH (n) WITH n.name AS name ORDER BY name RETURN name", {}},
    {"MATCH (n) WITH n.name AS name ORDER BY n.age RETURN name, n", {unbound("n")}},
    {"MATCH (n) WITH n.name AS name ORDER BY n.age WHERE n.x RETURN name", {unbound("n")}},
    {"MATCH (n) WITH n.name AS name ORDER BY n.age SKIP n LIMIT n RETURN 1", {unbound("n"), unbound("n")}},
    {"MATCH (a) RETURN a.x AS x ORDER BY x UNION MATCH (b) RETURN b.x AS x ORDER BY a", {unbound("a")}},
    {"RETURN 1 AS x, 2 AS x, 3 AS x", {duplicate("x"), duplicate("x")}},
    {"MATCH (n) RETURN n, n", {duplicate("n")}},
    {"MATCH (n) RETURN n.name, n.name", {}},
    {"UNWIND [1,2] AS x RETURN x", {}},
    {"CALL db.labels() YIELD label RETURN label", {}},
    {"CALL db.labels()", {}},
    {"RETURN [x IN range(1,3) | x * 2]", {}},
    {"RETURN [x IN [1] | x], x", {unbound("x")}},
    {"MATCH (a) RETURN a UNION MATCH (b) RETURN a", {unbound("a")}},
    {"MATCH (a) WHERE EXISTS { (a)-->(b) } RETURN b", {unbound("b")}},
    {"MATCH (a) CALL { MATCH (b) RETURN b } RETURN a, b", {}},
    {"MATCH (n {name: m.x}) RETURN n", {}},
    {"MATCH (n:Person) FOREACH (x IN [1,2] | SET n.age = x) RETURN x", {unbound("x")}},
    {"WITH 1 AS x RETURN reduce(acc = 0, y IN [x] | acc + y + z), acc", {unbound("z"), unbound("acc")}},
    {"MATCH (n) RETURN all(x IN [1] WHERE x > y), x", {unbound("y"), unbound("x")}},
    {"MATCH (n) RETURN [(n)-->(m) WHERE m.a > 0 | m.b], m", {unbound("m")}},
    {"MATCH (n) RETURN COUNT { MATCH (n)-->(m) RETURN m }, m", {unbound("m")}},
    {"MATCH (n) WITH n AS m RETURN n", {unbound("n")}},
    {"MATCH (n) SET q.x = 1", {}},
    {"RETURN 1 SKIP a LIMIT b", {unbound("a"), unbound("b")}},
    {"WITH 1 AS x WITH x WHERE y RETURN x", {unbound("y")}},
    {"RETURN CASE a WHEN b THEN c ELSE d END", {unbound("a"), unbound("b"), unbound("c"), unbound("d")}},
    {"RETURN f(a)[b][c..d]", {unbound("a"), unbound("b"), unbound("c"), unbound("d")}},
};

INSTANTIATE_TEST_SUITE_P(Scopes, WalkTest, ::testing::ValuesIn(walk_cases));

TEST(Walk, DeepOperatorChainsDoNotExhaustTheStack) {
  std::string query = "RETURN x";
  for (int i = 0; i < 100000; ++i) query += " + x";
  ValidationResult result = validate_query(Schema(), query);
  if (!result.syntax_errors().empty()) GTEST_SKIP() << "the parser refuses a chain this long";
  EXPECT_EQ(result.errors().size(), 100001u);
}

TEST(Walk, SyntaxErrorsStopTheWalk) {
  ValidationResult result = validate_query(Schema(), "MATCH (n RETURN m");
  EXPECT_FALSE(result.is_valid());
  ASSERT_EQ(result.diagnostics.size(), 1u);
  EXPECT_EQ(result.diagnostics[0].code, DiagnosticCode::ParseError);
  EXPECT_TRUE(result.diagnostics[0].position.has_value());
}

}  // namespace
}  // namespace qarvex
