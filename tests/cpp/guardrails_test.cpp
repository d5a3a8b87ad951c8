// The facts behind the guardrails (the clause list, procedure names, the allow-list) and the
// read-only and allow-list checks of the validation walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "parser/clause_list.hpp"
#include "parser/parser.hpp"
#include "parser/query_info.hpp"
#include "support/corpus_queries.hpp"
#include "validator/guardrails.hpp"
#include "validator/validate_query.hpp"

namespace qarvex {
namespace {

using Names = std::vector<std::string>;

Query parsed(std::string_view text, Dialect dialect) {
  StatementResult result = parse_statement(text, dialect);
  EXPECT_TRUE(std::holds_alternative<Query>(result)) << text;
  return std::holds_alternative<Query>(result) ? std::get<Query>(std::move(result)) : Query{};
}

// Each clause as its kind's name, a call followed by the procedure's name.
Names clause_names(const Query& query) {
  Names names;
  for (const ClauseFact& clause : clauses_of(query)) {
    std::string name(clause_info(clause.kind).name);
    if (clause.call != nullptr) name += " " + procedure_name(*clause.call);
    names.push_back(std::move(name));
  }
  return names;
}

TEST(ClauseList, EveryClauseInTheOrderOfTheText) {
  Query query = parsed(
      "MATCH (a) WHERE EXISTS { MATCH (b) CALL p.q() } "
      "CALL r.s(COUNT { CALL t.u() YIELD y RETURN y }) YIELD x "
      "CREATE (c {v: COLLECT { UNWIND [1] AS i RETURN i }}) WITH a "
      "OPTIONAL MATCH (a)-[:R {w: COUNT { CALL v.w() YIELD z RETURN z }}]->() "
      "MERGE (d) ON MATCH SET d.x = COUNT { MATCH (e) SET e.y = 1 RETURN e } "
      "FOREACH (k IN [1] | REMOVE a.k NODETACH DELETE a) "
      "RETURN a UNION CALL { MATCH (f) DETACH DELETE f } RETURN 1 AS a",
      Dialect::neo4j);
  EXPECT_EQ(clause_names(query),
            (Names{"MATCH", "MATCH", "CALL p.q", "CALL r.s", "CALL t.u", "CREATE", "UNWIND",
                   "OPTIONAL MATCH", "CALL v.w", "MERGE", "MATCH", "SET", "FOREACH", "REMOVE",
                   "NODETACH DELETE", "CALL", "MATCH", "DETACH DELETE"}));
}

TEST(ClauseList, StandaloneCallAndItsArguments) {
  ProcedureCall call;
  call.name = "db.labels";
  Query inner = parsed("MATCH (n) CREATE (m) RETURN m", Dialect::core);
  call.arguments.push_back(expr::CountSubquery{
      Box<RegularQuery>(std::get<RegularQuery>(std::move(inner.node)))});
  Query query{std::move(call)};
  EXPECT_EQ(clause_names(query), (Names{"CALL db.labels", "MATCH", "CREATE"}));
  QueryNames facts = collect_query_info(query);
  EXPECT_TRUE(facts.updates);
  EXPECT_EQ(facts.procedures, Names{"db.labels"});
}

TEST(ClauseList, DeleteIsNamedAsWrittenInCanonicalForm) {
  struct Case {
    const char* query;
    Dialect dialect;
    const char* name;
  };
  for (const Case& test : {Case{"MATCH (n) delete n", Dialect::core, "DELETE"},
                           Case{"MATCH (n) Detach\n/* why */ DELETE n", Dialect::core,
                                "DETACH DELETE"},
                           Case{"MATCH (n) detach delete n", Dialect::neo4j, "DETACH DELETE"},
                           Case{"MATCH (n) nodetach // plain\n delete n", Dialect::neo4j,
                                "NODETACH DELETE"}}) {
    EXPECT_EQ(clause_names(parsed(test.query, test.dialect)), (Names{"MATCH", test.name}))
        << test.query;
  }
}

TEST(ProcedureName, BackticksOnlyWhereAPartNeedsThem) {
  const std::pair<const char*, const char*> cases[] = {
      {"db.labels", "db.labels"},       {"`db`.`labels`", "db.labels"},
      {"`my.proc`", "`my.proc`"},       {"a.`b c`.d", "a.`b c`.d"},
      {"`a``b`.c", "`a``b`.c"},         {"`_x1`", "_x1"},
      {"`1x`.y", "`1x`.y"},             {"ünï.códe", "ünï.códe"},
  };
  for (const auto& [written, name] : cases) {
    ProcedureCall call;
    call.name = written;
    EXPECT_EQ(procedure_name(call), name) << written;
  }
}

TEST(ProcedureAllowList, NamesAndNamespaces) {
  ProcedureAllowList allowed({"db.*", "apoc.meta.data", "db.*", "x.y.*"});
  EXPECT_EQ(allowed.entries(), (Names{"apoc.meta.data", "db.*", "x.y.*"}));
  for (const char* name : {"db.labels", "db.index.fulltext.queryNodes", "apoc.meta.data",
                           "x.y.z", "x.y.z.w"}) {
    EXPECT_TRUE(allowed.allows(name)) << name;
  }
  for (const char* name : {"db", "dbms.listQueries", "DB.labels", "apoc.meta.dataX",
                           "apoc.meta", "x.y", "x.yz.w", ""}) {
    EXPECT_FALSE(allowed.allows(name)) << name;
  }
  EXPECT_FALSE(ProcedureAllowList({}).allows("db.labels"));
}

TEST(ProcedureAllowList, EntryProblems) {
  for (const char* usable : {"db.labels", "db.*", "a.b.*", "x"}) {
    EXPECT_EQ(allow_list_entry_problem(usable), std::nullopt) << usable;
  }
  EXPECT_EQ(allow_list_entry_problem(""), "an empty procedure name");
  for (const char* bad : {"*", ".*", "db*", "a.*.b", "*.x", "db.**"}) {
    EXPECT_TRUE(allow_list_entry_problem(bad).has_value()) << bad;
  }
}

std::vector<std::string> messages(const ValidationResult& result, DiagnosticCode code) {
  std::vector<std::string> found;
  for (const ValidationDiagnostic& diagnostic : result.diagnostics) {
    if (diagnostic.code == code) found.push_back(diagnostic.message);
  }
  return found;
}

TEST(GuardrailChecks, OnlyWhenGiven) {
  const char* query = "MATCH (n) CALL db.labels() YIELD label SET n.x = label";
  Guardrails both{true, ProcedureAllowList({})};
  for (Dialect dialect : {Dialect::core, Dialect::neo4j}) {
    ValidationResult plain = validate_query(Schema(), query, dialect);
    EXPECT_TRUE(plain.is_valid());
    ValidationResult guarded = validate_query(Schema(), SchemaNames(Schema()), query, dialect, both);
    EXPECT_EQ(guarded.errors(), (Names{"Procedure db.labels is not allowed",
                                       "Clause SET is not allowed in read-only mode"}));
    EXPECT_FALSE(guarded.fixed_query);
  }
}

// Every refused clause and every call is reported once, wherever it stands: the walk and the
// places it does not enter together reach as much as the clause list does.
TEST(GuardrailChecks, ReportEveryClauseOfTheCorpus) {
  using namespace testing_support;
  Guardrails refuse_all{true, ProcedureAllowList({})};
  std::size_t checked = 0;
  for (const char* file : kCorpusFiles) {
    for (const std::string& query : read_corpus_queries(corpus_path(QARVEX_SOURCE_DIR, file))) {
      for (Dialect dialect : {Dialect::core, Dialect::neo4j}) {
        StatementResult statement = parse_statement(query, dialect);
        if (!std::holds_alternative<Query>(statement)) continue;
        std::size_t refused = 0;
        std::size_t calls = 0;
        for (const ClauseFact& clause : clauses_of(std::get<Query>(statement))) {
          refused += clause_info(clause.kind).refused_when_read_only ? 1 : 0;
          calls += clause.call != nullptr ? 1 : 0;
        }
        ValidationResult result =
            validate_query(Schema(), SchemaNames(Schema()), query, dialect, refuse_all);
        if (!result.syntax_errors().empty()) continue;
        EXPECT_EQ(messages(result, DiagnosticCode::ClauseNotAllowed).size(), refused) << query;
        EXPECT_EQ(messages(result, DiagnosticCode::ProcedureNotAllowed).size(), calls) << query;
        ++checked;
      }
    }
  }
  if (checked == 0) GTEST_SKIP() << "no corpus under ../shared/corpus";
}

}  // namespace
}  // namespace qarvex
