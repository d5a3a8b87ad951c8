#include "generator/query_generator.hpp"

namespace qarvex {

ModuleError unknown_query_type(std::string_view type_name) {
  return ModuleError{ModuleErrorKind::Generator, "Unknown query type: " + std::string(type_name)};
}

std::optional<QueryGenerator> QueryGenerator::from_os(const Schema& schema) {
  std::optional<Random> random = Random::from_os();
  if (!random) return std::nullopt;
  return QueryGenerator(schema, *random);
}

std::variant<std::string, ModuleError> QueryGenerator::generate(std::string_view type_name) {
  const QueryType* type = find_query_type(type_name);
  if (type == nullptr) return unknown_query_type(type_name);
  return generate(*type);
}

}  // namespace qarvex
