#include "bindings/types.hpp"

#include "bindings/py_ref.hpp"

namespace qarvex::py {
namespace {

struct ClassEntry {
  ClassId id;
  const char* name;
  PyType_Spec* spec;
  PyMethodDef* restore;
};

// In ClassId order, which is also the order of the module's __all__.
constexpr ClassEntry classes[class_count] = {
    {ClassId::Schema, "Schema", &schema_spec, &restore_schema_def},
    {ClassId::Qarvex, "Qarvex", &qarvex_spec, &restore_qarvex_def},
    {ClassId::ValidationResult, "ValidationResult", &validation_result_spec,
     &restore_validation_result_def},
    {ClassId::ValidationDiagnostic, "ValidationDiagnostic", &validation_diagnostic_spec,
     &restore_validation_diagnostic_def},
    {ClassId::CypherGenerator, "CypherGenerator", &cypher_generator_spec,
     &restore_cypher_generator_def},
    {ClassId::QueryInfo, "QueryInfo", &query_info_spec, &restore_query_info_def},
};

constexpr bool classes_in_id_order() {
  for (std::size_t i = 0; i < class_count; ++i) {
    if (static_cast<std::size_t>(classes[i].id) != i) return false;
  }
  return true;
}
static_assert(classes_in_id_order(), "the class table must list the classes by id");

// Written only by create_types, under the interpreter lock.
PyTypeObject* types[class_count] = {};
PyObject* restore_functions[class_count] = {};
PyObject* panic_type = nullptr;

// A function of the module "_qarvex" that is not bound to the module object, so that it can be
// created with the classes.
PyObject* new_module_function(PyMethodDef* def) {
  PyRef module_name = PyRef::steal(PyUnicode_FromString("_qarvex"));
  if (!module_name) return nullptr;
  return PyCMethod_New(def, nullptr, module_name.get(), nullptr);
}

}  // namespace

const char* class_name(ClassId id) { return classes[static_cast<std::size_t>(id)].name; }

bool create_types() {
  if (panic_type == nullptr) {
    panic_type = PyErr_NewExceptionWithDoc(
        "qarvex.PanicException", "Raised when the module detects a broken internal invariant.",
        PyExc_BaseException, nullptr);
    if (panic_type == nullptr) return false;
  }
  for (const ClassEntry& entry : classes) {
    PyTypeObject*& type = types[static_cast<std::size_t>(entry.id)];
    if (type == nullptr) type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(entry.spec));
    if (type == nullptr) return false;
    PyObject*& restore = restore_functions[static_cast<std::size_t>(entry.id)];
    if (restore == nullptr) restore = new_module_function(entry.restore);
    if (restore == nullptr) return false;
  }
  return true;
}

PyTypeObject* type_object(ClassId id) { return types[static_cast<std::size_t>(id)]; }

PyObject* restore_function(ClassId id) { return restore_functions[static_cast<std::size_t>(id)]; }

PyObject* panic_exception_type() { return panic_type; }

}  // namespace qarvex::py
