#include "bindings/pickle_payload.hpp"

#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_schema_forms.hpp"
#include "schema/schema_json.hpp"

namespace qarvex::py {

PyRef new_schema_json(const Schema& schema) { return new_str(schema_to_json(schema)); }

bool PayloadReader::fail(std::string_view part, std::string_view problem) const {
  std::string text = "Cannot restore ";
  text += class_name(id_);
  text += ": ";
  text += part;
  text += ' ';
  text += problem;
  raise_value_error(text);
  return false;
}

std::optional<std::span<PyObject* const>> PayloadReader::tuple(PyObject* object,
                                                               std::string_view part) const {
  if (!PyTuple_Check(object)) {
    fail(part, "must be a tuple");
    return std::nullopt;
  }
  return std::span<PyObject* const>(&PyTuple_GET_ITEM(object, 0),
                                    static_cast<std::size_t>(PyTuple_GET_SIZE(object)));
}

std::optional<std::span<PyObject* const>> PayloadReader::tuple(PyObject* object,
                                                               std::string_view part,
                                                               Py_ssize_t size) const {
  std::optional<std::span<PyObject* const>> items = tuple(object, part);
  if (items && items->size() != static_cast<std::size_t>(size)) {
    fail(part, "must be a tuple of " + std::to_string(size) + " items");
    return std::nullopt;
  }
  return items;
}

std::optional<std::string_view> PayloadReader::text(PyObject* object,
                                                    std::string_view part) const {
  if (!PyUnicode_Check(object)) {
    fail(part, "must be a str");
    return std::nullopt;
  }
  Py_ssize_t length = 0;
  const char* data = PyUnicode_AsUTF8AndSize(object, &length);
  if (data == nullptr) return std::nullopt;
  return std::string_view(data, static_cast<std::size_t>(length));
}

std::optional<std::optional<std::string>> PayloadReader::optional_text(
    PyObject* object, std::string_view part) const {
  if (object == Py_None) return std::optional<std::string>();
  std::optional<std::string_view> value = text(object, part);
  if (!value) return std::nullopt;
  return std::optional<std::string>(std::string(*value));
}

std::optional<std::vector<std::string>> PayloadReader::texts(PyObject* object,
                                                             std::string_view part) const {
  std::optional<std::span<PyObject* const>> items = tuple(object, part);
  if (!items) return std::nullopt;
  std::vector<std::string> values;
  values.reserve(items->size());
  for (PyObject* item : *items) {
    std::optional<std::string_view> value = text(item, part);
    if (!value) return std::nullopt;
    values.emplace_back(*value);
  }
  return values;
}

std::optional<bool> PayloadReader::flag(PyObject* object, std::string_view part) const {
  if (!PyBool_Check(object)) {
    fail(part, "must be a bool");
    return std::nullopt;
  }
  return object == Py_True;
}

std::optional<std::uint64_t> PayloadReader::unsigned_value(PyObject* object,
                                                           std::string_view part) const {
  if (!PyLong_Check(object) || PyBool_Check(object)) {
    fail(part, "must be an int");
    return std::nullopt;
  }
  unsigned long long value = PyLong_AsUnsignedLongLong(object);
  if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
    PyErr_Clear();
    fail(part, "must be an int from 0 to 2**64-1");
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(value);
}

std::optional<Schema> PayloadReader::schema(PyObject* object, std::string_view part) const {
  std::optional<std::string_view> json = text(object, part);
  if (!json) return std::nullopt;
  return schema_from_json_text(*json);
}

}  // namespace qarvex::py
