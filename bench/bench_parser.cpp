// Parse throughput: one typical language-model query, one long query of many clauses, and
// every query of the shared corpus when it is present.
#include <benchmark/benchmark.h>

#include <string>
#include <variant>
#include <vector>

#include "../tests/cpp/support/corpus_queries.hpp"
#include "parser/parse.hpp"

namespace {

// About 150 bytes: a relationship pattern, WHERE, RETURN with properties, ORDER BY, LIMIT.
const std::string kTypicalQuery =
    "MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) WHERE m.released > 2000 AND p.born < 1970 "
    "RETURN p.name, m.title, r.roles ORDER BY m.released DESC LIMIT 10";

std::string long_query(int clauses) {
  std::string query = "MATCH (n0:Person)";
  for (int i = 1; i < clauses; ++i) {
    std::string n = "n" + std::to_string(i);
    std::string previous = "n" + std::to_string(i - 1);
    query += "\nMATCH (" + n + ":Person {id: " + std::to_string(i) + "})-[:KNOWS]->(" +
             previous + ") WHERE " + n + ".age > 30 AND " + n + ".name <> 'x'";
    if (i % 50 == 0) query += "\nWITH *";
  }
  return query + "\nRETURN n0.name, count(*) AS total ORDER BY total DESC LIMIT 5";
}

bool parses(const std::string& query) {
  return std::holds_alternative<qarvex::ParseTree>(qarvex::parse(qarvex::Rule::cypher, query));
}

void BM_TypicalQuery(benchmark::State& state) {
  if (!parses(kTypicalQuery)) state.SkipWithError("the typical query does not parse");
  for (auto _ : state) {
    benchmark::DoNotOptimize(qarvex::parse(qarvex::Rule::cypher, kTypicalQuery));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTypicalQuery.size()));
}
BENCHMARK(BM_TypicalQuery)->Unit(benchmark::kMicrosecond);

void BM_TypicalSyntaxError(benchmark::State& state) {
  std::string query = kTypicalQuery + " RETRUN x";
  for (auto _ : state) {
    qarvex::ParseOutcome outcome = qarvex::parse(qarvex::Rule::cypher, query);
    const auto& failure = std::get<qarvex::ParseFailure>(outcome);
    benchmark::DoNotOptimize(qarvex::format_syntax_error(query, failure));
  }
}
BENCHMARK(BM_TypicalSyntaxError)->Unit(benchmark::kMicrosecond);

void BM_LongQuery(benchmark::State& state) {
  std::string query = long_query(static_cast<int>(state.range(0)));
  if (!parses(query)) state.SkipWithError("the long query does not parse");
  for (auto _ : state) {
    benchmark::DoNotOptimize(qarvex::parse(qarvex::Rule::cypher, query));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * query.size()));
  state.counters["bytes"] = static_cast<double>(query.size());
}
BENCHMARK(BM_LongQuery)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_Corpus(benchmark::State& state) {
  std::vector<std::string> queries;
  for (const char* file : qarvex::testing_support::kCorpusFiles) {
    for (std::string& query :
         qarvex::testing_support::read_corpus_queries(
             qarvex::testing_support::corpus_path(QARVEX_SOURCE_DIR, file))) {
      queries.push_back(std::move(query));
    }
  }
  if (queries.empty()) {
    state.SkipWithError("no corpus under ../shared/corpus");
    return;
  }
  std::size_t bytes = 0;
  for (const std::string& query : queries) bytes += query.size();
  for (auto _ : state) {
    for (const std::string& query : queries) {
      benchmark::DoNotOptimize(qarvex::parse(qarvex::Rule::cypher, query));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["queries"] = static_cast<double>(queries.size());
}
BENCHMARK(BM_Corpus)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
