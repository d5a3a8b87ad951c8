// Fuzzes the generator with arbitrary schemas and type names. The input is a seed (its first
// eight bytes) and then lines: "@TYPE SOURCE TARGET key..." declares a relationship type (a
// repeated TYPE gains one more endpoint pair), any other line "LABEL key..." a label. The last
// line is also tried as a query type name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "generator/query_generator.hpp"

namespace {

constexpr std::size_t max_lines = 64;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t end = text.find(separator);
    parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

qarvex::NameSet keys_of(const std::vector<std::string_view>& words, std::size_t first) {
  qarvex::NameSet keys;
  for (std::size_t i = first; i < words.size(); ++i) keys.emplace(words[i]);
  return keys;
}

qarvex::Schema schema_of(const std::vector<std::string_view>& lines) {
  qarvex::NameMap<qarvex::NameSet> nodes;
  qarvex::NameMap<qarvex::RelationshipType> relationships;
  for (std::string_view line : lines) {
    if (!line.empty() && line.front() == '@') {
      std::vector<std::string_view> words = split(line.substr(1), ' ');
      words.resize(std::max<std::size_t>(words.size(), 3));
      qarvex::EndpointEntry entry{std::string(words[1]), std::string(words[2]), keys_of(words, 3)};
      auto held = relationships.find(words[0]);
      if (held == relationships.end()) {
        relationships.emplace(std::string(words[0]), qarvex::RelationshipType(std::move(entry)));
      } else {
        held->second.add(std::move(entry));
      }
    } else {
      std::vector<std::string_view> words = split(line, ' ');
      nodes.insert_or_assign(std::string(words[0]), keys_of(words, 1));
    }
  }
  return qarvex::Schema(std::move(nodes), std::move(relationships));
}

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint64_t seed = 0;
  const std::size_t seed_size = std::min(size, sizeof seed);
  std::memcpy(&seed, data, seed_size);
  std::string_view text(reinterpret_cast<const char*>(data) + seed_size, size - seed_size);
  std::vector<std::string_view> lines = split(text, '\n');
  if (lines.size() > max_lines) lines.resize(max_lines);
  const qarvex::Schema schema = schema_of(lines);

  qarvex::QueryGenerator generator = qarvex::QueryGenerator::seeded(schema, seed);
  qarvex::QueryGenerator twin = qarvex::QueryGenerator::seeded(schema, seed);
  for (int round = 0; round < 4; ++round) {
    for (const qarvex::QueryType& type : qarvex::query_types()) {
      const std::string query = generator.generate(type);
      require(!query.empty());
      require(query == twin.generate(type));
    }
  }
  const qarvex::RandomState before = generator.random().state();
  auto result = generator.generate(lines.back());
  if (qarvex::find_query_type(lines.back()) == nullptr) {
    require(std::holds_alternative<qarvex::ModuleError>(result));
    require(generator.random().state() == before);
  }
  return 0;
}
