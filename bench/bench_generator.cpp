// Generation speed: batches of 100 000 queries of each type from a small movie schema.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "generator/query_generator.hpp"

namespace {

constexpr std::int64_t batch_size = 100'000;

qarvex::Schema movie_schema() {
  return qarvex::Schema(
      {{"Person", {"name", "born", "email", "city"}},
       {"Movie", {"title", "released", "tagline"}},
       {"Genre", {"name"}}},
      {{"ACTED_IN", {"Person", "Movie", {"roles"}}},
       {"DIRECTED", {"Person", "Movie", {}}},
       {"IN_GENRE", {"Movie", "Genre", {}}}});
}

void generate_batch(benchmark::State& state) {
  const qarvex::QueryType& type = qarvex::query_types()[static_cast<std::size_t>(state.range(0))];
  qarvex::QueryGenerator generator = qarvex::QueryGenerator::seeded(movie_schema(), 42);
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (std::int64_t i = 0; i < batch_size; ++i) {
      std::string query = generator.generate(type);
      bytes += query.size();
      benchmark::DoNotOptimize(query);
    }
  }
  state.SetItemsProcessed(state.iterations() * batch_size);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.SetLabel(std::string(type.name));
}

BENCHMARK(generate_batch)
    ->DenseRange(0, qarvex::query_type_count - 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
