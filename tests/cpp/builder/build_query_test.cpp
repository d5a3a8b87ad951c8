// Query, clause and pattern shapes built from query texts.
#include <gtest/gtest.h>

#include "build_support.hpp"

namespace qarvex {
namespace {

using testing_support::build_ok;
using testing_support::single_part;

const MatchClause& first_match(const Query& query) {
  static const MatchClause kNone;
  const SinglePartQuery& part = single_part(query);
  if (part.reading_clauses.empty()) return kNone;
  const auto* match = std::get_if<MatchClause>(&part.reading_clauses.front().node);
  return match ? *match : kNone;
}

// The first pattern element of the first MATCH, printed.
std::string matched(const std::string& text) {
  Query query = build_ok(text);
  const MatchClause& match = first_match(query);
  if (match.pattern.parts.empty()) return "<no pattern>";
  return debug_string(match.pattern.parts.front().element);
}

const UpdatingClause* first_update(const Query& query) {
  const SinglePartQuery& part = single_part(query);
  return part.updating_clauses.empty() ? nullptr : &part.updating_clauses.front();
}

TEST(BuildQuery, ReturnStarHasNoItems) {
  Query query = build_ok("MATCH (n) RETURN *");
  ASSERT_TRUE(single_part(query).return_clause);
  EXPECT_TRUE(single_part(query).return_clause->items.empty());
}

struct PatternCase {
  const char* name;
  std::string query;
  std::string element;
};

void PrintTo(const PatternCase& c, std::ostream* out) { *out << c.name; }

class PatternShape : public testing::TestWithParam<PatternCase> {};

TEST_P(PatternShape, Builds) { EXPECT_EQ(matched(GetParam().query), GetParam().element); }

INSTANTIATE_TEST_SUITE_P(
    Patterns, PatternShape,
    testing::Values(
        PatternCase{"bare_arrow", "MATCH (a)-->(b)",
                    "PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, RelationshipPattern([], [], -, -, "
                    "-, -, [], -, Right), NodePattern([], [], -, -, [], \"b\"))])"},
        PatternCase{"left_with_type_and_open_range", "MATCH (a)<-[:R*]-(b)",
                    "PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, RelationshipPattern([], [], -, -, "
                    "-, LengthRange(-, -), [\"R\"], -, Left), NodePattern([], [], -, -, [], \"b\"))])"},
        PatternCase{"undirected_with_everything", "MATCH (a)-[r:X|:Y *1..3 {w: 1}]-(b)",
                    "PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, RelationshipPattern([], [], -, -, "
                    "Map(PropertyMap([PropertyEntry(\"w\", Integer(1))])), LengthRange(1, 3), "
                    "[\"X\", \"Y\"], \"r\", Both), NodePattern([], [], -, -, [], \"b\"))])"},
        PatternCase{"both_arrows_count_as_left", "MATCH (a)<-->(b)",
                    "PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, RelationshipPattern([], [], -, -, "
                    "-, -, [], -, Left), NodePattern([], [], -, -, [], \"b\"))])"},
        PatternCase{"labels_keep_order_and_duplicates", "MATCH (n:A:B:A)",
                    "PatternElement(NodePattern([], [], -, -, [\"A\", \"B\", \"A\"], \"n\"), [])"},
        PatternCase{"parameter_properties", "MATCH (n:A $props)",
                    "PatternElement(NodePattern([], [], -, Parameter(\"props\"), [\"A\"], \"n\"), [])"},
        PatternCase{"shortest_path_is_a_plain_element",
                    "MATCH p = shortestPath((a:A)-[*]-(b:B)) RETURN p",
                    "PatternElement(NodePattern([], [], -, -, [\"A\"], \"a\"), [PatternStep(-, "
                    "RelationshipPattern([], [], -, -, -, LengthRange(-, -), [], -, Both), "
                    "NodePattern([], [], -, -, [\"B\"], \"b\"))])"},
        PatternCase{"all_shortest_paths_gives_the_same_tree",
                    "MATCH p = allShortestPaths((a:A)-[*]-(b:B)) RETURN p",
                    "PatternElement(NodePattern([], [], -, -, [\"A\"], \"a\"), [PatternStep(-, "
                    "RelationshipPattern([], [], -, -, -, LengthRange(-, -), [], -, Both), "
                    "NodePattern([], [], -, -, [\"B\"], \"b\"))])"}));

struct RangeCase {
  std::string written;
  std::optional<std::int64_t> min;
  std::optional<std::int64_t> max;
};

TEST(BuildQuery, RangeBounds) {
  const RangeCase cases[] = {
      {"*", {}, {}},
      {"*3", 3, 3},
      {"*2..", 2, {}},
      {"*2..5", 2, 5},
      {"* 2 .. 5", 2, 5},
      {"*0x10", {}, {}},  // bounds are read as decimal
      // A comment after the bound is no part of it, nor does a `..` inside one open a range.
      {"*2 /* .. */", 2, 2},
      {"*2.. /* 9 */", 2, {}},
  };
  for (const RangeCase& c : cases) {
    Query query = build_ok("MATCH (a)-[" + c.written + "]->(b)");
    const MatchClause& match = first_match(query);
    ASSERT_EQ(match.pattern.parts.size(), 1u) << c.written;
    const auto& chain = match.pattern.parts[0].element.chain;
    ASSERT_EQ(chain.size(), 1u) << c.written;
    ASSERT_TRUE(chain[0].relationship.range) << c.written;
    EXPECT_EQ(chain[0].relationship.range->min, c.min) << c.written;
    EXPECT_EQ(chain[0].relationship.range->max, c.max) << c.written;
  }
}

TEST(BuildQuery, RepeatedPropertyKeyKeepsTheLastValue) {
  Query query = build_ok("CREATE (n {name: 'x', age: 1, name: 'y'})");
  const UpdatingClause* clause = first_update(query);
  ASSERT_NE(clause, nullptr);
  const auto& create = std::get<CreateClause>(clause->node);
  const auto& props = create.pattern.parts.at(0).element.start.properties;
  ASSERT_TRUE(props);
  const PropertyMap& map = std::get<Properties::Map>(props->node).map;
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map.entries[0].key, "name");
  EXPECT_EQ(debug_string(*map.find("name")), "String(\"y\")");
  EXPECT_EQ(map.entries[1].key, "age");
}

TEST(BuildQuery, ManyRepeatedKeysStayUniqueInFirstWrittenOrder) {
  std::string text = "RETURN {";
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 40; ++i) text += "k" + std::to_string(i) + ": " + std::to_string(round) + ", ";
  }
  text += "z: 1}";
  Query query = build_ok(text);
  const auto& item = single_part(query).return_clause->items.at(0);
  const PropertyMap& map = item.expression.as<expr::Map>()->map;
  ASSERT_EQ(map.size(), 41u);
  EXPECT_EQ(map.entries[0].key, "k0");
  EXPECT_EQ(map.entries[39].key, "k39");
  EXPECT_EQ(debug_string(*map.entries[39].value), "Integer(1)");
  EXPECT_EQ(map.entries[40].key, "z");
}

TEST(BuildQuery, WithSplitsTheQueryIntoParts) {
  Query query = build_ok("MATCH (n) WITH n MATCH (m) RETURN m");
  const auto& multi = std::get<MultiPartQuery>(std::get<RegularQuery>(query.node).first.node);
  ASSERT_EQ(multi.parts.size(), 1u);
  EXPECT_EQ(multi.parts[0].reading_clauses.size(), 1u);
  EXPECT_EQ(multi.parts[0].with_clause.items.size(), 1u);
  EXPECT_EQ(multi.reading_clauses.size(), 1u);
  EXPECT_TRUE(multi.return_clause);
}

TEST(BuildQuery, WithClauseParts) {
  Query query =
      build_ok("MATCH (n) WITH DISTINCT n.x AS x ORDER BY x DESC SKIP 1 LIMIT 2 WHERE x > 0 "
               "RETURN x");
  const auto& multi = std::get<MultiPartQuery>(std::get<RegularQuery>(query.node).first.node);
  const WithClause& with = multi.parts.at(0).with_clause;
  EXPECT_TRUE(with.distinct);
  ASSERT_EQ(with.items.size(), 1u);
  EXPECT_EQ(with.items[0].alias, "x");
  ASSERT_TRUE(with.order_by);
  EXPECT_TRUE(with.order_by->at(0).descending);
  EXPECT_EQ(debug_string(*with.skip), "Integer(1)");
  EXPECT_EQ(debug_string(*with.limit), "Integer(2)");
  EXPECT_EQ(debug_string(*with.where_clause), "GreaterThan(Variable(\"x\"), Integer(0))");
}

TEST(BuildQuery, UnionParts) {
  Query query = build_ok("MATCH (a) RETURN a UNION ALL MATCH (b) RETURN b UNION RETURN 1");
  const auto& regular = std::get<RegularQuery>(query.node);
  ASSERT_EQ(regular.unions.size(), 2u);
  EXPECT_TRUE(regular.unions[0].all);
  EXPECT_FALSE(regular.unions[1].all);
}

struct FlagCase {
  std::string query;
  bool expected;
};

// Reads the flag that the keyword of `query` selects.
using FlagReader = bool (*)(const Query&);

bool return_distinct(const Query& q) { return single_part(q).return_clause->distinct; }
bool first_sort_descending(const Query& q) {
  return single_part(q).return_clause->order_by->at(0).descending;
}
bool union_all(const Query& q) { return std::get<RegularQuery>(q.node).unions.at(0).all; }
bool with_distinct(const Query& q) {
  return std::get<MultiPartQuery>(std::get<RegularQuery>(q.node).first.node)
      .parts.at(0)
      .with_clause.distinct;
}
bool match_optional(const Query& q) { return first_match(q).optional; }
bool delete_detach(const Query& q) {
  return std::get<DeleteClause>(first_update(q)->node).detach;
}
bool set_merges(const Query& q) {
  return std::holds_alternative<SetItem::MergeAssign>(
      std::get<SetClause>(first_update(q)->node).items.at(0).node);
}
bool merge_action_on_match(const Query& q) {
  return !std::get<MergeClause>(first_update(q)->node).on_match.empty();
}

struct KeywordCase {
  const char* name;
  FlagReader read;
  std::vector<FlagCase> cases;
};

// Keywords select flags, in any case; a keyword written only inside a comment selects none.
TEST(BuildQuery, KeywordFlags) {
  const KeywordCase table[] = {
      {"return distinct",
       return_distinct,
       {{"RETURN DISTINCT n.distinct_id", true},
        {"RETURN n.distinct_id", false},
        {"RETURN count(DISTINCT n)", false},
        {"RETURN /* distinct */ n", false},
        {"return distinct n", true}}},
      {"sort descending",
       first_sort_descending,
       {{"RETURN n ORDER BY n.x DESC", true},
        {"RETURN n ORDER BY n.x DESCENDING", true},
        {"RETURN n ORDER BY n.x ASC", false},
        {"RETURN n ORDER BY n.x ASCENDING", false},
        {"RETURN n ORDER BY n.x", false},
        {"RETURN n ORDER BY n.`desc`", false},
        {"RETURN n ORDER BY n.x // desc\n", false},
        {"RETURN n ORDER BY n.x /* DESC */ , n.y", false}}},
      {"union all",
       union_all,
       {{"RETURN 1 UNION ALL RETURN 2", true},
        {"RETURN 1 UNION RETURN 2", false},
        {"RETURN 1 UNION /* all */ RETURN 2", false}}},
      {"with distinct",
       with_distinct,
       {{"MATCH (n) WITH DISTINCT n RETURN n", true},
        {"MATCH (n) WITH n RETURN n", false},
        {"MATCH (n) WITH /* distinct */ n RETURN n", false}}},
      {"optional match",
       match_optional,
       {{"OPTIONAL MATCH (n) RETURN n", true},
        {"optional match (n) RETURN n", true},
        {"MATCH (n) RETURN n", false}}},
      {"detach delete",
       delete_detach,
       {{"MATCH (n) DETACH DELETE n", true}, {"MATCH (n) DELETE n", false}}},
      {"merge assignment",
       set_merges,
       {{"MATCH (n) SET n += {a: 1}", true},
        {"MATCH (n) SET n = {a: 1}", false},
        {"MATCH (n) SET n = /* += */ {a: 1}", false}}},
      {"merge action",
       merge_action_on_match,
       {{"MERGE (n:A) ON MATCH SET n.x = 1", true},
        {"MERGE (n:A) ON CREATE SET n.x = 1", false},
        {"MERGE (n:A) ON CREATE /* match */ SET n.x = 1", false}}},
  };
  for (const KeywordCase& keyword : table) {
    for (const FlagCase& c : keyword.cases) {
      EXPECT_EQ(keyword.read(build_ok(c.query)), c.expected) << keyword.name << ": " << c.query;
    }
  }
}

TEST(BuildQuery, MergeActionsInSourceOrder) {
  Query query = build_ok(
      "MERGE (n:A) ON CREATE SET n.created = 1 ON MATCH SET n.seen = 2 ON CREATE SET n.b = 3, "
      "n.c = 4");
  const auto& merge = std::get<MergeClause>(first_update(query)->node);
  EXPECT_EQ(merge.part.element.start.labels, std::vector<std::string>{"A"});
  ASSERT_EQ(merge.on_create.size(), 2u);
  ASSERT_EQ(merge.on_match.size(), 1u);
  EXPECT_EQ(merge.on_create[0].size(), 1u);
  EXPECT_EQ(merge.on_create[1].size(), 2u);
}

TEST(BuildQuery, SetItemKinds) {
  Query query = build_ok("MATCH (n) SET n.a.b = 1, n = {a: 1}, n += $p, n:A:B");
  const auto& items = std::get<SetClause>(first_update(query)->node).items;
  ASSERT_EQ(items.size(), 4u);
  const auto& property = std::get<SetItem::Property>(items[0].node);
  EXPECT_EQ(property.variable, "n");
  EXPECT_EQ(property.keys, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(debug_string(property.value), "Integer(1)");
  EXPECT_EQ(std::get<SetItem::Assign>(items[1].node).variable, "n");
  EXPECT_EQ(debug_string(std::get<SetItem::MergeAssign>(items[2].node).value),
            "Parameter(\"p\")");
  EXPECT_EQ(std::get<SetItem::Labels>(items[3].node).labels,
            (std::vector<std::string>{"A", "B"}));
}

TEST(BuildQuery, RemoveItemKinds) {
  Query query = build_ok("MATCH (n) REMOVE n:Person:Admin, n.a.b");
  const auto& items = std::get<RemoveClause>(first_update(query)->node).items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(std::get<RemoveItem::Labels>(items[0].node).labels,
            (std::vector<std::string>{"Person", "Admin"}));
  EXPECT_EQ(std::get<RemoveItem::Property>(items[1].node).keys,
            (std::vector<std::string>{"a", "b"}));
}

TEST(BuildQuery, ForeachAndDelete) {
  Query query = build_ok("MATCH (n) FOREACH (x IN n.list | CREATE (:A) DELETE x, n)");
  const auto& foreach = std::get<ForeachClause>(first_update(query)->node);
  EXPECT_EQ(foreach.variable, "x");
  EXPECT_EQ(debug_string(foreach.list), "PropertyLookup(Variable(\"n\"), \"list\")");
  ASSERT_EQ(foreach.body.size(), 2u);
  EXPECT_EQ(std::get<DeleteClause>(foreach.body[1].node).expressions.size(), 2u);
}

TEST(BuildQuery, ProcedureCallsAndSubqueries) {
  Query query = build_ok(
      "CALL db.index.fulltext.queryNodes('idx', $q) YIELD node AS n, score "
      "CALL { MATCH (m) RETURN m } UNWIND [1, 2] AS x RETURN n");
  const auto& reading = single_part(query).reading_clauses;
  ASSERT_EQ(reading.size(), 3u);
  const auto& call = std::get<ProcedureCall>(reading[0].node);
  EXPECT_EQ(call.name, "db.index.fulltext.queryNodes");
  EXPECT_EQ(call.arguments.size(), 2u);
  ASSERT_EQ(call.yield_items.size(), 2u);
  EXPECT_EQ(call.yield_items[0].field, "node");
  EXPECT_EQ(call.yield_items[0].variable, "n");
  EXPECT_EQ(call.yield_items[1].field, std::nullopt);
  EXPECT_EQ(call.yield_items[1].variable, "score");
  const auto& subquery = std::get<CallSubquery>(reading[1].node);
  ASSERT_TRUE(subquery.query);
  EXPECT_TRUE(std::holds_alternative<SinglePartQuery>(subquery.query->first.node));
  const auto& unwind = std::get<UnwindClause>(reading[2].node);
  EXPECT_EQ(unwind.variable, "x");
  EXPECT_EQ(debug_string(unwind.expression), "List([Integer(1), Integer(2)])");
}

TEST(BuildQuery, BareCallIsARegularQueryWithOneCallClause) {
  Query query = build_ok("CALL db.labels() YIELD label");
  const auto& reading = single_part(query).reading_clauses;
  ASSERT_EQ(reading.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<ProcedureCall>(reading[0].node));
}

TEST(BuildQuery, WhereNotNot) {
  Query query = build_ok("MATCH (n) WHERE NOT NOT n.x RETURN n");
  ASSERT_TRUE(first_match(query).where_clause);
  EXPECT_EQ(debug_string(*first_match(query).where_clause),
            "Not(Not(PropertyLookup(Variable(\"n\"), \"x\")))");
}

TEST(BuildQuery, KeywordCaseDoesNotChangeTheTree) {
  EXPECT_TRUE(build_ok("match (n:A) where n.x = 1 return distinct n order by n.y desc limit 3") ==
              build_ok("MATCH (n:A) WHERE n.x = 1 RETURN DISTINCT n ORDER BY n.y DESC LIMIT 3"));
}

TEST(ParseEntries, SyntaxErrors) {
  const std::string text = "MATCH (n RETURN n";
  StatementResult statement = parse_statement(text);
  const auto* error = std::get_if<ModuleError>(&statement);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->kind, ModuleErrorKind::Parse);
  EXPECT_EQ(error->message,
            " --> 1:10\n  |\n1 | MATCH (n RETURN n\n  |          ^---\n  |\n"
            "  = expected node_labels or properties");
  EXPECT_EQ(error->text(), "Parse error: " + error->message);

  ValidationParse validation = parse_for_validation(text);
  const auto* info = std::get_if<ParseErrorInfo>(&validation);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->message, error->message);
  ASSERT_TRUE(info->position);
  EXPECT_EQ(info->position->line, 1u);
  EXPECT_EQ(info->position->column, 10u);
}

TEST(ParseEntries, ValidQueryGivesTheSameTreeThroughBoth) {
  const std::string text = "MATCH (a)-[:R]->(b) WHERE a.x > 1 RETURN b.y AS y";
  ValidationParse validation = parse_for_validation(text);
  ASSERT_TRUE(std::holds_alternative<ParsedQuery>(validation));
  EXPECT_TRUE(std::get<ParsedQuery>(validation).query == build_ok(text));
}

}  // namespace
}  // namespace qarvex
