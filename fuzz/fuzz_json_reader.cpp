// Feeds arbitrary bytes to the schema JSON reader and to the plain value reader. Beyond "no
// crash, no hang", it checks two properties: an accepted document round-trips through the
// writer to the same text, and every error lies within the input and has a description.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "base/json_reader.hpp"
#include "schema/schema_json.hpp"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void check_schema_reader(std::string_view text) {
  auto result = qarvex::schema_from_json(text);
  if (auto* error = std::get_if<qarvex::SchemaJsonError>(&result)) {
    check(!error->description.empty());
    check(error->line >= 1 && error->line <= text.size() + 1);
    check(error->column >= 1 && error->column <= text.size() + 1);
    return;
  }
  std::string written = qarvex::schema_to_json(std::get<qarvex::Schema>(result));
  auto reread = qarvex::schema_from_json(written);
  check(std::holds_alternative<qarvex::Schema>(reread));
  check(qarvex::schema_to_json(std::get<qarvex::Schema>(reread)) == written);
}

void check_value_reader(std::string_view text) {
  qarvex::JsonReader reader(text);
  bool accepted = reader.skip_value() && reader.finish();
  check(accepted != reader.failed());
  if (reader.failed()) check(reader.error().offset <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  check_schema_reader(text);
  check_value_reader(text);
  return 0;
}
