// The builder's share of turning text into a syntax tree: parse alone against parse + build
// (and + name walk) for the typical query, a long AND chain and the shared corpus.
#include <benchmark/benchmark.h>

#include <string>
#include <variant>
#include <vector>

#include "../tests/cpp/support/corpus_queries.hpp"
#include "parser/builder/build.hpp"
#include "parser/parse.hpp"
#include "parser/query_info.hpp"

namespace {

const std::string kTypicalQuery =
    "MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) WHERE m.released > 2000 AND p.born < 1970 "
    "RETURN p.name, m.title, r.roles ORDER BY m.released DESC LIMIT 10";

std::string and_chain(int terms) {
  std::string query = "MATCH (n) WHERE n.x0 = 0";
  for (int i = 1; i < terms; ++i) query += " AND n.x" + std::to_string(i) + " = " + std::to_string(i);
  return query + " RETURN n";
}

std::vector<std::string> parsed_corpus() {
  std::vector<std::string> queries;
  for (const char* file : qarvex::testing_support::kCorpusFiles) {
    for (std::string& query : qarvex::testing_support::read_corpus_queries(
             qarvex::testing_support::corpus_path(QARVEX_SOURCE_DIR, file))) {
      if (std::holds_alternative<qarvex::ParseTree>(qarvex::parse(qarvex::Rule::cypher, query))) {
        queries.push_back(std::move(query));
      }
    }
  }
  return queries;
}

enum class Stage { Parse, ParseBuild, ParseBuildWalk };

void run_stage(const std::string& query, Stage stage) {
  if (stage == Stage::Parse) {
    benchmark::DoNotOptimize(qarvex::parse(qarvex::Rule::cypher, query));
    return;
  }
  qarvex::StatementResult result = qarvex::parse_statement(query);
  if (stage == Stage::ParseBuildWalk) {
    benchmark::DoNotOptimize(qarvex::collect_query_info(std::get<qarvex::Query>(result)));
  }
  benchmark::DoNotOptimize(result);
}

void BM_Typical(benchmark::State& state) {
  auto stage = static_cast<Stage>(state.range(0));
  for (auto _ : state) run_stage(kTypicalQuery, stage);
}
BENCHMARK(BM_Typical)->ArgName("stage")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// The build alone, from a parse tree made once.
void BM_TypicalBuildOnly(benchmark::State& state) {
  qarvex::ParseOutcome outcome = qarvex::parse(qarvex::Rule::cypher, kTypicalQuery);
  qarvex::ParseNode root = *std::get<qarvex::ParseTree>(outcome).first_root();
  for (auto _ : state) benchmark::DoNotOptimize(qarvex::build_query(root));
}
BENCHMARK(BM_TypicalBuildOnly)->Unit(benchmark::kMicrosecond);

void BM_AndChain(benchmark::State& state) {
  std::string query = and_chain(static_cast<int>(state.range(1)));
  auto stage = static_cast<Stage>(state.range(0));
  for (auto _ : state) run_stage(query, stage);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * query.size()));
}
BENCHMARK(BM_AndChain)->ArgNames({"stage", "terms"})->ArgsProduct({{0, 1, 2}, {1000}})
    ->Unit(benchmark::kMillisecond);

void BM_Corpus(benchmark::State& state) {
  static const std::vector<std::string> queries = parsed_corpus();
  if (queries.empty()) {
    state.SkipWithError("no corpus under ../shared/corpus");
    return;
  }
  auto stage = static_cast<Stage>(state.range(0));
  for (auto _ : state) {
    for (const std::string& query : queries) run_stage(query, stage);
  }
  state.counters["queries"] = static_cast<double>(queries.size());
}
BENCHMARK(BM_Corpus)->ArgName("stage")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
