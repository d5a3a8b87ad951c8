// Native values to new Python objects. Each returns a new reference, or null with an exception.
#pragma once

#include <Python.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qarvex::py {

inline PyObject* new_str(std::string_view text) {
  return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

inline PyObject* new_optional_str(const std::optional<std::string>& text) {
  return text ? new_str(*text) : Py_NewRef(Py_None);
}

PyObject* new_str_list(const std::vector<std::string>& items);

}  // namespace qarvex::py
