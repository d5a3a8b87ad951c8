// Validates arbitrary bytes in each dialect against a small schema and checks what every result must hold:
// the lists agree with the diagnostics, a syntax error stands alone, and a fixed query exists
// only when every error carries a suggestion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "validator/validate_query.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

const qarvex::Schema& schema() {
  static const qarvex::Schema movies(
      {{"Person", {"name", "age", "born"}}, {"Movie", {"title", "released"}}, {"Genre", {}}},
      {{"ACTED_IN", {"Person", "Movie", {"role"}}}, {"KNOWS", {"Person", "Person", {}}}});
  return movies;
}

void check_result(std::string_view text, qarvex::Dialect dialect) {
  qarvex::ValidationResult result = qarvex::validate_query(schema(), text, dialect);
  require(result.errors().size() + result.warnings().size() == result.diagnostics.size());
  require(result.is_valid() == result.errors().empty());
  if (!result.syntax_errors().empty()) {
    require(result.diagnostics.size() == 1 && !result.fixed_query);
    require(result.diagnostics[0].code == qarvex::DiagnosticCode::ParseError);
    return;
  }
  require(result.errors() == result.semantic_errors());
  bool all_fixable = !result.errors().empty();
  for (const qarvex::ValidationDiagnostic& diagnostic : result.diagnostics) {
    require(!diagnostic.position);
    if (diagnostic.severity == qarvex::Severity::Error && !diagnostic.suggestion) all_fixable = false;
  }
  require(result.fixed_query.has_value() == all_fixable);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  check_result(text, qarvex::Dialect::core);
  check_result(text, qarvex::Dialect::neo4j);
  return 0;
}
