// End-to-end validation: the typical query against a mid-sized schema, a query with five
// misspellings (the cost of the suggestion search), and a whole batch on the worker pool.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "validator/batch.hpp"
#include "validator/validate_query.hpp"

namespace {

// 20 labels with 6 properties each and 30 relationship types, Person/Movie/ACTED_IN among them.
qarvex::Schema mid_schema() {
  qarvex::NameMap<qarvex::NameSet> nodes;
  qarvex::NameMap<qarvex::RelationshipType> relationships;
  nodes["Person"] = {"name", "born", "age", "email", "city", "id"};
  nodes["Movie"] = {"title", "released", "tagline", "budget", "rating", "id"};
  for (int i = 0; i < 18; ++i) {
    nodes["Label" + std::to_string(i)] = {"p0", "p1", "p2", "p3", "p4", "p5"};
  }
  relationships.insert_or_assign("ACTED_IN", qarvex::RelationshipType("Person", "Movie", {"roles"}));
  for (int i = 0; i < 29; ++i) {
    relationships.insert_or_assign(
        "TYPE_" + std::to_string(i),
        qarvex::RelationshipType("Label" + std::to_string(i % 18), "Person", {"since"}));
  }
  return qarvex::Schema(std::move(nodes), std::move(relationships));
}

const std::string kTypicalQuery =
    "MATCH (p:Person)-[r:ACTED_IN]->(m:Movie) WHERE m.released > 2000 AND p.born < 1970 "
    "RETURN p.name, m.title, r.roles ORDER BY m.released DESC LIMIT 10";

const std::string kMisspeltQuery =
    "MATCH (p:Persn)-[r:ACTD_IN]->(m:Movi) WHERE m.relesed > 2000 AND p.brn < 1970 "
    "RETURN p.name, m.title ORDER BY m.released DESC LIMIT 10";

void BM_ValidateTypical(benchmark::State& state) {
  qarvex::IndexedSchema schema(mid_schema());
  if (!qarvex::validate_query(schema.schema, schema.names, kTypicalQuery).is_valid()) {
    state.SkipWithError("the typical query is not valid");
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(qarvex::validate_query(schema.schema, schema.names, kTypicalQuery));
  }
}
BENCHMARK(BM_ValidateTypical)->Unit(benchmark::kMicrosecond);

void BM_ValidateFiveMisspellings(benchmark::State& state) {
  qarvex::IndexedSchema schema(mid_schema());
  for (auto _ : state) {
    benchmark::DoNotOptimize(qarvex::validate_query(schema.schema, schema.names, kMisspeltQuery));
  }
}
BENCHMARK(BM_ValidateFiveMisspellings)->Unit(benchmark::kMicrosecond);

void BM_ValidateBatch(benchmark::State& state) {
  qarvex::IndexedSchema schema(mid_schema());
  qarvex::TextList queries(
      std::vector<std::string>(static_cast<std::size_t>(state.range(0)), kTypicalQuery));
  for (auto _ : state) benchmark::DoNotOptimize(qarvex::validate_all(schema, queries));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ValidateBatch)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
