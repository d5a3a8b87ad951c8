// The Python classes ValidationResult and ValidationDiagnostic: read-only views of one
// validation's records, made only by the validator.
#include "bindings/py_validation_result.hpp"

#include <array>
#include <string>

#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
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
      PyLong_FromUnsignedLong(line ? diagnostic.position->line : diagnostic.position->column));
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

PyRef new_validation_result(ValidationResult result,
                            std::shared_ptr<const FreeMemoryOnRelease> batch_memory) {
  return new_instance(ClassId::ValidationResult,
                      HeldResult{std::move(batch_memory), std::move(result)});
}

}  // namespace qarvex::py
