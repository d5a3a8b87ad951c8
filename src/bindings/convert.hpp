// Native values to new Python objects. Each returns an owning PyRef, null with an exception set
// on failure.
#pragma once

#include <Python.h>

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bindings/py_ref.hpp"
#include "bindings/signals.hpp"

namespace qarvex::py {

inline PyRef new_str(std::string_view text) {
  return PyRef::steal(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

inline PyRef new_optional_str(const std::optional<std::string>& text) {
  return text ? new_str(*text) : PyRef::borrow(Py_None);
}

inline PyRef new_bool(bool value) { return PyRef::steal(PyBool_FromLong(value)); }

// Releases a new list of which only the first `filled` items are set, so that releasing it
// visits only those (a long list cut short by a signal is released quickly) and returns null.
inline PyRef release_partial_list(PyRef list, Py_ssize_t filled) {
  Py_SET_SIZE(list.get(), filled);
  return PyRef();
}

// A list of make(item) for each item, in order, asking keep_going(index) before each; stops
// at the first item that fails or that keep_going refuses.
template <typename Items, typename Make, typename KeepGoing>
PyRef fill_list(Items&& items, Make&& make, KeepGoing&& keep_going) {
  PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(std::size(items))));
  if (!list) return list;
  Py_ssize_t index = 0;
  for (auto&& item : items) {
    if (!keep_going(static_cast<std::size_t>(index))) {
      return release_partial_list(std::move(list), index);
    }
    PyRef value = make(item);
    if (!value) return release_partial_list(std::move(list), index);
    PyList_SET_ITEM(list.get(), index++, value.release());
  }
  return list;
}

template <typename Items, typename Make>
PyRef new_list(Items&& items, Make&& make) {
  return fill_list(items, make, [](std::size_t) { return true; });
}

// The same for lists of any length: a signal handler that raises stops it too.
template <typename Items, typename Make>
PyRef new_interruptible_list(Items&& items, Make&& make) {
  return fill_list(items, make, signals_allow);
}

PyRef new_str_list(const std::vector<std::string>& items);

}  // namespace qarvex::py
