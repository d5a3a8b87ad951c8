// The Neo4j dialect end to end: what its grammar accepts beyond the core one, the trees it
// builds, and the checks that reach its new constructs.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
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
        "MATCH (a)-[:R*..2]->(b) RETURN b",
        // Label and type expressions, in patterns and as predicates.
        "MATCH (n:A|B) RETURN n", "MATCH (n:A&B) RETURN n", "MATCH (n:!A) RETURN n",
        "MATCH (n:%) RETURN n", "MATCH (n:(A|B)&!C) RETURN n", "MATCH (n: A | !(B & %)) RETURN n",
        "MATCH (n IS A|B) RETURN n", "MATCH (n) WHERE n IS Person RETURN n",
        "MATCH (n) WHERE n IS A|B RETURN n", "MATCH (n) WHERE n:(A|B) RETURN n",
        "MATCH (n) RETURN n:!A", "MATCH ()-[r:!R]->() RETURN r", "MATCH ()-[r:%]->() RETURN r",
        "MATCH ()-[r:(R|S)]->() RETURN r", "MATCH ()-[r:R&S]->() RETURN r",
        "MATCH ()-[r IS R]->() RETURN r",
        // WHERE inside node and relationship patterns.
        "MATCH (n:Person WHERE n.age > 30) RETURN n", "MATCH (n {a: 1} WHERE n.b > 1) RETURN n",
        "MATCH ()-[r:R WHERE r.x > 1]->() RETURN r",
        // Quantified path patterns and relationships.
        "MATCH ((a)-[:R]->(b)){1,3} RETURN a", "MATCH ((a)-[:R]->(b))+ RETURN a",
        "MATCH ((a)-[:R]->(b)){2} RETURN a", "MATCH ((a)-[:R]->(b)){2,} RETURN a",
        "MATCH (x)((a)-[:R]->(b)){,3}(y) RETURN x",
        "MATCH (x) ((a)-[:R]->(b) WHERE a.v < b.v)+ (y)-[:S]->(z) RETURN x",
        "MATCH ((a)-->(b)){1,3}((c)-->(d))* RETURN a", "MATCH (a)-[:R]->{1,3}(b) RETURN a",
        "MATCH (a)-[:R]->+(b)<-[:S]-*(c) RETURN a",
        // Path selectors.
        "MATCH p = SHORTEST 1 (a)-[:R]->+(b) RETURN p",
        "MATCH p = ALL SHORTEST (a)-[:R]->+(b) RETURN p", "MATCH ANY (a)-[:R]->+(b) RETURN a",
        "MATCH p = ANY 2 PATHS (a)-[:R]->+(b) RETURN p",
        "MATCH p = SHORTEST 2 GROUPS (a)-[:R]->+(b) RETURN p",
        "MATCH p = ALL PATHS (a)-[:R]->+(b) RETURN p",
        "MATCH ANY SHORTEST PATH (a)-[:R]->+(b) RETURN a",
        // Dynamic labels and types.
        "MATCH (n:$($label)) RETURN n", "MATCH (n:A|$any($labels)) RETURN n",
        "CREATE (n:$($x))", "MATCH (n) SET n:$(n.kind)", "MATCH (n) REMOVE n:$all($x):A",
        "MATCH ()-[r:$($t)]->() RETURN r",
        // Subqueries with a variable scope, OPTIONAL CALL, transactions, procedure results.
        "MATCH (p:Person) CALL (p) { RETURN p.name AS name } RETURN name",
        "MATCH (p:Person) CALL (*) { RETURN p.name AS name } RETURN p, name",
        "CALL () { MATCH (m:Movie) RETURN m } RETURN m",
        "MATCH (p:Person) OPTIONAL CALL (p) { RETURN p.age AS age } RETURN age",
        "MATCH (p:Person) OPTIONAL CALL { WITH p RETURN p.age AS age } RETURN age",
        "OPTIONAL CALL db.labels() YIELD label RETURN label",
        "MATCH (p) CALL (p) { SET p.age = 1 } IN TRANSACTIONS",
        "MATCH (p) CALL (p) { SET p.age = 1 } IN TRANSACTIONS OF 10 ROWS ON ERROR FAIL",
        "MATCH (p) CALL (p) { SET p.age = 1 } IN TRANSACTIONS ON ERROR CONTINUE OF 1 ROW",
        "MATCH (p) CALL (p) { SET p.age = 1 } IN 3 CONCURRENT TRANSACTIONS OF $n ROWS "
        "ON ERROR BREAK REPORT STATUS AS s RETURN s",
        "MATCH (p) CALL (p) { SET p.age = 1 } IN CONCURRENT TRANSACTIONS",
        "CALL db.labels() YIELD *",
        "CALL db.labels() YIELD label AS l WHERE l STARTS WITH 'P' RETURN l",
        // LOAD CSV and USE.
        "LOAD CSV FROM 'file:///a.csv' AS row RETURN row",
        "LOAD CSV WITH HEADERS FROM $url AS row FIELDTERMINATOR ';' MERGE (:Person {name: row.n})",
        "USE neo4j MATCH (p:Person) RETURN p",
        "USE graph.byName('movies') MATCH (p:Person) RETURN p",
        "CALL { USE movies MATCH (p:Person) RETURN p } RETURN p",
        // Map projections, path variables in pattern comprehensions, SET (n).x.
        "MATCH (p:Person) RETURN p {.name, .*, born: p.age, p}",
        "MATCH (p:Person) RETURN p {} AS a, p{.name}['name'] AS b, p {movie: p {.name}} AS c",
        "MATCH (p:Person) RETURN [q = (p)-->() WHERE length(q) > 1 | q]",
        "MATCH (p:Person) SET (p).age = 1 REMOVE (p).name",
        // Names in any script and doubled backticks.
        "MATCH (ö:Persön)-[:KENNT]->(名前) RETURN ö.名前, ö.a€",
        "MATCH (`a``b`:Person) RETURN `a``b`.name AS `x``y`",
        "RETURN $ünï AS ünï",
        // Type and normal form predicates.
        "RETURN 1 IS :: INTEGER NOT NULL, 1 IS NOT :: STRING, 1 :: LIST<INTEGER>",
        "RETURN 1 IS TYPED LIST<LIST<INTEGER NOT NULL>> NOT NULL, 1 IS :: BOOLEAN | FLOAT",
        "RETURN 1 IS :: ANY<INTEGER | STRING>, 1 IS :: LOCAL TIME, 1 IS :: ZONED DATETIME",
        "RETURN 1 IS :: TIMESTAMP WITHOUT TIME ZONE, 1 IS :: STRING ARRAY, 1 IS :: ANY PROPERTY VALUE",
        "RETURN 1 IS :: NOTHING, 1 IS :: NULL, 1 IS :: DURATION | POINT | PATH | MAP | NODE",
        "RETURN 'a' IS NORMALIZED, 'a' IS NOT NFKC NORMALIZED, 'a' IS nfd normalized"));

class Neo4jRefusedTest : public ::testing::TestWithParam<const char*> {};

// Near misses of the constructs above, which Neo4j 5 refuses too.
TEST_P(Neo4jRefusedTest, NeitherGrammarAccepts) {
  EXPECT_FALSE(parses(GetParam(), Dialect::core));
  EXPECT_FALSE(parses(GetParam(), Dialect::neo4j));
}

INSTANTIATE_TEST_SUITE_P(
    NearMisses, Neo4jRefusedTest,
    ::testing::Values("MATCH (x)-->((a)-[:R]->(b))+ RETURN x",
                      "MATCH ((a)-[:R]->(b))+-->(y) RETURN a",
                      "MATCH (((a)-[:R]->(b)){1,3})+ RETURN a",
                      "MATCH p = SHORTEST (a)-[:R]->+(b) RETURN p",
                      "MATCH (n) WHERE n IS :A RETURN n", "MATCH (n) SET n:A&B",
                      "MATCH (n:A|) RETURN n", "MATCH (n:!) RETURN n", "MATCH (n:(A) RETURN n",
                      "MATCH ((a)-[:R]->(b)){1,3 RETURN a",
                      // Match modes are Cypher 25; Neo4j 5 refuses them.
                      "MATCH REPEATABLE ELEMENTS (a)-->(b) RETURN a",
                      "MATCH DIFFERENT RELATIONSHIPS (a)-->(b) RETURN a",
                      // Clauses and expressions.
                      "MATCH (p) CALL (p) { SET p.age = 1 } IN TRANSACTIONS REPORT STATUS AS s",
                      "MATCH (p) CALL (p) { SET p.age = 1 } IN TRANSACTIONS ON ERROR FAIL REPORT STATUS AS s",
                      "MATCH (p) CALL (p) { SET p.age = 1 } IN TRANSACTIONS OF 10",
                      "MATCH (p) CALL (p.name) { RETURN 1 AS x } RETURN x",
                      "LOAD CSV FROM 'a' AS row FIELDTERMINATOR 1 RETURN row", "USE neo4j",
                      "MATCH (p) RETURN (p) {.name}", "MATCH (p) RETURN p.name {.name}",
                      "MATCH (p) RETURN p {.name, }", "MATCH (p) SET (p.name) = 1",
                      "RETURN 1 IS :: FOO", "RETURN 1 IS :: LIST<>", "RETURN 1 IS :: LOCAL DATE",
                      "RETURN 1 IS :: DATETIME", "RETURN 'a' IS NFX NORMALIZED", "RETURN 'a' IS NFC",
                      "MATCH (€a) RETURN 1", "MATCH (a²) RETURN 1", "RETURN `a`` AS x"));

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

const PatternElement& first_element(const Query& query) {
  const auto& part = std::get<SinglePartQuery>(std::get<RegularQuery>(query.node).first.node);
  return std::get<MatchClause>(part.reading_clauses.at(0).node).pattern.parts.at(0).element;
}

struct TreeCase {
  const char* query;
  const char* tree;  // a piece of the debug string of the first MATCH's first element
};
void PrintTo(const TreeCase& test, std::ostream* out) { *out << test.query; }

class Neo4jTreeTest : public ::testing::TestWithParam<TreeCase> {};

TEST_P(Neo4jTreeTest, BuildsThePattern) {
  StatementResult built = parse_statement(GetParam().query, Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  std::string tree = debug_string(first_element(std::get<Query>(built)));
  EXPECT_NE(tree.find(GetParam().tree), std::string::npos) << tree;
}

// NodePattern(other labels, dynamic labels, WHERE, properties, pinned labels, variable);
// RelationshipPattern(other types, dynamic types, WHERE, quantifier, properties, range, types,
// variable, direction); PatternStep(group, relationship, node).
INSTANTIATE_TEST_SUITE_P(
    Patterns, Neo4jTreeTest,
    ::testing::Values(
        // Only the names of the top-level conjunction pin a label; «!» binds tightest, then
        // «&», then «|».
        TreeCase{"MATCH (n:A&(B|C)&!D) RETURN n", R"(NodePattern(["B", "C", "D"], [], -, -, ["A"], "n"))"},
        TreeCase{"MATCH (n:A|B&C) RETURN n", R"(NodePattern(["A", "B", "C"], [], -, -, [], "n"))"},
        TreeCase{"MATCH (n:A:B) RETURN n", R"(NodePattern([], [], -, -, ["A", "B"], "n"))"},
        TreeCase{"MATCH (n:(A&B)&%) RETURN n", R"(NodePattern([], [], -, -, ["A", "B"], "n"))"},
        TreeCase{"MATCH (n IS !!A) RETURN n", R"(NodePattern(["A"], [], -, -, [], "n"))"},
        TreeCase{"MATCH (n:A|$($x)) RETURN n",
                 R"(NodePattern(["A"], [Parameter("x")], -, -, [], "n"))"},
        TreeCase{"MATCH (n WHERE n.v > 1) RETURN n",
                 R"(NodePattern([], [], GreaterThan(PropertyLookup(Variable("n"), "v"), Integer(1)), -, [], "n"))"},
        // A choice of plain types stays the types; anything more is other types.
        TreeCase{"MATCH ()-[r:(R|S)|:T]->() RETURN r",
                 R"(RelationshipPattern([], [], -, -, -, -, ["R", "S", "T"], "r", Right))"},
        TreeCase{"MATCH ()-[r:R&!S]->() RETURN r",
                 R"(RelationshipPattern(["R", "S"], [], -, -, -, -, [], "r", Right))"},
        TreeCase{"MATCH ()<-[r:$($t) WHERE r.v = 1]-() RETURN r",
                 R"(RelationshipPattern([], [Parameter("t")], Equal(PropertyLookup(Variable("r"), "v"), Integer(1)), -, -, -, [], "r", Left))"},
        // Quantifiers keep their bounds as written.
        TreeCase{"MATCH (a)-[:R]->+(b) RETURN a", "LengthRange(1, -), -, -, [\"R\"]"},
        TreeCase{"MATCH (a)-[:R]->*(b) RETURN a", "LengthRange(0, -), -, -, [\"R\"]"},
        TreeCase{"MATCH (a)-[:R]->{2}(b) RETURN a", "LengthRange(2, 2), -, -, [\"R\"]"},
        TreeCase{"MATCH (a)-[:R]->{,3}(b) RETURN a", "LengthRange(-, 3), -, -, [\"R\"]"},
        TreeCase{"MATCH (a)-[:R]->{2,}(b) RETURN a", "LengthRange(2, -), -, -, [\"R\"]"},
        // A group meets the nodes written beside it, or anonymous ones.
        TreeCase{"MATCH (x)((a)-->(b) WHERE a.v = 1){1,3}(y) RETURN x",
                 R"(PatternElement(NodePattern([], [], -, -, [], "x"), [PatternStep(QuantifiedPath(PatternElement(NodePattern([], [], -, -, [], "a"), [PatternStep(-, RelationshipPattern([], [], -, -, -, -, [], -, Right), NodePattern([], [], -, -, [], "b"))]), Equal(PropertyLookup(Variable("a"), "v"), Integer(1)), LengthRange(1, 3)), RelationshipPattern([], [], -, -, -, -, [], -, Both), NodePattern([], [], -, -, [], "y"))]))"},
        TreeCase{"MATCH ((a)-->(b))+((c)-->(d)){2} RETURN a",
                 R"(LengthRange(1, -)), RelationshipPattern([], [], -, -, -, -, [], -, Both), NodePattern([], [], -, -, [], -)), PatternStep(QuantifiedPath()"}));

TEST(Neo4jDialect, ReadsPathSelectors) {
  using Kind = PathSelector::Kind;
  struct Case {
    const char* selector;
    Kind kind;
    std::optional<std::int64_t> count;
  };
  for (const Case& test : {Case{"ANY", Kind::Any, {}}, Case{"ANY 3 PATHS", Kind::Any, 3},
                           Case{"ALL", Kind::All, {}}, Case{"ANY SHORTEST", Kind::AnyShortest, {}},
                           Case{"ALL SHORTEST PATHS", Kind::AllShortest, {}},
                           Case{"SHORTEST 2", Kind::Shortest, 2},
                           Case{"SHORTEST 2 PATH GROUPS", Kind::ShortestGroups, 2},
                           Case{"SHORTEST GROUPS", Kind::ShortestGroups, {}}}) {
    std::string query = std::string("MATCH p = ") + test.selector + " (a)-->+(b) RETURN p";
    StatementResult built = parse_statement(query, Dialect::neo4j);
    ASSERT_TRUE(std::holds_alternative<Query>(built)) << query;
    const auto& part = std::get<SinglePartQuery>(
        std::get<RegularQuery>(std::get<Query>(built).node).first.node);
    const PatternPart& pattern =
        std::get<MatchClause>(part.reading_clauses.at(0).node).pattern.parts.at(0);
    ASSERT_TRUE(pattern.selector.has_value()) << query;
    EXPECT_EQ(pattern.selector->kind, test.kind) << query;
    EXPECT_EQ(pattern.selector->count, test.count) << query;
    EXPECT_EQ(pattern.variable, std::optional<std::string>("p"));
  }
}

TEST(Neo4jDialect, QueryInformationCollectsTheNewConstructs) {
  StatementResult built = parse_statement(
      "MATCH (a:A|!B WHERE a.k1 > 0)-[r:R&!S WHERE r.k4 IS NULL]->(:$(a.k2))"
      "((c:C)-[:T]->(d) WHERE c.k3 = 1){1,3} RETURN 1",
      Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  QueryNames names = collect_query_info(std::get<Query>(built));
  EXPECT_EQ(names.labels, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(names.rel_types, (std::vector<std::string>{"R", "S", "T"}));
  EXPECT_EQ(names.properties, (std::vector<std::string>{"k1", "k2", "k3", "k4"}));
}

struct FixCase {
  const char* query;
  std::vector<std::string> codes;
  const char* fixed;
};
void PrintTo(const FixCase& test, std::ostream* out) { *out << test.query; }

class Neo4jFixTest : public ::testing::TestWithParam<FixCase> {};

// Every plain name of a label or type expression is checked and corrected where it stands.
TEST_P(Neo4jFixTest, ChecksAndCorrectsEveryName) {
  ValidationResult result = validate_query(movie_schema(), GetParam().query, Dialect::neo4j);
  EXPECT_EQ(codes_of(result), GetParam().codes);
  ASSERT_TRUE(result.fixed_query.has_value());
  EXPECT_EQ(*result.fixed_query, GetParam().fixed);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Neo4jFixTest,
    ::testing::Values(
        FixCase{"MATCH (n) WHERE n:Persn RETURN n", {"E201"}, "MATCH (n) WHERE n:Person RETURN n"},
        FixCase{"MATCH (n:Persn|Movie) RETURN n", {"E201"}, "MATCH (n:Person|Movie) RETURN n"},
        FixCase{"MATCH (n:Movie&!Persn) RETURN n", {"E201"}, "MATCH (n:Movie&!Person) RETURN n"},
        FixCase{"MATCH (n) WHERE n IS Persn RETURN n", {"E201"},
                "MATCH (n) WHERE n IS Person RETURN n"},
        FixCase{"MATCH (n) WHERE n:(Movie|(Persn)) RETURN n", {"E201"},
                "MATCH (n) WHERE n:(Movie|(Person)) RETURN n"},
        FixCase{"MATCH (:Person)-[r:!ACTED_IM]->(:Movie) RETURN r", {"E211"},
                "MATCH (:Person)-[r:!ACTED_IN]->(:Movie) RETURN r"},
        FixCase{"MATCH (n) REMOVE n:$($x):Persn", {"W201", "E203"},
                "MATCH (n) REMOVE n:$($x):Person"}));

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
                  {"W101"}},
        // A negation or a wildcard is no name; a negated name still is one, checked as any.
        CodesCase{"MATCH (n:%) WHERE n:!% RETURN n", {}},
        CodesCase{"MATCH (n:!Studio) RETURN n", {"E201"}},
        // Endpoints and properties follow the labels an expression pins: a plain label or a
        // conjunction, never a disjunction or a negation.
        CodesCase{"MATCH (p:Person)-[:ACTED_IN]->(m:Person|Movie) RETURN p", {}},
        CodesCase{"MATCH (p:Person)-[:ACTED_IN]->(m:!Person) RETURN p", {}},
        CodesCase{"MATCH (p:Movie&%)-[:ACTED_IN]->(m:Movie) RETURN p", {"E401"}},
        CodesCase{"MATCH (p:Movie)-[:!ACTED_IN]->(m:Movie) RETURN p", {}},
        CodesCase{"MATCH (p:Movie)-[:(ACTED_IN)]->(m:Movie) RETURN p", {"E401"}},
        CodesCase{"MATCH (n:Person|Movie {nme: 'x'}) RETURN n", {}},
        CodesCase{"MATCH (n:Person&!Movie {nme: 'x'}) RETURN n", {"E301"}},
        // A pattern's own WHERE sees its variable with its labels, and is walked like any.
        CodesCase{"MATCH (n:Person WHERE n.nme = 'x') RETURN n", {"E303"}},
        CodesCase{"MATCH ()-[r:ACTED_IN WHERE r.rle = 'x']->() RETURN r", {"E304", "W201"}},
        CodesCase{"MATCH (n:Person WHERE m.age > 1) RETURN n", {"E501"}},
        CodesCase{"MATCH (n:Person WHERE count(n) > 1) RETURN n", {"E602"}},
        // Inside its quantifier a variable is one node with its labels; outside, a list.
        CodesCase{"MATCH ((a:Person)-[:ACTED_IN]->(m:Movie) WHERE a.nme = 'x'){1,3} RETURN a",
                  {"E303"}},
        CodesCase{"MATCH ((a:Person)-[:ACTED_IN]->(m:Movie)){1,3} RETURN a.nme, size(m)", {}},
        CodesCase{"MATCH ((a:Person)-[:ACTED_IN]->(m:Person)){1,3} RETURN a", {"E401"}},
        CodesCase{"MATCH (a:Person)((b)-[:ACTED_IN]->(m:Studio))+ RETURN a",
                  {"E201", "W201", "W202"}},
        CodesCase{"MATCH ((a:Person)-[:ACTED_IN]->(m:Movie))+ RETURN q", {"W202", "E501"}},
        CodesCase{"MATCH (a:Person)-[r:ACTED_IN]->{1,3}(m:Movie) RETURN r.rle", {}},
        CodesCase{"MATCH (a:Person)-[r:ACTED_IN]->{1,3}(m:Person) RETURN r", {"E401"}},
        // Dynamic labels and types are never unknown names; their expressions are walked.
        CodesCase{"MATCH (n:$($label))-[:$($type)]->(m:Movie) RETURN n", {}},
        CodesCase{"MATCH (n:$(x)) RETURN n", {"E501"}},
        CodesCase{"MATCH (n:Person) SET n:$(n.name) REMOVE n:$(m.name)", {"E501"}},
        // A path selector changes no check.
        CodesCase{"MATCH p = SHORTEST 1 (a:Person)-[:ACTED_IN]->{1,2}(b:Movie) RETURN p", {}},
        // CALL (x) sees exactly what it imports and adds what it returns, with its labels.
        CodesCase{"MATCH (p:Person), (m:Movie) CALL (p) { RETURN m.title AS t } RETURN t",
                  {"W101", "E501"}},
        CodesCase{"MATCH (p:Person) CALL (x) { RETURN 1 AS y } RETURN y", {"E501"}},
        CodesCase{"MATCH (p:Person) CALL (p) { RETURN p.nme AS n } RETURN n", {"E303"}},
        CodesCase{"CALL () { MATCH (m:Movie) RETURN m } RETURN m.titel", {"E303"}},
        CodesCase{"MATCH (p:Person) CALL (*) { RETURN p.name AS n } RETURN p.age, n", {}},
        CodesCase{"MATCH (p:Person) CALL { WITH p RETURN p.name AS n } RETURN n", {}},
        CodesCase{"MATCH (p:Person) CALL (p) { SET p.age = 1 } IN TRANSACTIONS ON ERROR CONTINUE "
                  "REPORT STATUS AS s RETURN s",
                  {}},
        // YIELD ... WHERE sees the yielded names; LOAD CSV binds its row.
        CodesCase{"CALL db.labels() YIELD label AS l WHERE l STARTS WITH 'P' RETURN l", {}},
        CodesCase{"CALL db.labels() YIELD label WHERE x = 1 RETURN label", {"E501"}},
        CodesCase{"LOAD CSV WITH HEADERS FROM 'a.csv' AS row MERGE (p:Person {name: row.name}) "
                  "RETURN row, p.nme",
                  {"E303"}},
        CodesCase{"LOAD CSV FROM 'a.csv' AS row RETURN line", {"E501"}},
        // A map projection reads the properties of its base.
        CodesCase{"MATCH (p:Person) RETURN p {.name, .*, years: p.age, p}", {}},
        CodesCase{"MATCH (p:Person) RETURN p {.nme}", {"E303"}},
        CodesCase{"MATCH (:Person)-[r:ACTED_IN]->(:Movie) RETURN r {.rle}", {"E304"}},
        CodesCase{"MATCH (p:Person) RETURN p {.name, movie: q {.title}}", {"E501"}},
        CodesCase{"MATCH (p:Person) RETURN [q = (p)-->() WHERE length(q) > 1 | q] AS paths", {}},
        // An aggregating projection's ORDER BY aggregates only what it projects as an item.
        CodesCase{"MATCH (p:Person) RETURN p.name, count(*) AS c ORDER BY max(p.age)", {"E505"}},
        CodesCase{"MATCH (p:Person) RETURN p.name, count(*) + 1 AS c ORDER BY count(*)",
                  {"E505"}},
        CodesCase{"MATCH (p:Person) WITH p.name AS n, count(p) AS c ORDER BY "
                  "[x IN collect(p) | x] RETURN n",
                  {"E505"}},
        CodesCase{"MATCH (p:Person) RETURN p.name, count(p) AS c ORDER BY COUNT(p) DESC, c + 1",
                  {}},
        CodesCase{"MATCH (p:Person) RETURN p.name, count(*) AS c ORDER BY count(*) + 1", {}},
        CodesCase{"MATCH (p:Person) RETURN p.name ORDER BY count(*)", {}},
        CodesCase{"MATCH (p:Person) RETURN DISTINCT p.name ORDER BY count(*)", {}}));

TEST(Neo4jDialect, BuildsCallScopesTransactionsAndProcedureResults) {
  StatementResult built = parse_statement(
      "MATCH (p) OPTIONAL CALL (p, q) { RETURN 1 AS x } IN 2 CONCURRENT TRANSACTIONS OF 5 ROWS "
      "ON ERROR CONTINUE REPORT STATUS AS s CALL db.labels() YIELD label WHERE label = 'A' "
      "LOAD CSV WITH HEADERS FROM 'f' AS row FIELDTERMINATOR ';' RETURN s",
      Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  const auto& query = std::get<RegularQuery>(std::get<Query>(built).node);
  const auto& reading = std::get<SinglePartQuery>(query.first.node).reading_clauses;
  ASSERT_EQ(reading.size(), 4u);
  const auto& call = std::get<CallSubquery>(reading[1].node);
  EXPECT_TRUE(call.optional && call.scoped && !call.import_all);
  EXPECT_EQ(call.imports, (std::vector<std::string>{"p", "q"}));
  ASSERT_TRUE(call.transactions.has_value());
  EXPECT_EQ(debug_string(*call.transactions->concurrency), "Integer(2)");
  EXPECT_EQ(debug_string(*call.transactions->batch_size), "Integer(5)");
  EXPECT_EQ(call.transactions->status_variable, std::optional<std::string>("s"));
  const auto& procedure = std::get<ProcedureCall>(reading[2].node);
  ASSERT_TRUE(procedure.where_clause.has_value());
  EXPECT_FALSE(procedure.yield_all);
  const auto& load = std::get<LoadCsvClause>(reading[3].node);
  EXPECT_TRUE(load.with_headers);
  EXPECT_EQ(load.variable, "row");
  EXPECT_EQ(load.field_terminator, std::optional<std::string>("';'"));
}

TEST(Neo4jDialect, BuildsMapProjectionsAndPredicates) {
  StatementResult built = parse_statement(
      "MATCH (n) RETURN n {.a, .*, k: 1, n}, [p = (n)-->() | p], n IS NOT :: LIST<INTEGER>, "
      "n IS NFKD NORMALIZED",
      Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  std::string tree = debug_string(std::get<Query>(built));
  for (const char* part :
       {"MapProjection(\"n\", [\"a\"], PropertyMap([PropertyEntry(\"k\", Integer(1)), "
        "PropertyEntry(\"n\", Variable(\"n\"))]), true)",
        "\"p\")", "IsTyped(Variable(\"n\"), \"LIST<INTEGER>\", true)",
        "IsNormalized(Variable(\"n\"), \"NFKD\", false)"}) {
    EXPECT_NE(tree.find(part), std::string::npos) << part << " in " << tree;
  }
}

TEST(Neo4jDialect, QueryInformationCoversTheNewClauses) {
  StatementResult built = parse_statement(
      "LOAD CSV FROM 'f' AS row CALL (row) { MATCH (m:Movie) RETURN m {.title, .year} AS movie } "
      "CALL db.labels() YIELD label WHERE label = row.kind RETURN movie",
      Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(built));
  QueryNames names = collect_query_info(std::get<Query>(built));
  EXPECT_EQ(names.labels, (std::vector<std::string>{"Movie"}));
  EXPECT_EQ(names.properties, (std::vector<std::string>{"kind", "title", "year"}));
}

TEST(Neo4jDialect, MapProjectionKeysAreCorrected) {
  ValidationResult result =
      validate_query(movie_schema(), "MATCH (p:Person) RETURN p {.nme, .age}", Dialect::neo4j);
  ASSERT_EQ(codes_of(result), (std::vector<std::string>{"E303"}));
  EXPECT_EQ(result.errors()[0],
            "Unknown property 'nme' on variable 'p' with label :Person, did you mean .name?");
  ASSERT_TRUE(result.fixed_query.has_value());
  EXPECT_EQ(*result.fixed_query, "MATCH (p:Person) RETURN p {.name, .age}");
}

// A backticked name is the name it quotes, and a correction to a name with a backtick in it is
// written quoted with the backtick doubled, which reads back as that name.
TEST(Neo4jDialect, DoubledBackticksRoundTripThroughTheCorrectedQuery) {
  Schema schema({{"Odd`Label", {"odd`key"}}}, {});
  ValidationResult result = validate_query(
      schema, "MATCH (`n``1`:`Odd``Labl`) RETURN `n``1`.`odd``kye`", Dialect::neo4j);
  ASSERT_EQ(codes_of(result), (std::vector<std::string>{"E201"}));
  EXPECT_EQ(result.errors()[0], "Unknown node label: :Odd`Labl, did you mean :Odd`Label?");
  ASSERT_TRUE(result.fixed_query.has_value());
  EXPECT_EQ(*result.fixed_query, "MATCH (`n``1`:`Odd``Label`) RETURN `n``1`.`odd``kye`");
  ValidationResult fixed = validate_query(schema, *result.fixed_query, Dialect::neo4j);
  ASSERT_EQ(codes_of(fixed), (std::vector<std::string>{"E303"}));
  ASSERT_TRUE(fixed.fixed_query.has_value());
  EXPECT_EQ(*fixed.fixed_query, "MATCH (`n``1`:`Odd``Label`) RETURN `n``1`.`odd``key`");
  EXPECT_TRUE(validate_query(schema, *fixed.fixed_query, Dialect::neo4j).is_valid());
}

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
  EXPECT_NE(message.find("expected label_and"), std::string::npos) << message;
}

// The subquery fails furthest at its optional IN TRANSACTIONS, where the query around it
// then fails too: the expected list gathers both, however often the subquery is read.
TEST(Neo4jDialect, SyntaxErrorAfterNestedSubqueriesListsEveryExpectedRule) {
  StatementResult result = parse_statement("CALL { CALL { RETURN 1 AS x }", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<ModuleError>(result));
  EXPECT_EQ(std::get<ModuleError>(result).text(),
            "Parse error:  --> 1:30\n  |\n1 | CALL { CALL { RETURN 1 AS x }\n"
            "  |                              ^---\n  |\n  = expected union_clause, "
            "reading_clause, updating_clause, with_clause, return_clause, or in_transactions");
}

std::string repeated(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// `prefix`, `before` written `depth` times, `middle`, `after` written `depth` times, `suffix`.
struct NestingCase {
  const char* prefix;
  const char* before;
  const char* middle;
  const char* after;
  const char* suffix;
  int depth;
};
void PrintTo(const NestingCase& test, std::ostream* out) { *out << test.before; }

class Neo4jNestingTest : public ::testing::TestWithParam<NestingCase> {};

TEST_P(Neo4jNestingTest, DeepNestingEndsInTheLimit) {
  const NestingCase& test = GetParam();
  std::string query = test.prefix;
  for (int i = 0; i < test.depth; ++i) query += test.before;
  query += test.middle;
  for (int i = 0; i < test.depth; ++i) query += test.after;
  query += test.suffix;
  StatementResult result = parse_statement(query, Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<ModuleError>(result));
  EXPECT_NE(std::get<ModuleError>(result).text().find("call limit reached"), std::string::npos);
}

// Quantified path patterns do not nest, so deep parentheses of paths fail at once, and a long
// run of negations is no nesting at all.
TEST(Neo4jDialect, DeepPathParenthesesAreASyntaxErrorAndNegationsNoNesting) {
  std::string paths = "MATCH " + repeated("(", 10000) + "(a)-->(b)" + repeated(")+", 10000);
  StatementResult refused = parse_statement(paths + " RETURN a", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<ModuleError>(refused));
  EXPECT_EQ(std::get<ModuleError>(refused).text().find("call limit reached"), std::string::npos);
  EXPECT_NE(std::get<ModuleError>(refused).text().find("1:9"), std::string::npos)
      << std::get<ModuleError>(refused).text();

  StatementResult negated =
      parse_statement("MATCH (n:" + repeated("!", 100000) + "A) RETURN n", Dialect::neo4j);
  ASSERT_TRUE(std::holds_alternative<Query>(negated));
  EXPECT_EQ(first_element(std::get<Query>(negated)).start.other_labels,
            std::vector<std::string>{"A"});
}

INSTANTIATE_TEST_SUITE_P(
    Constructs, Neo4jNestingTest,
    ::testing::Values(
        NestingCase{"RETURN ", "COUNT { (a)-->(b) WHERE ", "true", " }", "", 3000},
        NestingCase{"MATCH (n:", "(", "A", ")", ") RETURN n", 10000},
        NestingCase{"MATCH (n) WHERE n:", "(", "A", ")", " RETURN n", 10000},
        NestingCase{"MATCH ()-[:", "(", "R", ")", "]->() RETURN 1", 10000},
        NestingCase{"MATCH (n WHERE ", "(n)-->(m WHERE ", "true", ")", ") RETURN n", 3000},
        NestingCase{"", "CALL () { ", "RETURN 1 AS x", " }", " RETURN x", 10000},
        NestingCase{"WITH {} AS n RETURN ", "n {k: ", "1", "}", "", 10000},
        NestingCase{"RETURN 1 :: ", "LIST<", "INTEGER", ">", "", 10000},
        NestingCase{"RETURN ", "[p = (a)-->() | ", "p", "]", "", 10000}));

}  // namespace
}  // namespace qarvex
