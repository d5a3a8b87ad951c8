#include "validator/feedback.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace qarvex {
namespace {

// LIKES has three endpoint pairs; `Film Studio` and `OWNED BY` need backticks in a query.
Schema feedback_schema() {
  RelationshipType likes("Person", "Movie", {"at"});
  likes.add({"Company", "Movie", {"stars"}});
  likes.add({"Person", "Tag", {}});
  return Schema({{"Person", {"name", "age"}},
                 {"Movie", {"title", "released"}},
                 {"Company", {"name"}},
                 {"Film Studio", {"founded"}},
                 {"Tag", {}}},
                {{"ACTED_IN", RelationshipType("Person", "Movie", {"role"})},
                 {"LIKES", std::move(likes)},
                 {"WORKS_AT", RelationshipType("Person", "Company", {})},
                 {"OWNED BY", RelationshipType("Movie", "Film Studio", {})}});
}

std::string feedback(const Schema& schema, std::string_view query, Dialect dialect) {
  return feedback_text(schema, SchemaNames(schema), query, dialect);
}

struct FeedbackRow {
  std::string_view why;
  Dialect dialect;
  std::string_view query;
  std::string_view text;
};

class FeedbackText : public testing::TestWithParam<FeedbackRow> {};

TEST_P(FeedbackText, IsTheGoldenText) {
  const FeedbackRow& row = GetParam();
  EXPECT_EQ(feedback(feedback_schema(), row.query, row.dialect), row.text)
      << row.why << " (" << dialect_name(row.dialect) << "): " << row.query;
}

constexpr Dialect core = Dialect::core;
constexpr Dialect neo4j = Dialect::neo4j;

INSTANTIATE_TEST_SUITE_P(
    Entries, FeedbackText,
    testing::Values(
        FeedbackRow{"a valid query", core, "MATCH (p:Person) RETURN p.name", ""},
        FeedbackRow{"warnings alone", neo4j, "MATCH (n) RETURN n", ""},
        FeedbackRow{"an invented label: every declared label, nearest first", core,
                    "MATCH (b:Book) RETURN b",
                    "error E201: Unknown node label: :Book\n"
                    "  declared labels, nearest first: :Movie, :Tag, :Person, :Company, :`Film Studio`\n"},
        FeedbackRow{"SET and REMOVE labels: the same list", neo4j,
                    "MATCH (p:Person) SET p:Writer REMOVE p:Actor",
                    "error E202: Unknown node label in SET: :Writer\n"
                    "  declared labels, nearest first: :Movie, :Tag, :Person, :Company, :`Film Studio`\n"
                    "error E203: Unknown node label in REMOVE: :Actor\n"
                    "  declared labels, nearest first: :Tag, :Movie, :Person, :Company, :`Film Studio`\n"},
        FeedbackRow{"an invented type: the types declared between the written labels", core,
                    "MATCH (p:Person)-[:WROTE]->(m:Movie) RETURN p",
                    "error E211: Unknown relationship type: :WROTE\n"
                    "  types declared from (:Person) to (:Movie), nearest first: :LIKES, :ACTED_IN\n"},
        FeedbackRow{"a leftward relationship is read from its source", neo4j,
                    "MATCH (m:Movie)<-[:FAVOURS]-(c:Company) RETURN m",
                    "error E211: Unknown relationship type: :FAVOURS\n"
                    "  types declared from (:Company) to (:Movie), nearest first: :LIKES\n"},
        FeedbackRow{"an undirected relationship: the types either way", core,
                    "MATCH (t:Tag)-[:FRIEND]-(p:Person) RETURN p",
                    "error E211: Unknown relationship type: :FRIEND\n"
                    "  types declared between (:Tag) and (:Person), nearest first: :LIKES\n"},
        FeedbackRow{"no type between the labels: the nearest types", core,
                    "MATCH (t:Tag)-[:HAS]->(c:Company) RETURN t",
                    "error E211: Unknown relationship type: :HAS\n"
                    "  no type is declared from (:Tag) to (:Company); declared types, nearest first: :LIKES, :WORKS_AT, :ACTED_IN, :`OWNED BY`\n"},
        FeedbackRow{"no label written: the nearest types", core,
                    "MATCH (a)-[:OWNS]->(b) RETURN a",
                    "error E211: Unknown relationship type: :OWNS\n"
                    "  declared types, nearest first: :LIKES, :`OWNED BY`, :WORKS_AT, :ACTED_IN\n"},
        FeedbackRow{"a property on a node variable", core,
                    "MATCH (u:Person) RETURN u.followers",
                    "error E303: Unknown property 'followers' on variable 'u' with label :Person\n"
                    "  properties of :Person, nearest first: age, name\n"},
        FeedbackRow{"a property on a relationship variable", neo4j,
                    "MATCH (:Person)-[r:LIKES]->(:Movie) RETURN r.weight",
                    "error E304: Unknown property 'weight' on variable 'r' with relationship type :LIKES\n"
                    "  properties of :LIKES, nearest first: at, stars\n"},
        FeedbackRow{"a label without properties", core,
                    "MATCH (t:Tag {name: 'x'}) RETURN t",
                    "error E301: Unknown property 'name' for node label :Tag\n"
                    "  properties of :Tag: none declared\n"},
        FeedbackRow{"E401: the endpoint pairs, once for both ends", core,
                    "MATCH (m:Movie)-[:LIKES]->(p:Person) RETURN m",
                    "error E401: Relationship :LIKES expects source label :Person or :Company, but node has label(s): :Movie\n"
                    "  declared endpoints of :LIKES: (:Person)-[:LIKES]->(:Movie), (:Company)-[:LIKES]->(:Movie), (:Person)-[:LIKES]->(:Tag)\n"
                    "error E401: Relationship :LIKES expects target label :Movie or :Tag, but node has label(s): :Person\n"},
        FeedbackRow{"E501: the variables WITH kept", core,
                    "MATCH (p:Person) WITH p.name AS name RETURN p",
                    "error E501: Variable 'p' is not bound in this scope\n"
                    "  variables bound here, nearest first: name\n"},
        FeedbackRow{"E501 with nothing bound", neo4j,
                    "RETURN x",
                    "error E501: Variable 'x' is not bound in this scope\n"
                    "  no variable is bound here\n"},
        FeedbackRow{"a Neo4j subquery in the core dialect", core,
                    "MATCH (p:Person) RETURN COUNT { (p)-[:LIKES]->() }",
                    "error E101:\n"
                    " --> 1:33\n"
                    "  |\n"
                    "1 | MATCH (p:Person) RETURN COUNT { (p)-[:LIKES]->() }\n"
                    "  |                                 ^---\n"
                    "  |\n"
                    "  = expected single_query\n"
                    "  Neo4j-only syntax: this checker reads core Cypher, which does not have the COUNT { ... } subquery; rewrite that part without it\n"},
        FeedbackRow{"the same query in the Neo4j dialect", neo4j,
                    "MATCH (p:Person) RETURN COUNT { (p)-[:LIKES]->() }",
                    ""},
        FeedbackRow{"EXISTS with MATCH in the core dialect", core,
                    "MATCH (p:Person) WHERE EXISTS { MATCH (p)-->(:Movie) } RETURN p",
                    "error E101:\n"
                    " --> 1:33\n"
                    "  |\n"
                    "1 | MATCH (p:Person) WHERE EXISTS { MATCH (p)-->(:Movie) } RETURN p\n"
                    "  |                                 ^---\n"
                    "  |\n"
                    "  = expected pattern_part\n"
                    "  Neo4j-only syntax: this checker reads core Cypher, which does not have the EXISTS { ... } subquery; rewrite that part without it\n"},
        FeedbackRow{"a label expression in the core dialect", core,
                    "MATCH (p:Person) WHERE p:Person|Company RETURN p",
                    "error E101:\n"
                    " --> 1:25\n"
                    "  |\n"
                    "1 | MATCH (p:Person) WHERE p:Person|Company RETURN p\n"
                    "  |                         ^---\n"
                    "  |\n"
                    "  = expected EOI, union_clause, reading_clause, updating_clause, with_clause, return_clause, or_kw, xor_kw, and_kw, comparison_op, or postfix_op\n"
                    "  Neo4j-only syntax: this checker reads core Cypher, which does not have the label expression; rewrite that part without it\n"},
        FeedbackRow{"a syntax error in the Neo4j dialect", neo4j,
                    "MATCH (p:Person RETURN p",
                    "error E101:\n"
                    " --> 1:17\n"
                    "  |\n"
                    "1 | MATCH (p:Person RETURN p\n"
                    "  |                 ^---\n"
                    "  |\n"
                    "  = expected where_clause or properties\n"},
        FeedbackRow{"every error has a fix: the corrected query", core,
                    "MATCH (p:Persn)-[:ACTD_IN]->(m:Movie) RETURN p.nme, m.titel",
                    "error E201: Unknown node label: :Persn, did you mean :Person?\n"
                    "  declared labels, nearest first: :Person, :Movie, :Tag, :Company, :`Film Studio`\n"
                    "error E211: Unknown relationship type: :ACTD_IN, did you mean :ACTED_IN?\n"
                    "  types declared from () to (:Movie), nearest first: :ACTED_IN, :LIKES\n"
                    "error E303: Unknown property 'titel' on variable 'm' with label :Movie, did you mean .title?\n"
                    "  properties of :Movie, nearest first: title, released\n"
                    "corrected query:\n"
                    "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.nme, m.title\n"},
        FeedbackRow{"an error without a fix: no corrected query", core,
                    "MATCH (p:Persn) RETURN p, q",
                    "error E201: Unknown node label: :Persn, did you mean :Person?\n"
                    "  declared labels, nearest first: :Person, :Movie, :Tag, :Company, :`Film Studio`\n"
                    "error E501: Variable 'q' is not bound in this scope\n"
                    "  variables bound here, nearest first: p\n"}));

std::size_t line_count(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// 100000 labels L00000..L99999; L00001 has 1000 keys, and the type R 1000 endpoint pairs, all
// from L00000.
Schema huge_schema() {
  NameMap<NameSet> nodes;
  for (int i = 0; i < 100000; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "L%05d", i);
    nodes[name];
  }
  NameSet keys;
  for (int i = 0; i < 1000; ++i) keys.insert("key" + std::to_string(i));
  nodes["L00001"] = keys;
  RelationshipType r("L00000", "L00001", {});
  for (int i = 2; i < 1001; ++i) r.add({"L00000", "L" + std::to_string(10000 + i), {}});
  return Schema(std::move(nodes), {{"R", std::move(r)}});
}

TEST(FeedbackText, StaysShortForAHugeSchema) {
  Schema schema = huge_schema();
  EXPECT_EQ(feedback(schema, "MATCH (b:Book) RETURN b", Dialect::core),
            "error E201: Unknown node label: :Book\n"
            "  declared labels, nearest first: :L00000, :L00001, :L00002, :L00003, :L00004, "
            ":L00005, :L00006, :L00007, :L00008, :L00009, :L00010, :L00011, :L00012, :L00013, "
            ":L00014, :L00015, :L00016, :L00017, :L00018, :L00019 (and 99980 more)\n");
  std::string text =
      feedback(schema, "MATCH (n:L00001)-[:R]->(m) RETURN n.size", Dialect::neo4j);
  EXPECT_EQ(line_count(text), 4u) << text;
  EXPECT_LT(text.size(), 2000u) << text;
  EXPECT_NE(text.find(": (:L00000)-[:R]->(:L00001), (:L00000)-[:R]->(:L10002), "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(", (:L00000)-[:R]->(:L10020) (and 980 more)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("nearest first: key0, key1, key2, "), std::string::npos) << text;
}

// The validator's own E401 message names every accepted label; the feedback names 20.
TEST(FeedbackText, ShortensAnEndpointMessageOfManyLabels) {
  std::string text =
      feedback(huge_schema(), "MATCH (n:L00000)-[:R]->(m:L00000) RETURN n", Dialect::core);
  std::string expected = "error E401: Relationship :R expects target label :L00001";
  for (int i = 10002; i <= 10020; ++i) expected += " or :L" + std::to_string(i);
  expected += " (and 980 more), but node has label(s): :L00000\n";
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), expected);
  EXPECT_LT(text.size(), 1500u) << text;
}

TEST(FeedbackText, NearestNamesComeBeforeByteOrder) {
  Schema schema({{"Zebra", {}}, {"Apple", {}}, {"Persona", {}}, {"Person", {}}}, {});
  EXPECT_EQ(feedback(schema, "MATCH (p:persn) RETURN p", Dialect::core),
            "error E201: Unknown node label: :persn, did you mean :Person?\n"
            "  declared labels, nearest first: :Person, :Persona, :Zebra, :Apple\n"
            "corrected query:\nMATCH (p:Person) RETURN p\n");
}

TEST(FeedbackText, ListsAtMostTheLimitOfBoundVariables) {
  std::string query = "UNWIND [1] AS v WITH v";
  for (int i = 0; i < 30; ++i) query += ", 1 AS v" + std::to_string(i);
  query += " RETURN w";
  std::string text = feedback(feedback_schema(), query, Dialect::core);
  EXPECT_NE(text.find("(and 11 more)\n"), std::string::npos) << text;
  EXPECT_EQ(line_count(text), 2u) << text;
}

}  // namespace
}  // namespace qarvex
