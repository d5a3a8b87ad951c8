#include "validator/fixed_query.hpp"

#include <gtest/gtest.h>

#include "parser/builder/build.hpp"

namespace qarvex {
namespace {

using enum DiagnosticCode;

ValidationDiagnostic error(DiagnosticCode code, std::string original, std::string replacement) {
  return {code, Severity::Error, "message", Suggestion{original, replacement, "description"}, {}};
}
ValidationDiagnostic label(std::string from, std::string to) {
  return error(UnknownNodeLabel, ":" + from, ":" + to);
}
ValidationDiagnostic type(std::string from, std::string to) {
  return error(UnknownRelType, ":" + from, ":" + to);
}
ValidationDiagnostic key(std::string from, std::string to) {
  return error(UnknownNodePropertyOnVar, from, to);
}

// The fixed query of a text that parses, from the name sites of its parse tree.
std::optional<std::string> fixed(const std::vector<ValidationDiagnostic>& diagnostics,
                                 std::string_view query) {
  ValidationParse parsed = parse_for_validation(query);
  const auto* parsed_query = std::get_if<ParsedQuery>(&parsed);
  EXPECT_NE(parsed_query, nullptr) << "does not parse: " << query;
  if (parsed_query == nullptr) return std::nullopt;
  return fixed_query(diagnostics, query, parsed_query->name_sites);
}

struct FixRow {
  std::string_view why;
  std::vector<ValidationDiagnostic> diagnostics;
  std::string_view query;
  std::string_view fixed;
};

class FixedQuery : public testing::TestWithParam<FixRow> {};

TEST_P(FixedQuery, ReplacesTheNameOnlyWhereItStands) {
  const FixRow& row = GetParam();
  EXPECT_EQ(fixed(row.diagnostics, row.query), std::string(row.fixed))
      << row.why << "\n  query: " << row.query;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedQuery,
    testing::Values(
        FixRow{"a label", {label("Persn", "Person")}, "MATCH (p:Persn) RETURN p",
               "MATCH (p:Person) RETURN p"},
        FixRow{"two labels, and a key of an undeclared label left as written",
               {label("Persn", "Person"), label("Movi", "Movie")},
               "MATCH (p:Persn)-[:ACTED_IN]->(m:Movi) RETURN p.nme",
               "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.nme"},
        FixRow{"one pair applied once, the string literal kept",
               {key("nme", "name"), key("nme", "name")},
               "MATCH (p:Person) WHERE p.nme = 'nme' RETURN p.nme",
               "MATCH (p:Person) WHERE p.name = 'nme' RETURN p.name"},
        FixRow{"double-quoted strings and comments are not names",
               {key("nme", "name")},
               "MATCH (p:Person) // p.nme\nWHERE p.nme = \"p.nme\" /* p.nme */ RETURN p",
               "MATCH (p:Person) // p.nme\nWHERE p.name = \"p.nme\" /* p.nme */ RETURN p"},
        FixRow{"a variable or alias spelt like the key is left alone",
               {key("nme", "name")},
               "MATCH (p:Person) WITH p, p.nme AS nme, nmeCount RETURN nme, p.nme",
               "MATCH (p:Person) WITH p, p.name AS nme, nmeCount RETURN nme, p.name"},
        FixRow{"a longer label is a different name",
               {label("Persn", "Person")}, "MATCH (a:Persn), (b:PersnX) RETURN a",
               "MATCH (a:Person), (b:PersnX) RETURN a"},
        FixRow{"space and comment between colon and label are kept",
               {label("Persn", "Person")}, "MATCH (n : Persn), (m:/* c */Persn) RETURN n",
               "MATCH (n : Person), (m:/* c */Person) RETURN n"},
        FixRow{"a backtick label is matched as written, a longer one is not",
               {label("`Persn`", "Person")}, "MATCH (n:`Persn`), (m:`Persn x`) RETURN n",
               "MATCH (n:Person), (m:`Persn x`) RETURN n"},
        FixRow{"a key inside another backtick name stays",
               {key("nme", "name")}, "MATCH (p:Person) RETURN p.nme AS `p.nme`",
               "MATCH (p:Person) RETURN p.name AS `p.nme`"},
        FixRow{"map keys of patterns and literals, not their values",
               {key("nme", "name")},
               "MATCH (p:Person {nme: nme, age: 1}) RETURN {nme : p.nme}",
               "MATCH (p:Person {name: nme, age: 1}) RETURN {name : p.name}"},
        FixRow{"a namespaced function name is not a property lookup",
               {key("nme", "name")}, "MATCH (p:Person) RETURN my.nme(p.nme), db . nme",
               "MATCH (p:Person) RETURN my.nme(p.name), db . name"},
        FixRow{"a label pair does not touch a relationship type of that spelling",
               {label("KNOWS", "Knows")}, "MATCH (a:KNOWS)-[:KNOWS]->(b) RETURN a",
               "MATCH (a:Knows)-[:KNOWS]->(b) RETURN a"},
        FixRow{"type alternatives, with and without colon",
               {type("ACTS", "ACTED_IN")}, "MATCH (a)-[r:KNOWS|ACTS|:ACTS]->(b:ACTS) RETURN r",
               "MATCH (a)-[r:KNOWS|ACTED_IN|:ACTED_IN]->(b:ACTS) RETURN r"},
        FixRow{"labels in SET, REMOVE, FOREACH and a subquery block",
               {label("Actr", "Actor")},
               "MATCH (n) CALL { MATCH (k:Actr) RETURN k } "
               "SET n:Actr, m:Actr REMOVE n:Actr FOREACH (x IN [1] | SET n:Actr) RETURN n",
               "MATCH (n) CALL { MATCH (k:Actor) RETURN k } "
               "SET n:Actor, m:Actor REMOVE n:Actor FOREACH (x IN [1] | SET n:Actor) RETURN n"},
        FixRow{"labels in a pattern comprehension and EXISTS",
               {label("Persn", "Person")},
               "MATCH (a) WHERE EXISTS { (a)-->(:Persn) } RETURN [(a)-[:R]->(b:Persn) | b]",
               "MATCH (a) WHERE EXISTS { (a)-->(:Person) } RETURN [(a)-[:R]->(b:Person) | b]"},
        FixRow{"a key after a parameter or a parenthesised expression; floats are not keys",
               {key("e5", "x")}, "RETURN $p.e5, (n).e5, 1.e5, 2.5e5",
               "RETURN $p.x, (n).x, 1.e5, 2.5e5"},
        FixRow{"longest first, each pair seeing the text the previous one left",
               {label("P", "Q"), label("PQ", "P")}, "MATCH (a:PQ), (b:P) RETURN a",
               "MATCH (a:Q), (b:Q) RETURN a"},
        FixRow{"a replacement that cannot stand unquoted is quoted; a reserved word can",
               {label("Mtch", "Match"), key("nme", "full name")},
               "MATCH (n:Mtch) RETURN n.nme", "MATCH (n:Match) RETURN n.`full name`"},
        FixRow{"an escaped quote does not end a string",
               {key("nme", "name")}, "RETURN 'a\\' + p.nme' + p.nme + '\\\\'",
               "RETURN 'a\\' + p.nme' + p.name + '\\\\'"}));

TEST(FixedQuery, AbsentWithoutErrorsOrWhenAnErrorHasNoSuggestion) {
  ValidationDiagnostic warning{UnlabeledFullScan, Severity::Warning, "w", {}, {}};
  ValidationDiagnostic unbound{UnboundVariable, Severity::Error, "e", {}, {}};
  EXPECT_FALSE(fixed({}, "RETURN 1"));
  EXPECT_FALSE(fixed({warning}, "MATCH (n) RETURN n"));
  EXPECT_FALSE(fixed({label("Persn", "Person"), unbound}, "MATCH (p:Persn) RETURN q"));
  ValidationDiagnostic no_candidate{UnknownNodeLabel, Severity::Error, "e", {}, {}};
  EXPECT_FALSE(fixed({no_candidate}, "MATCH (p:Xyzzy) RETURN p"));
  EXPECT_EQ(fixed({warning, label("Persn", "Person")}, "MATCH (p:Persn) RETURN p"),
            "MATCH (p:Person) RETURN p");
}

TEST(FixedQuery, CorrectionsAreDedupedThenSortedLongestFirstStably) {
  auto corrections = corrections_of({key("ab", "x"), label("Abc", "Abd"), key("cd", "y"),
                                     key("ab", "x"), key("ab", "z")});
  ASSERT_TRUE(corrections);
  std::vector<std::string> order;
  for (const Correction& c : *corrections) order.push_back(c.original + ">" + c.replacement);
  EXPECT_EQ(order, (std::vector<std::string>{":Abc>:Abd", "ab>x", "cd>y", "ab>z"}));
}

TEST(FixedQuery, ManyDistinctCorrectionsInOneQuery) {
  std::vector<ValidationDiagnostic> diagnostics;
  std::string query = "MATCH ";
  std::string expected = "MATCH ";
  for (int i = 0; i < 3000; ++i) {
    std::string n = std::to_string(i);
    diagnostics.push_back(label("L" + n, "M" + n));
    diagnostics.push_back(key("k" + n, "p" + n));
    query += "(:L" + n + " {k" + n + ": k" + n + "}), ";
    expected += "(:M" + n + " {p" + n + ": k" + n + "}), ";
  }
  query += "(x) RETURN x";
  expected += "(x) RETURN x";
  EXPECT_EQ(fixed(diagnostics, query), expected);
}

}  // namespace
}  // namespace qarvex
