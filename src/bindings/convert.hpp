// Native values to new Python objects. Each returns an owning PyRef, null with an exception set
// on failure.
#pragma once

#include <Python.h>

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bindings/py_ref.hpp"

namespace qarvex::py {

inline PyRef new_str(std::string_view text) {
  return PyRef::steal(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

inline PyRef new_optional_str(const std::optional<std::string>& text) {
  return text ? new_str(*text) : PyRef::borrow(Py_None);
}

inline PyRef new_bool(bool value) { return PyRef::steal(PyBool_FromLong(value)); }

// A list of make(item) for each item, in order; stops at the first item that fails.
template <typename Items, typename Make>
PyRef new_list(Items&& items, Make&& make) {
  PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(std::size(items))));
  if (!list) return list;
  Py_ssize_t index = 0;
  for (auto&& item : items) {
    PyRef value = make(item);
    if (!value) return PyRef();
    PyList_SET_ITEM(list.get(), index++, value.release());
  }
  return list;
}

PyRef new_str_list(const std::vector<std::string>& items);

}  // namespace qarvex::py
