// The validator's text helpers and the worker pool: did-you-mean search, lower-casing, the
// fixed query over real queries, and the cost of a batch on the pool.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "parser/builder/build.hpp"
#include "validator/fixed_query.hpp"
#include "validator/suggestions.hpp"
#include "validator/unicode_lower.hpp"
#include "validator/worker_pool.hpp"

namespace {

using namespace qarvex;

std::vector<std::string> schema_like_names() {
  std::vector<std::string> names;
  for (std::string stem : {"Person", "Movie", "Genre", "Company", "Product", "Order", "Review",
                           "Customer", "Supplier", "Category", "Employee", "Territory"}) {
    for (std::string suffix : {"", "Item", "Detail", "Record"}) names.push_back(stem + suffix);
  }
  return names;
}

void BM_ClosestMatchHit(benchmark::State& state) {
  std::vector<std::string> names = schema_like_names();
  for (auto _ : state) benchmark::DoNotOptimize(closest_match("Custmer", names));
}
BENCHMARK(BM_ClosestMatchHit);

void BM_ClosestMatchMiss(benchmark::State& state) {
  std::vector<std::string> names = schema_like_names();
  for (auto _ : state) benchmark::DoNotOptimize(closest_match("Xqzwvy", names));
}
BENCHMARK(BM_ClosestMatchMiss);

void BM_UnicodeLowerAscii(benchmark::State& state) {
  std::string text = "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.name";
  for (auto _ : state) benchmark::DoNotOptimize(unicode_lower(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UnicodeLowerAscii);

void BM_UnicodeLowerGreek(benchmark::State& state) {
  std::string text = "ΟΔΥΣΣΕΥΣ ΚΑΙ ΠΗΝΕΛΟΠΗ ΣΤΗΝ ΙΘΑΚΗ Μόσχα İstanbul";
  for (auto _ : state) benchmark::DoNotOptimize(unicode_lower(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UnicodeLowerGreek);

// The "query" fields of the corpus, decoded just enough for benchmarking (\" \\ \n).
std::vector<std::string> corpus_queries(std::size_t limit) {
  std::ifstream in(QARVEX_SOURCE_DIR "/../shared/corpus/neo4j-text2cypher.jsonl");
  std::vector<std::string> queries;
  std::string line;
  const std::string key = "\"query\": \"";
  while (queries.size() < limit && std::getline(in, line)) {
    std::size_t at = line.find(key);
    if (at == std::string::npos) continue;
    std::string query;
    for (std::size_t i = at + key.size(); i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        ++i;
        query.push_back(line[i] == 'n' ? '\n' : line[i]);
      } else {
        query.push_back(line[i]);
      }
    }
    queries.push_back(std::move(query));
  }
  return queries;
}

void BM_FixedQueryOnCorpus(benchmark::State& state) {
  // The name sites come with the parse that validation makes anyway; only applying the
  // corrections at them is measured.
  std::vector<std::string> queries;
  std::vector<std::vector<NameSite>> sites;
  for (std::string& query : corpus_queries(2000)) {
    ValidationParse parsed = parse_for_validation(query);
    if (auto* ok = std::get_if<ParsedQuery>(&parsed)) {
      sites.push_back(std::move(ok->name_sites));
      queries.push_back(std::move(query));
    }
  }
  if (queries.empty()) {
    state.SkipWithError("corpus not found");
    return;
  }
  std::vector<ValidationDiagnostic> diagnostics{
      {DiagnosticCode::UnknownNodeLabel, Severity::Error, "m",
       Suggestion{":Persn", ":Person", "d"}, {}},
      {DiagnosticCode::UnknownNodePropertyOnVar, Severity::Error, "m",
       Suggestion{"name", "title", "d"}, {}}};
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < queries.size(); ++i) {
      benchmark::DoNotOptimize(fixed_query(diagnostics, queries[i], sites[i]));
      bytes += queries[i].size();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["queries"] = static_cast<double>(queries.size());
}
BENCHMARK(BM_FixedQueryOnCorpus)->Unit(benchmark::kMillisecond);

void BM_RunParallelTrivialBatch(benchmark::State& state) {
  std::vector<std::size_t> out(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::exception_ptr error = run_parallel(out.size(), [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) out[i] = i;
    });
    benchmark::DoNotOptimize(error);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RunParallelTrivialBatch)->Arg(1)->Arg(100)->Arg(10000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
