// Writing and reading the JSON form of a schema with 1 000 labels and 1 000 relationship
// types, each with a few property keys; throughput is reported in bytes of JSON text.
#include <benchmark/benchmark.h>

#include <string>
#include <variant>

#include "base/json_reader.hpp"
#include "schema/schema_json.hpp"

namespace {

qarvex::Schema large_schema() {
  qarvex::NameMap<qarvex::NameSet> nodes;
  qarvex::NameMap<qarvex::RelationshipType> relationships;
  for (int i = 0; i < 1000; ++i) {
    std::string label = "Label_" + std::to_string(i);
    nodes[label] = {"name", "created_at", "id_" + std::to_string(i), "score", "description"};
    std::string target = "Label_" + std::to_string((i * 7) % 1000);
    relationships.insert_or_assign("REL_TYPE_" + std::to_string(i),
                                   qarvex::RelationshipType(label, target, {"since", "weight"}));
  }
  return qarvex::Schema(std::move(nodes), std::move(relationships));
}

void BM_SchemaToJson(benchmark::State& state) {
  qarvex::Schema schema = large_schema();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = qarvex::schema_to_json(schema);
    bytes += text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_SchemaToJson);

void BM_SchemaFromJson(benchmark::State& state) {
  std::string text = qarvex::schema_to_json(large_schema());
  for (auto _ : state) {
    auto result = qarvex::schema_from_json(text);
    if (!std::holds_alternative<qarvex::Schema>(result)) state.SkipWithError("rejected");
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SchemaFromJson);

// The same document read as plain JSON and discarded: the reader's share of from_json.
void BM_CheckSchemaDocumentSyntax(benchmark::State& state) {
  std::string text = qarvex::schema_to_json(large_schema());
  for (auto _ : state) {
    qarvex::JsonReader reader(text);
    bool accepted = reader.skip_value() && reader.finish();
    benchmark::DoNotOptimize(accepted);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CheckSchemaDocumentSyntax);

// One long string member that is skipped: the raw speed of the string scanner.
void BM_SkipLongString(benchmark::State& state) {
  std::string text = R"({"x":")" + std::string(16u << 20, 'a') + R"(","nodes":{},"relationships":{}})";
  for (auto _ : state) {
    auto result = qarvex::schema_from_json(text);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SkipLongString);

}  // namespace

BENCHMARK_MAIN();
