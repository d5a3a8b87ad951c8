// The module's entry point: refuses sub-interpreters, creates the classes and the module object
// once and fills it with the six classes and parse_query, each name also appended to __all__,
// and with the classes' private restore functions.
#include <Python.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "bindings/py_ref.hpp"
#include "bindings/types.hpp"

namespace qarvex::py {
namespace {

constexpr std::int64_t no_interpreter = -1;
std::atomic<std::int64_t> first_interpreter{no_interpreter};
PyObject* the_module = nullptr;

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_qarvex", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// Appends `name` to __all__ (creating it when missing), then sets the attribute.
bool add_exported(PyObject* module, const char* name, PyObject* value) {
  if (value == nullptr) return false;
  PyObject* dict = PyModule_GetDict(module);
  PyObject* all = PyDict_GetItemString(dict, "__all__");
  PyRef created;
  if (all == nullptr) {
    created = PyRef::steal(PyList_New(0));
    if (!created || PyDict_SetItemString(dict, "__all__", created.get()) < 0) return false;
    all = created.get();
  }
  PyRef text = PyRef::steal(PyUnicode_FromString(name));
  if (!text || PyList_Append(all, text.get()) < 0) return false;
  return PyModule_AddObjectRef(module, name, value) == 0;
}

PyObject* create_module() {
  if (!create_types()) return nullptr;
  PyRef module = PyRef::steal(PyModule_Create(&module_def));
  if (!module) return nullptr;
  for (std::size_t i = 0; i < class_count; ++i) {
    auto id = static_cast<ClassId>(i);
    if (!add_exported(module.get(), class_name(id), reinterpret_cast<PyObject*>(type_object(id)))) {
      return nullptr;
    }
  }
  // The restore functions are module attributes for pickle, but not exports.
  for (std::size_t i = 0; i < class_count; ++i) {
    PyObject* restore = restore_function(static_cast<ClassId>(i));
    PyRef name = PyRef::steal(PyObject_GetAttrString(restore, "__name__"));
    if (!name || PyObject_SetAttr(module.get(), name.get(), restore) < 0) return nullptr;
  }
  PyRef module_name = PyRef::steal(PyUnicode_FromString("_qarvex"));
  if (!module_name) return nullptr;
  PyRef function =
      PyRef::steal(PyCMethod_New(&parse_query_def, module.get(), module_name.get(), nullptr));
  if (!add_exported(module.get(), "parse_query", function.get())) return nullptr;
  return module.release();
}

PyObject* init_module() {
  PyInterpreterState* interpreter = PyInterpreterState_Get();
  std::int64_t id = PyInterpreterState_GetID(interpreter);
  if (id < 0) return nullptr;
  std::int64_t expected = no_interpreter;
  if (!first_interpreter.compare_exchange_strong(expected, id) && expected != id) {
    PyErr_SetString(PyExc_ImportError,
                    "_qarvex does not support sub-interpreters: it can be imported only in the "
                    "first interpreter that loaded it");
    return nullptr;
  }
  if (the_module == nullptr) the_module = create_module();
  return the_module == nullptr ? nullptr : Py_NewRef(the_module);
}

}  // namespace
}  // namespace qarvex::py

PyMODINIT_FUNC PyInit__qarvex() { return qarvex::py::init_module(); }
