// Pickle support shared by the classes. An instance's __reduce__ returns its class's restore
// function with a payload of plain values (str, int, bool, None, tuples, dicts); the restore
// function reads the payload back through a PayloadReader, which turns anything malformed or
// foreign into one ValueError naming the class and the part, so that no unchecked value reaches
// the core.
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bindings/py_ref.hpp"
#include "bindings/types.hpp"
#include "schema/schema.hpp"

namespace qarvex::py {

// The schema's JSON form as a str: how a schema travels inside any payload.
PyRef new_schema_json(const Schema& schema);

// (restore_function(id), (items...)): what __reduce__ returns; null if an item is null.
template <typename... Items>
PyRef reduce_to(ClassId id, const Items&... items) {
  if (!(items && ...)) return PyRef();
  PyRef arguments = PyRef::steal(PyTuple_Pack(sizeof...(Items), items.get()...));
  if (!arguments) return arguments;
  return PyRef::steal(PyTuple_Pack(2, restore_function(id), arguments.get()));
}

class PayloadReader {
 public:
  explicit PayloadReader(ClassId id) : id_(id) {}

  // Sets ValueError "Cannot restore {class}: {part} {problem}"; always false.
  bool fail(std::string_view part, std::string_view problem) const;

  // The items of a tuple of exactly `size` items.
  std::optional<std::span<PyObject* const>> tuple(PyObject* object, std::string_view part,
                                                  Py_ssize_t size) const;
  // The items of a tuple of any size.
  std::optional<std::span<PyObject* const>> tuple(PyObject* object, std::string_view part) const;
  std::optional<std::string_view> text(PyObject* object, std::string_view part) const;
  // A str or None; the outer optional is empty on failure.
  std::optional<std::optional<std::string>> optional_text(PyObject* object,
                                                          std::string_view part) const;
  // A tuple of str.
  std::optional<std::vector<std::string>> texts(PyObject* object, std::string_view part) const;
  std::optional<bool> flag(PyObject* object, std::string_view part) const;
  std::optional<std::uint64_t> unsigned_value(PyObject* object, std::string_view part) const;
  // A schema in its JSON form, as new_schema_json writes it.
  std::optional<Schema> schema(PyObject* object, std::string_view part) const;

 private:
  ClassId id_;
};

}  // namespace qarvex::py
