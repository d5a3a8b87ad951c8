#include "validator/result_json.hpp"

#include "schema/json_writer.hpp"

namespace qarvex {
namespace {

void write_texts(JsonWriter& json, std::string_view key, const std::vector<std::string>& texts) {
  json.key(key);
  json.begin_array();
  for (const std::string& text : texts) json.string(text);
  json.end_array();
}

void write_diagnostic(JsonWriter& json, const ValidationDiagnostic& diagnostic) {
  json.begin_object();
  json.key("code");
  json.string(code_text(diagnostic.code));
  json.key("code_name");
  json.string(code_name(diagnostic.code));
  json.key("message");
  json.string(diagnostic.message);
  if (diagnostic.position) {
    json.key("position_col");
    json.unsigned_integer(diagnostic.position->column);
    json.key("position_line");
    json.unsigned_integer(diagnostic.position->line);
  }
  json.key("severity");
  json.string(severity_text(diagnostic.severity));
  if (diagnostic.suggestion) {
    json.key("suggestion_description");
    json.string(diagnostic.suggestion->description);
    json.key("suggestion_original");
    json.string(diagnostic.suggestion->original);
    json.key("suggestion_replacement");
    json.string(diagnostic.suggestion->replacement);
  }
  json.end_object();
}

}  // namespace

std::string result_to_json(const ValidationResult& result) {
  JsonWriter json;
  json.begin_object();
  json.key("diagnostics");
  json.begin_array();
  for (const ValidationDiagnostic& diagnostic : result.diagnostics) write_diagnostic(json, diagnostic);
  json.end_array();
  write_texts(json, "errors", result.errors());
  json.key("fixed_query");
  if (result.fixed_query) {
    json.string(*result.fixed_query);
  } else {
    json.null();
  }
  json.key("is_valid");
  json.boolean(result.is_valid());
  write_texts(json, "semantic_errors", result.semantic_errors());
  write_texts(json, "syntax_errors", result.syntax_errors());
  write_texts(json, "warnings", result.warnings());
  json.end_object();
  return json.take();
}

}  // namespace qarvex
