// The module's six classes. Each is created from its PyType_Spec on first use and kept
// for the life of the process; a getter returns null with an exception if creation failed.
#pragma once

#include <Python.h>

namespace qarvex::py {

PyTypeObject* schema_type();
PyTypeObject* qarvex_type();
PyTypeObject* validation_result_type();
PyTypeObject* validation_diagnostic_type();
PyTypeObject* cypher_generator_type();
PyTypeObject* query_info_type();

// The module-level function parse_query.
extern PyMethodDef parse_query_def;

// Creates the class from `spec` the first time; later calls return the same object.
inline PyTypeObject* cached_type(PyTypeObject*& cache, PyType_Spec& spec) {
  if (cache == nullptr) cache = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&spec));
  return cache;
}

// Frees an instance of a heap type whose payload has already been destroyed.
inline void free_instance(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  type->tp_free(self);
  Py_DECREF(type);
}

// Casts a METH_FASTCALL | METH_KEYWORDS function to the PyCFunction the method table holds.
template <typename Function>
PyCFunction as_method(Function function) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

// Flags shared by every class: immutable and not subclassable.
inline constexpr unsigned long class_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE;

}  // namespace qarvex::py
