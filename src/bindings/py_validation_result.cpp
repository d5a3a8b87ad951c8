// The Python classes ValidationResult and ValidationDiagnostic: read-only views of one
// validation's records, made only by the validator.
#include "bindings/py_validation_result.hpp"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
#include "bindings/pickle_payload.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/repr.hpp"
#include "validator/result_json.hpp"

namespace qarvex::py {
namespace {

// --- ValidationDiagnostic ---------------------------------------------------------------------

const ValidationDiagnostic& diagnostic_of(PyObject* self) {
  return value_of<ValidationDiagnostic>(self);
}

PyRef new_position_part(const ValidationDiagnostic& diagnostic, bool line) {
  if (!diagnostic.position) return PyRef::borrow(Py_None);
  return PyRef::steal(
      PyLong_FromSize_t(line ? diagnostic.position->line : diagnostic.position->column));
}

PyRef new_suggestion_part(const ValidationDiagnostic& diagnostic, std::string Suggestion::*part) {
  if (!diagnostic.suggestion) return PyRef::borrow(Py_None);
  return new_str((*diagnostic.suggestion).*part);
}

// The nine fields in their order, each as a new Python object.
struct DiagnosticField {
  const char* name;
  const char* doc;
  PyRef (*make)(const ValidationDiagnostic&);
};

const DiagnosticField diagnostic_fields[] = {
    {"code", "Short error code (e.g. \"E201\").",
     [](const ValidationDiagnostic& d) { return new_str(code_text(d.code)); }},
    {"code_name", "Human-readable code name (e.g. \"UnknownNodeLabel\").",
     [](const ValidationDiagnostic& d) { return new_str(code_name(d.code)); }},
    {"severity", "\"error\" or \"warning\".",
     [](const ValidationDiagnostic& d) { return new_str(severity_text(d.severity)); }},
    {"message", "Full human-readable message.",
     [](const ValidationDiagnostic& d) { return new_str(d.message); }},
    {"suggestion_original", "Original text fragment to replace, or None.",
     [](const ValidationDiagnostic& d) { return new_suggestion_part(d, &Suggestion::original); }},
    {"suggestion_replacement", "Suggested replacement text, or None.",
     [](const ValidationDiagnostic& d) {
       return new_suggestion_part(d, &Suggestion::replacement);
     }},
    {"suggestion_description", "Human-readable description of the suggestion, or None.",
     [](const ValidationDiagnostic& d) {
       return new_suggestion_part(d, &Suggestion::description);
     }},
    {"position_line", "1-based line number (parse errors only), or None.",
     [](const ValidationDiagnostic& d) { return new_position_part(d, true); }},
    {"position_col", "1-based column number (parse errors only), or None.",
     [](const ValidationDiagnostic& d) { return new_position_part(d, false); }},
};
constexpr std::size_t diagnostic_field_count = std::size(diagnostic_fields);

PyObject* get_diagnostic_field(PyObject* self, void* closure) {
  const auto* field = static_cast<const DiagnosticField*>(closure);
  return guarded([&] { return field->make(diagnostic_of(self)); });
}

// A dict of `fields` in order, each value made from `value` and set before the next is made.
template <typename Value, typename Field, std::size_t count>
PyRef fields_dict(const Value& value, const Field (&fields)[count]) {
  PyRef dict = PyRef::steal(PyDict_New());
  if (!dict) return dict;
  for (const Field& field : fields) {
    PyRef item = field.make(value);
    if (!item || PyDict_SetItemString(dict.get(), field.name, item.get()) < 0) return PyRef();
  }
  return dict;
}

PyRef diagnostic_dict(const ValidationDiagnostic& diagnostic) {
  return fields_dict(diagnostic, diagnostic_fields);
}

PyObject* diagnostic_to_dict(PyObject* self, PyObject*) {
  return guarded([&] { return diagnostic_dict(diagnostic_of(self)); });
}

PyObject* diagnostic_repr(PyObject* self) {
  return guarded([&] {
    const ValidationDiagnostic& diagnostic = diagnostic_of(self);
    std::string text = "ValidationDiagnostic(code='";
    text += code_text(diagnostic.code);
    text += "', severity='";
    text += severity_text(diagnostic.severity);
    text += "', message='";
    text += diagnostic.message;
    text += '\'';
    if (diagnostic.suggestion) {
      text += ", suggestion='";
      text += diagnostic.suggestion->replacement;
      text += '\'';
    }
    text += ')';
    return new_str(text);
  });
}

// --- pickling ------------------------------------------------------------------------------
//
// A diagnostic travels as (code, message, suggestion, position): suggestion is None or
// (original, replacement, description), position None or (line, column). The severity follows
// from the code. A result travels as (diagnostics, fixed_query), its diagnostics in that form.

PyRef suggestion_payload(const std::optional<Suggestion>& suggestion) {
  if (!suggestion) return PyRef::borrow(Py_None);
  return PyRef::steal(Py_BuildValue("(s#s#s#)", suggestion->original.data(),
                                    static_cast<Py_ssize_t>(suggestion->original.size()),
                                    suggestion->replacement.data(),
                                    static_cast<Py_ssize_t>(suggestion->replacement.size()),
                                    suggestion->description.data(),
                                    static_cast<Py_ssize_t>(suggestion->description.size())));
}

PyRef position_payload(const std::optional<TextPosition>& position) {
  if (!position) return PyRef::borrow(Py_None);
  return PyRef::steal(Py_BuildValue("(nn)", static_cast<Py_ssize_t>(position->line),
                                    static_cast<Py_ssize_t>(position->column)));
}

PyRef diagnostic_payload(const ValidationDiagnostic& diagnostic) {
  PyRef code = new_str(code_text(diagnostic.code));
  PyRef message = new_str(diagnostic.message);
  PyRef suggestion = suggestion_payload(diagnostic.suggestion);
  PyRef position = position_payload(diagnostic.position);
  if (!code || !message || !suggestion || !position) return PyRef();
  return PyRef::steal(
      PyTuple_Pack(4, code.get(), message.get(), suggestion.get(), position.get()));
}

std::optional<std::optional<Suggestion>> suggestion_from(const PayloadReader& reader,
                                                         PyObject* object) {
  if (object == Py_None) return std::optional<Suggestion>();
  auto items = reader.tuple(object, "suggestion", 3);
  if (!items) return std::nullopt;
  std::optional<std::string_view> parts[3];
  for (std::size_t i = 0; i < 3; ++i) {
    parts[i] = reader.text((*items)[i], "suggestion");
    if (!parts[i]) return std::nullopt;
  }
  return Suggestion{std::string(*parts[0]), std::string(*parts[1]), std::string(*parts[2])};
}

std::optional<std::optional<TextPosition>> position_from(const PayloadReader& reader,
                                                         PyObject* object) {
  if (object == Py_None) return std::optional<TextPosition>();
  auto items = reader.tuple(object, "position", 2);
  if (!items) return std::nullopt;
  std::optional<std::uint64_t> line = reader.unsigned_value((*items)[0], "position line");
  if (!line) return std::nullopt;
  std::optional<std::uint64_t> column = reader.unsigned_value((*items)[1], "position column");
  if (!column) return std::nullopt;
  if (*line == 0 || *column == 0) {
    reader.fail("position", "must count lines and columns from 1");
    return std::nullopt;
  }
  return TextPosition{static_cast<std::size_t>(*line), static_cast<std::size_t>(*column)};
}

// The diagnostic the four items describe, holding to what the validator ever makes: only
// codes that name something carry a suggestion, only a parse error carries a position.
std::optional<ValidationDiagnostic> diagnostic_from(const PayloadReader& reader,
                                                    std::span<PyObject* const> items) {
  std::optional<std::string_view> text = reader.text(items[0], "code");
  if (!text) return std::nullopt;
  std::optional<DiagnosticCode> code = code_from_text(*text);
  if (!code) {
    reader.fail("code", "is not a diagnostic code: '" + std::string(*text) + "'");
    return std::nullopt;
  }
  std::optional<std::string_view> message = reader.text(items[1], "message");
  if (!message) return std::nullopt;
  auto suggestion = suggestion_from(reader, items[2]);
  if (!suggestion) return std::nullopt;
  auto position = position_from(reader, items[3]);
  if (!position) return std::nullopt;
  if (*suggestion && code_fix_kind(*code) == FixKind::None) {
    reader.fail("suggestion", "is not possible for " + std::string(*text));
    return std::nullopt;
  }
  if (*position && *code != DiagnosticCode::ParseError) {
    reader.fail("position", "is not possible for " + std::string(*text));
    return std::nullopt;
  }
  return ValidationDiagnostic{*code, code_severity(*code), std::string(*message),
                              std::move(*suggestion), *position};
}

PyObject* diagnostic_reduce(PyObject* self, PyObject*) {
  return guarded([&]() -> PyRef {
    PyRef payload = diagnostic_payload(diagnostic_of(self));
    if (!payload) return payload;
    return PyRef::steal(
        PyTuple_Pack(2, restore_function(ClassId::ValidationDiagnostic), payload.get()));
  });
}

PyObject* restore_diagnostic(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                             PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 4> names{"code", "message", "suggestion",
                                                      "position"};
    static constexpr Signature signature{"_restore_validation_diagnostic()", names, 4};
    PyObject* values[4];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    std::optional<ValidationDiagnostic> diagnostic =
        diagnostic_from(PayloadReader(ClassId::ValidationDiagnostic), values);
    if (!diagnostic) return PyRef();
    return new_instance(ClassId::ValidationDiagnostic, std::move(*diagnostic));
  });
}

// The getters come from the field table, so names, docs and order are stated once.
std::array<PyGetSetDef, diagnostic_field_count + 1> diagnostic_getters = [] {
  std::array<PyGetSetDef, diagnostic_field_count + 1> getters{};
  for (std::size_t i = 0; i < diagnostic_field_count; ++i) {
    const DiagnosticField& field = diagnostic_fields[i];
    getters[i] = {field.name, get_diagnostic_field, nullptr, field.doc,
                  const_cast<DiagnosticField*>(&field)};
  }
  return getters;
}();

PyMethodDef diagnostic_methods[] = {
    {"__reduce__", diagnostic_reduce, METH_NOARGS, nullptr},
    {"to_dict", diagnostic_to_dict, METH_NOARGS, "to_dict($self)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

auto diagnostic_slots = class_slots<ValidationDiagnostic>(
    slot(Py_tp_repr, diagnostic_repr), slot(Py_tp_getset, diagnostic_getters.data()),
    slot(Py_tp_methods, diagnostic_methods));

// --- ValidationResult -------------------------------------------------------------------------

const ValidationResult& result_of(PyObject* self) { return value_of<HeldResult>(self).result; }

template <std::vector<std::string> (ValidationResult::*texts)() const>
PyObject* get_texts(PyObject* self, void*) {
  return guarded([&] { return new_str_list((result_of(self).*texts)()); });
}

PyObject* get_is_valid(PyObject* self, void*) {
  return new_bool(result_of(self).is_valid()).release();
}

PyObject* get_fixed_query(PyObject* self, void*) {
  return guarded([&] { return new_optional_str(result_of(self).fixed_query); });
}

PyRef new_diagnostic(const ValidationDiagnostic& diagnostic) {
  return new_instance(ClassId::ValidationDiagnostic, diagnostic);
}

PyObject* get_diagnostics(PyObject* self, void*) {
  return guarded([&] { return new_list(result_of(self).diagnostics, new_diagnostic); });
}

// The members of to_dict in their order, each as a new Python object.
struct ResultMember {
  const char* name;
  PyRef (*make)(const ValidationResult&);
};

const ResultMember result_members[] = {
    {"is_valid", [](const ValidationResult& r) { return new_bool(r.is_valid()); }},
    {"errors", [](const ValidationResult& r) { return new_str_list(r.errors()); }},
    {"syntax_errors", [](const ValidationResult& r) { return new_str_list(r.syntax_errors()); }},
    {"semantic_errors", [](const ValidationResult& r) { return new_str_list(r.semantic_errors()); }},
    {"warnings", [](const ValidationResult& r) { return new_str_list(r.warnings()); }},
    {"fixed_query", [](const ValidationResult& r) { return new_optional_str(r.fixed_query); }},
    {"diagnostics",
     [](const ValidationResult& r) { return new_list(r.diagnostics, diagnostic_dict); }},
};

PyObject* result_to_dict(PyObject* self, PyObject*) {
  return guarded([&] { return fields_dict(result_of(self), result_members); });
}

PyObject* result_to_json_method(PyObject* self, PyObject*) {
  return guarded([&] { return new_str(result_to_json(result_of(self))); });
}

PyObject* result_repr(PyObject* self) {
  return guarded([&] {
    const ValidationResult& result = result_of(self);
    std::string text = "ValidationResult(is_valid=";
    text += result.is_valid() ? "true" : "false";
    text += ", errors=";
    append_quoted_list(text, result.errors());
    text += ')';
    return new_str(text);
  });
}

int result_bool(PyObject* self) { return result_of(self).is_valid() ? 1 : 0; }

Py_ssize_t result_length(PyObject* self) {
  return static_cast<Py_ssize_t>(result_of(self).errors().size());
}

PyObject* result_reduce(PyObject* self, PyObject*) {
  return guarded([&] {
    const ValidationResult& result = result_of(self);
    const auto count = static_cast<Py_ssize_t>(result.diagnostics.size());
    PyRef diagnostics = PyRef::steal(PyTuple_New(count));
    if (!diagnostics) return PyRef();
    for (Py_ssize_t i = 0; i < count; ++i) {
      PyRef payload = diagnostic_payload(result.diagnostics[static_cast<std::size_t>(i)]);
      if (!payload) return PyRef();
      PyTuple_SET_ITEM(diagnostics.get(), i, payload.release());
    }
    return reduce_to(ClassId::ValidationResult, diagnostics,
                     new_optional_str(result.fixed_query));
  });
}

std::optional<ValidationResult> result_from(PyObject* diagnostics, PyObject* fixed_query) {
  const PayloadReader reader(ClassId::ValidationResult);
  auto items = reader.tuple(diagnostics, "diagnostics");
  if (!items) return std::nullopt;
  ValidationResult result;
  result.diagnostics.reserve(items->size());
  for (PyObject* item : *items) {
    auto fields = reader.tuple(item, "each diagnostic", 4);
    if (!fields) return std::nullopt;
    std::optional<ValidationDiagnostic> diagnostic = diagnostic_from(reader, *fields);
    if (!diagnostic) return std::nullopt;
    result.diagnostics.push_back(std::move(*diagnostic));
  }
  auto fixed = reader.optional_text(fixed_query, "fixed_query");
  if (!fixed) return std::nullopt;
  result.fixed_query = std::move(*fixed);
  return result;
}

PyObject* restore_result(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 2> names{"diagnostics", "fixed_query"};
    static constexpr Signature signature{"_restore_validation_result()", names, 2};
    PyObject* values[2];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    std::optional<ValidationResult> result = result_from(values[0], values[1]);
    return result ? new_validation_result(std::move(*result)) : PyRef();
  });
}

PyGetSetDef result_getters[] = {
    {"is_valid", get_is_valid, nullptr, nullptr, nullptr},
    {"errors", get_texts<&ValidationResult::errors>, nullptr,
     "All errors (syntax + semantic) combined.", nullptr},
    {"syntax_errors", get_texts<&ValidationResult::syntax_errors>, nullptr,
     "Parse/syntax errors only.", nullptr},
    {"semantic_errors", get_texts<&ValidationResult::semantic_errors>, nullptr,
     "Schema-level semantic errors only.", nullptr},
    {"warnings", get_texts<&ValidationResult::warnings>, nullptr,
     "Advisory warnings (not errors \xe2\x80\x94 query still runs, but may be slow or "
     "incorrect).",
     nullptr},
    {"fixed_query", get_fixed_query, nullptr,
     "Auto-corrected query when all errors are fixable, or None.", nullptr},
    {"diagnostics", get_diagnostics, nullptr,
     "Structured diagnostics with error codes, suggestions, and positions.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef result_methods[] = {
    {"__reduce__", result_reduce, METH_NOARGS, nullptr},
    {"to_dict", result_to_dict, METH_NOARGS,
     "to_dict($self)\n--\n\nReturn the result as a plain Python dict."},
    {"to_json", result_to_json_method, METH_NOARGS,
     "to_json($self)\n--\n\nReturn the result as a compact JSON string."},
    {nullptr, nullptr, 0, nullptr},
};

auto result_slots = class_slots<HeldResult>(
    slot(Py_tp_repr, result_repr), slot(Py_nb_bool, result_bool),
    slot(Py_sq_length, result_length), slot(Py_tp_getset, result_getters),
    slot(Py_tp_methods, result_methods));

}  // namespace

PyType_Spec validation_diagnostic_spec = class_spec<ValidationDiagnostic>(
    "builtins.ValidationDiagnostic", class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    diagnostic_slots);

PyType_Spec validation_result_spec = class_spec<HeldResult>(
    "builtins.ValidationResult", class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION, result_slots);

PyMethodDef restore_validation_diagnostic_def = {
    "_restore_validation_diagnostic", as_method(restore_diagnostic), METH_FASTCALL | METH_KEYWORDS,
    "_restore_validation_diagnostic(code, message, suggestion, position)\n--\n\n"
    "Rebuild a pickled ValidationDiagnostic from its fields."};

PyMethodDef restore_validation_result_def = {
    "_restore_validation_result", as_method(restore_result), METH_FASTCALL | METH_KEYWORDS,
    "_restore_validation_result(diagnostics, fixed_query)\n--\n\n"
    "Rebuild a pickled ValidationResult from its diagnostics and fixed query."};

PyRef new_validation_result(ValidationResult result,
                            std::shared_ptr<const FreeMemoryOnRelease> batch_memory) {
  return new_instance(ClassId::ValidationResult,
                      HeldResult{std::move(batch_memory), std::move(result)});
}

}  // namespace qarvex::py
