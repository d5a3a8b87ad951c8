// The Python classes ValidationResult and ValidationDiagnostic: read-only views of one
// validation's records, made only by the validator.
#include "bindings/py_validation_result.hpp"

#include <new>
#include <string>

#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/repr.hpp"
#include "validator/result_json.hpp"

namespace qarvex::py {
namespace {

template <typename Value>
struct Holder {
  PyObject_HEAD
  Value value;
};

using ResultObject = Holder<ValidationResult>;
using DiagnosticObject = Holder<ValidationDiagnostic>;

template <typename Value>
const Value& value_of(PyObject* self) {
  return reinterpret_cast<Holder<Value>*>(self)->value;
}

template <typename Value>
PyObject* new_holder(PyTypeObject* type, Value value) {
  if (type == nullptr) return nullptr;
  PyObject* self = type->tp_alloc(type, 0);
  if (self == nullptr) return nullptr;
  new (&reinterpret_cast<Holder<Value>*>(self)->value) Value(std::move(value));
  return self;
}

template <typename Value>
void holder_dealloc(PyObject* self) {
  reinterpret_cast<Holder<Value>*>(self)->value.~Value();
  free_instance(self);
}

// --- ValidationDiagnostic ---------------------------------------------------------------------

const ValidationDiagnostic& diagnostic_of(PyObject* self) {
  return value_of<ValidationDiagnostic>(self);
}

PyObject* new_position_part(const ValidationDiagnostic& diagnostic, bool line) {
  if (!diagnostic.position) Py_RETURN_NONE;
  return PyLong_FromUnsignedLong(line ? diagnostic.position->line : diagnostic.position->column);
}

PyObject* new_suggestion_part(const ValidationDiagnostic& diagnostic,
                              std::string Suggestion::*part) {
  if (!diagnostic.suggestion) Py_RETURN_NONE;
  return new_str((*diagnostic.suggestion).*part);
}

// The nine fields in their order, each as a new Python object.
struct DiagnosticField {
  const char* name;
  const char* doc;
  PyObject* (*make)(const ValidationDiagnostic&);
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

PyObject* diagnostic_dict(const ValidationDiagnostic& diagnostic) {
  PyRef dict = PyRef::steal(PyDict_New());
  if (!dict) return nullptr;
  for (const DiagnosticField& field : diagnostic_fields) {
    PyRef value = PyRef::steal(field.make(diagnostic));
    if (!value || PyDict_SetItemString(dict.get(), field.name, value.get()) < 0) return nullptr;
  }
  return dict.release();
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

PyGetSetDef diagnostic_getters[diagnostic_field_count + 1] = {};

PyMethodDef diagnostic_methods[] = {
    {"to_dict", diagnostic_to_dict, METH_NOARGS, "to_dict($self)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot diagnostic_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(holder_dealloc<ValidationDiagnostic>)},
    {Py_tp_repr, reinterpret_cast<void*>(diagnostic_repr)},
    {Py_tp_getset, diagnostic_getters},
    {Py_tp_methods, diagnostic_methods},
    {0, nullptr},
};

PyType_Spec diagnostic_spec{"builtins.ValidationDiagnostic", sizeof(DiagnosticObject), 0,
                            class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION, diagnostic_slots};

// --- ValidationResult -------------------------------------------------------------------------

const ValidationResult& result_of(PyObject* self) { return value_of<ValidationResult>(self); }

template <std::vector<std::string> (ValidationResult::*texts)() const>
PyObject* get_texts(PyObject* self, void*) {
  return guarded([&] { return new_str_list((result_of(self).*texts)()); });
}

PyObject* get_is_valid(PyObject* self, void*) { return PyBool_FromLong(result_of(self).is_valid()); }

PyObject* get_fixed_query(PyObject* self, void*) {
  return guarded([&] { return new_optional_str(result_of(self).fixed_query); });
}

PyObject* diagnostics_list(const ValidationResult& result, PyObject* (*make)(const ValidationDiagnostic&)) {
  PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(result.diagnostics.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < result.diagnostics.size(); ++i) {
    PyObject* item = make(result.diagnostics[i]);
    if (item == nullptr) return nullptr;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

PyObject* new_diagnostic(const ValidationDiagnostic& diagnostic) {
  return new_holder(validation_diagnostic_type(), diagnostic);
}

PyObject* get_diagnostics(PyObject* self, void*) {
  return guarded([&] { return diagnostics_list(result_of(self), new_diagnostic); });
}

PyObject* result_to_dict(PyObject* self, PyObject*) {
  return guarded([&]() -> PyObject* {
    const ValidationResult& result = result_of(self);
    PyRef dict = PyRef::steal(PyDict_New());
    if (!dict) return nullptr;
    const std::pair<const char*, PyObject*> members[] = {
        {"is_valid", PyBool_FromLong(result.is_valid())},
        {"errors", new_str_list(result.errors())},
        {"syntax_errors", new_str_list(result.syntax_errors())},
        {"semantic_errors", new_str_list(result.semantic_errors())},
        {"warnings", new_str_list(result.warnings())},
        {"fixed_query", new_optional_str(result.fixed_query)},
        {"diagnostics", diagnostics_list(result, diagnostic_dict)},
    };
    bool ok = true;
    for (const auto& [name, raw] : members) {
      PyRef value = PyRef::steal(raw);  // every member is released, whatever fails
      ok = ok && value && PyDict_SetItemString(dict.get(), name, value.get()) == 0;
    }
    return ok ? dict.release() : nullptr;
  });
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

PyType_Slot result_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(holder_dealloc<ValidationResult>)},
    {Py_tp_repr, reinterpret_cast<void*>(result_repr)},
    {Py_nb_bool, reinterpret_cast<void*>(result_bool)},
    {Py_sq_length, reinterpret_cast<void*>(result_length)},
    {Py_tp_getset, result_getters},
    {Py_tp_methods, result_methods},
    {0, nullptr},
};

PyType_Spec result_spec{"builtins.ValidationResult", sizeof(ResultObject), 0,
                        class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION, result_slots};

}  // namespace

PyTypeObject* validation_result_type() {
  static PyTypeObject* type = nullptr;
  return cached_type(type, result_spec);
}

PyTypeObject* validation_diagnostic_type() {
  static PyTypeObject* type = nullptr;
  if (type == nullptr) {
    // The getters come from the field table, so names, docs and order are stated once.
    for (std::size_t i = 0; i < diagnostic_field_count; ++i) {
      const DiagnosticField& field = diagnostic_fields[i];
      diagnostic_getters[i] = {field.name, get_diagnostic_field, nullptr, field.doc,
                               const_cast<DiagnosticField*>(&field)};
    }
  }
  return cached_type(type, diagnostic_spec);
}

PyObject* new_validation_result(ValidationResult result) {
  return new_holder(validation_result_type(), std::move(result));
}

}  // namespace qarvex::py
