// Random Cypher queries that use only a schema's names. With a seed, the sequence of queries
// is fully determined by the seed, the schema and the sequence of calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "generator/building_blocks.hpp"
#include "parser/module_error.hpp"
#include "generator/query_types.hpp"
#include "generator/random.hpp"
#include "schema/schema.hpp"

namespace qarvex {

// The error for a type name that is not one of the supported types.
ModuleError unknown_query_type(std::string_view type_name);

class QueryGenerator {
 public:
  QueryGenerator(const Schema& schema, const Random& random)
      : schema_(schema), names_(schema_), random_(random) {}

  static QueryGenerator seeded(const Schema& schema, std::uint64_t seed) {
    return QueryGenerator(schema, Random::seeded(seed));
  }

  // Seeded from the operating system; none if its random source cannot be read.
  static std::optional<QueryGenerator> from_os(const Schema& schema);

  // The next query of the named type, or a Generator error for an unknown name. An unknown
  // name draws nothing.
  std::variant<std::string, ModuleError> generate(std::string_view type_name);

  // The next query of an already resolved type.
  std::string generate(const QueryType& type) {
    QueryDraws draws(names_, random_);
    return type.build(draws);
  }

  // With random().state(), all a generator needs to be rebuilt where it left off.
  const Schema& schema() const { return schema_; }
  const Random& random() const { return random_; }

 private:
  Schema schema_;
  SchemaNames names_;
  Random random_;
};

}  // namespace qarvex
