#include "bindings/convert.hpp"

#include "bindings/py_ref.hpp"

namespace qarvex::py {

PyObject* new_str_list(const std::vector<std::string>& items) {
  PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(items.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < items.size(); ++i) {
    PyObject* item = new_str(items[i]);
    if (item == nullptr) return nullptr;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

}  // namespace qarvex::py
