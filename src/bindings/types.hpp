// The module's classes. Every class object, and the PanicException class, is created in one
// place (create_types, at module init) and kept for the life of the process; each class file
// only provides its PyType_Spec.
#pragma once

#include <Python.h>

#include <cstddef>

namespace qarvex::py {

enum class ClassId : std::size_t {
  Schema,
  Qarvex,
  ValidationResult,
  ValidationDiagnostic,
  CypherGenerator,
  QueryInfo,
};
inline constexpr std::size_t class_count = 6;

// The specs, one per class file.
extern PyType_Spec schema_spec;
extern PyType_Spec qarvex_spec;
extern PyType_Spec validation_result_spec;
extern PyType_Spec validation_diagnostic_spec;
extern PyType_Spec cypher_generator_spec;
extern PyType_Spec query_info_spec;

// The private module functions that rebuild an instance from what its __reduce__ returned,
// one per class file, e.g. "_restore_schema".
extern PyMethodDef restore_schema_def;
extern PyMethodDef restore_qarvex_def;
extern PyMethodDef restore_validation_result_def;
extern PyMethodDef restore_validation_diagnostic_def;
extern PyMethodDef restore_cypher_generator_def;
extern PyMethodDef restore_query_info_def;

// The name the module exports the class under, e.g. "Schema".
const char* class_name(ClassId id);

// Creates every class, and every restore function, not created yet; false with an exception
// set if one failed.
bool create_types();

// The class object; create_types has succeeded before any instance exists.
PyTypeObject* type_object(ClassId id);

// The class's restore function, a module attribute that pickle finds by its name.
PyObject* restore_function(ClassId id);

// The module-level function parse_query.
extern PyMethodDef parse_query_def;

// Casts a METH_FASTCALL | METH_KEYWORDS function to the PyCFunction the method table holds.
template <typename Function>
PyCFunction as_method(Function function) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

// Flags shared by every class: immutable and not subclassable.
inline constexpr unsigned long class_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE;

}  // namespace qarvex::py
