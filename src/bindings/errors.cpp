#include "bindings/errors.hpp"

#include "bindings/py_ref.hpp"

namespace qarvex::py {

void raise_panic(std::string_view message) {
  PyObject* type = panic_exception_type();
  if (type == nullptr) return;  // only before the module has been created
  PyRef text = PyRef::steal(PyUnicode_FromStringAndSize(message.data(), message.size()));
  if (!text) return;
  PyErr_SetObject(type, text.get());
}

void raise_type_error(std::string_view message) {
  PyRef text = PyRef::steal(PyUnicode_FromStringAndSize(message.data(), message.size()));
  if (text) PyErr_SetObject(PyExc_TypeError, text.get());
}

void raise_value_error(std::string_view text) {
  PyRef value = PyRef::steal(PyUnicode_FromStringAndSize(text.data(), text.size()));
  if (value) PyErr_SetObject(PyExc_ValueError, value.get());
}

void replace_error_with_type_error(std::string_view message) {
  if (!PyErr_ExceptionMatches(PyExc_Exception) || PyErr_ExceptionMatches(PyExc_MemoryError)) {
    return;
  }
  PyErr_Clear();
  raise_type_error(message);
}

}  // namespace qarvex::py
