#include "bindings/py_schema_forms.hpp"

#include <string>
#include <variant>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "schema/schema_json.hpp"

namespace qarvex::py {
namespace {

// Sets `key` in `dict` to `value`; false with an exception set on failure (of either).
bool set_item(PyObject* dict, PyObject* key, PyRef value) {
  return value && PyDict_SetItem(dict, key, value.get()) == 0;
}

bool set_item(PyObject* dict, const char* key, PyRef value) {
  return value && PyDict_SetItemString(dict, key, value.get()) == 0;
}

PyRef nodes_dict(const Schema& schema) {
  PyRef nodes = PyRef::steal(PyDict_New());
  if (!nodes) return nodes;
  for (const std::string& label : schema.sorted_labels()) {
    PyRef key = new_str(label);
    if (!key ||
        !set_item(nodes.get(), key.get(), new_str_list(schema.sorted_label_properties(label)))) {
      return PyRef();
    }
  }
  return nodes;
}

PyRef entry_tuple(const EndpointEntry& entry) {
  PyRef source = new_str(entry.source);
  PyRef target = new_str(entry.target);
  PyRef keys = new_str_list(sorted_names(entry.properties));
  if (!source || !target || !keys) return PyRef();
  return PyRef::steal(PyTuple_Pack(3, source.get(), target.get(), keys.get()));
}

// The entry's 3-tuple for a type with one pair, a list of them for a type with several.
PyRef relationship_value(const RelationshipType& rel) {
  const std::vector<EndpointEntry>& entries = rel.entries();
  if (entries.size() == 1) return entry_tuple(entries.front());
  return new_list(entries, entry_tuple);
}

PyRef relationships_dict(const Schema& schema) {
  PyRef relationships = PyRef::steal(PyDict_New());
  if (!relationships) return relationships;
  for (const std::string& type : schema.sorted_types()) {
    PyRef key = new_str(type);
    const RelationshipType& rel = *schema.relationship(type);
    if (!key || !set_item(relationships.get(), key.get(), relationship_value(rel))) {
      return PyRef();
    }
  }
  return relationships;
}

// The value of `key` in `d` by a plain lookup (a subclass's __missing__ is not called); a
// KeyError or TypeError with the fixed messages when it is absent or not a dict.
PyRef required_dict_entry(PyObject* d, const char* key) {
  PyObject* found = nullptr;
  int status = PyDict_GetItemStringRef(d, key, &found);
  PyRef value = PyRef::steal(found);
  if (status < 0) return PyRef();
  if (status == 0) {
    PyErr_SetString(PyExc_KeyError, ("'" + std::string(key) + "' key missing from dict").c_str());
    return PyRef();
  }
  if (!PyDict_Check(value.get())) {
    raise_type_error("'" + std::string(key) + "' must be a dict");
    return PyRef();
  }
  return value;
}

}  // namespace

PyObject* schema_to_dict(PyObject* self, PyObject*) {
  return guarded([&] {
    const Schema& schema = *schema_value(self);
    PyRef dict = PyRef::steal(PyDict_New());
    if (!dict || !set_item(dict.get(), "nodes", nodes_dict(schema)) ||
        !set_item(dict.get(), "relationships", relationships_dict(schema))) {
      return PyRef();
    }
    return dict;
  });
}

PyObject* schema_from_dict(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames) {
  return guarded([&] {
    PyObject* d = bind_single("Schema.from_dict()", "d", args, nargs, kwnames);
    if (d == nullptr || !check_dict(d, "d")) return PyRef();
    PyRef nodes = required_dict_entry(d, "nodes");
    if (!nodes) return PyRef();
    PyRef relationships = required_dict_entry(d, "relationships");
    if (!relationships) return PyRef();
    std::optional<Schema> schema = schema_from_dicts(nodes.get(), relationships.get());
    return schema ? new_schema_object(std::move(*schema)) : PyRef();
  });
}

PyObject* schema_to_json(PyObject* self, PyObject*) {
  return guarded([&] { return new_str(qarvex::schema_to_json(*schema_value(self))); });
}

PyObject* schema_from_json(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> text =
        bind_single_string("Schema.from_json()", "json_str", args, nargs, kwnames);
    if (!text) return PyRef();
    std::optional<Schema> schema = schema_from_json_text(*text);
    return schema ? new_schema_object(std::move(*schema)) : PyRef();
  });
}

std::optional<Schema> schema_from_json_text(std::string_view text) {
  std::variant<Schema, SchemaJsonError> result = qarvex::schema_from_json(text);
  if (auto* error = std::get_if<SchemaJsonError>(&result)) {
    raise_value_error("Invalid Schema JSON: " + error->message());
    return std::nullopt;
  }
  return std::move(std::get<Schema>(result));
}

}  // namespace qarvex::py
