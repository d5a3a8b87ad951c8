#include "bindings/py_schema.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
#include "bindings/pickle_payload.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema_forms.hpp"
#include "bindings/repr.hpp"
#include "bindings/types.hpp"
#include "schema/render.hpp"

namespace qarvex::py {
namespace {

const Schema& schema_of(PyObject* self) { return value_of<Schema>(self); }

// --- construction -------------------------------------------------------------------------

std::optional<NameSet> property_set(PyObject* keys) {
  std::optional<std::vector<std::string>> list = string_list_value(keys);
  if (!list) return std::nullopt;
  return NameSet(std::make_move_iterator(list->begin()), std::make_move_iterator(list->end()));
}

bool read_nodes(PyObject* nodes, NameMap<NameSet>& out) {
  Py_ssize_t position = 0;
  PyObject* key = nullptr;
  PyObject* value = nullptr;
  while (PyDict_Next(nodes, &position, &key, &value)) {
    std::optional<std::string_view> label = string_value(key);
    if (!label) return false;
    std::optional<NameSet> properties = property_set(value);
    if (!properties) {
      replace_error_with_type_error("Expected list[str] for node properties of label '" +
                                    std::string(*label) + "'");
      return false;
    }
    out.insert_or_assign(std::string(*label), std::move(*properties));
  }
  return true;
}

std::optional<EndpointEntry> endpoint_entry(PyObject* value) {
  if (!PyTuple_Check(value) || PyTuple_GET_SIZE(value) != 3) return std::nullopt;
  std::optional<std::string_view> source = string_value(PyTuple_GET_ITEM(value, 0));
  if (!source) return std::nullopt;
  std::optional<std::string_view> target = string_value(PyTuple_GET_ITEM(value, 1));
  if (!target) return std::nullopt;
  std::optional<NameSet> properties = property_set(PyTuple_GET_ITEM(value, 2));
  if (!properties) return std::nullopt;
  return EndpointEntry{std::string(*source), std::string(*target), std::move(*properties)};
}

// One entry, or a non-empty list of them. The list is read from a snapshot, so converting an
// entry's keys cannot change what is left to read.
std::optional<RelationshipType> relationship_value(PyObject* value) {
  if (!PyList_Check(value)) {
    std::optional<EndpointEntry> entry = endpoint_entry(value);
    if (!entry) return std::nullopt;
    return RelationshipType(std::move(*entry));
  }
  PyRef items = PyRef::steal(PyList_AsTuple(value));
  if (!items) return std::nullopt;
  std::vector<EndpointEntry> entries;
  for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(items.get()); ++i) {
    std::optional<EndpointEntry> entry = endpoint_entry(PyTuple_GET_ITEM(items.get(), i));
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return RelationshipType::from_entries(std::move(entries));
}

bool read_relationships(PyObject* relationships, NameMap<RelationshipType>& out) {
  Py_ssize_t position = 0;
  PyObject* key = nullptr;
  PyObject* value = nullptr;
  while (PyDict_Next(relationships, &position, &key, &value)) {
    std::optional<std::string_view> type = string_value(key);
    if (!type) return false;
    std::optional<RelationshipType> rel = relationship_value(value);
    if (!rel) {
      std::string message = "Expected (str, str, list[str]) for relationship '" +
                            std::string(*type) + "', e.g. ('Person', 'Movie', ['role'])";
      if (PyErr_Occurred()) {
        replace_error_with_type_error(message);
      } else {
        raise_type_error(message);
      }
      return false;
    }
    out.insert_or_assign(std::string(*type), std::move(*rel));
  }
  return true;
}

PyObject* schema_new(PyTypeObject*, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 2> names{"nodes", "relationships"};
    static constexpr Signature signature{"Schema.__new__()", names, 2};
    PyObject* values[2];
    if (!bind_tuple(signature, args, kwargs, values)) return nullptr;
    if (!check_dict(values[0], "nodes") || !check_dict(values[1], "relationships")) {
      return nullptr;
    }
    std::optional<Schema> schema = schema_from_dicts(values[0], values[1]);
    return schema ? new_schema_object(std::move(*schema)).release() : nullptr;
  });
}

// --- methods --------------------------------------------------------------------------------

using StringQuery = PyRef (*)(const Schema& schema, std::string_view argument);

// A method of one string parameter whose result is answer(schema, argument).
PyObject* string_query(const char* function, const char* parameter, StringQuery answer,
                       PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                       PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> text =
        bind_single_string(function, parameter, args, nargs, kwnames);
    if (!text) return PyRef();
    return answer(schema_of(self), *text);
  });
}

// (source, target) as a 2-tuple of str.
PyRef new_pair(const Endpoints& ends) {
  PyRef source = new_str(ends.source);
  PyRef target = new_str(ends.target);
  if (!source || !target) return PyRef();
  return PyRef::steal(PyTuple_Pack(2, source.get(), target.get()));
}

PyRef endpoints_tuple(const Schema& schema, std::string_view type) {
  std::optional<Endpoints> ends = schema.endpoints(type);
  return ends ? new_pair(*ends) : PyRef::borrow(Py_None);
}

PyRef endpoint_pair_list(const Schema& schema, std::string_view type) {
  return new_list(schema.endpoint_pairs(type), new_pair);
}

PyObject* node_labels(PyObject* self, PyObject*) {
  return guarded([&] { return new_str_list(schema_of(self).sorted_labels()); });
}

PyObject* rel_types(PyObject* self, PyObject*) {
  return guarded([&] { return new_str_list(schema_of(self).sorted_types()); });
}

PyRef label_known(const Schema& schema, std::string_view label) {
  return new_bool(schema.has_label(label));
}

PyRef type_known(const Schema& schema, std::string_view type) {
  return new_bool(schema.has_type(type));
}

PyRef label_properties(const Schema& schema, std::string_view label) {
  return new_str_list(schema.sorted_label_properties(label));
}

PyRef type_properties(const Schema& schema, std::string_view type) {
  return new_str_list(schema.sorted_type_properties(type));
}

PyObject* has_node_label(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kw) {
  return string_query("Schema.has_node_label()", "label", label_known, self, args, nargs, kw);
}

PyObject* has_rel_type(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kw) {
  return string_query("Schema.has_rel_type()", "rel_type", type_known, self, args, nargs, kw);
}

PyObject* node_properties(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kw) {
  return string_query("Schema.node_properties()", "label", label_properties, self, args, nargs,
                      kw);
}

PyObject* rel_properties(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kw) {
  return string_query("Schema.rel_properties()", "rel_type", type_properties, self, args, nargs,
                      kw);
}

PyObject* rel_endpoints(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kw) {
  return string_query("Schema.rel_endpoints()", "rel_type", endpoints_tuple, self, args, nargs,
                      kw);
}

PyObject* rel_endpoint_pairs(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                             PyObject* kw) {
  return string_query("Schema.rel_endpoint_pairs()", "rel_type", endpoint_pair_list, self, args,
                      nargs, kw);
}

PyObject* merge(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kw) {
  return guarded([&] {
    PyObject* value = bind_single("Schema.merge()", "other", args, nargs, kw);
    const Schema* other = value == nullptr ? nullptr : to_schema(value, "other");
    if (other == nullptr) return PyRef();
    return new_schema_object(qarvex::merge(schema_of(self), *other));
  });
}

PyObject* to_prompt(PyObject* self, PyObject*) {
  return guarded([&] { return new_str(render_prompt(schema_of(self))); });
}

PyObject* to_markdown(PyObject* self, PyObject*) {
  return guarded([&] { return new_str(render_markdown(schema_of(self))); });
}

PyObject* to_cypher_context(PyObject* self, PyObject*) {
  return guarded([&] { return new_str(render_cypher_context(schema_of(self))); });
}

PyObject* schema_repr(PyObject* self) {
  return guarded([&] {
    const Schema& schema = schema_of(self);
    std::string text = "Schema(nodes=";
    append_quoted_list(text, schema.sorted_labels());
    text += ", relationships=";
    append_quoted_list(text, schema.sorted_types());
    text += ')';
    return new_str(text);
  });
}

// --- pickling ------------------------------------------------------------------------------

// The payload is the JSON form, which Schema.from_json reads back.
PyObject* schema_reduce(PyObject* self, PyObject*) {
  return guarded([&] { return reduce_to(ClassId::Schema, new_schema_json(schema_of(self))); });
}

PyObject* restore_schema(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    PyObject* value = bind_single("_restore_schema()", "json_text", args, nargs, kwnames);
    if (value == nullptr) return PyRef();
    std::optional<Schema> schema = PayloadReader(ClassId::Schema).schema(value, "json_text");
    return schema ? new_schema_object(std::move(*schema)) : PyRef();
  });
}

PyMethodDef methods[] = {
    {"__reduce__", schema_reduce, METH_NOARGS, nullptr},
    {"from_dict", as_method(schema_from_dict), METH_FASTCALL | METH_KEYWORDS | METH_STATIC,
     "from_dict(d)\n--\n\n"
     "Create a Schema from a plain Python dict (e.g. previously exported with ``to_dict()``).\n\n"
     "Example::\n\n"
     "    d = {\n"
     "        \"nodes\": {\"Person\": [\"name\", \"age\"], \"Movie\": [\"title\"]},\n"
     "        \"relationships\": {\"ACTED_IN\": (\"Person\", \"Movie\", [\"role\"])},\n"
     "    }\n"
     "    schema = Schema.from_dict(d)"},
    {"from_json", as_method(schema_from_json), METH_FASTCALL | METH_KEYWORDS | METH_STATIC,
     "from_json(json_str)\n--\n\n"
     "Deserialise a Schema from a JSON string produced by ``to_json()``.\n\n"
     "Example::\n\n"
     "    json_str = schema.to_json()\n"
     "    schema2 = Schema.from_json(json_str)"},
    {"node_labels", node_labels, METH_NOARGS, "node_labels($self)\n--\n\n"},
    {"rel_types", rel_types, METH_NOARGS, "rel_types($self)\n--\n\n"},
    {"has_node_label", as_method(has_node_label), METH_FASTCALL | METH_KEYWORDS,
     "has_node_label($self, label)\n--\n\n"},
    {"has_rel_type", as_method(has_rel_type), METH_FASTCALL | METH_KEYWORDS,
     "has_rel_type($self, rel_type)\n--\n\n"},
    {"node_properties", as_method(node_properties), METH_FASTCALL | METH_KEYWORDS,
     "node_properties($self, label)\n--\n\nReturn the list of properties declared for a node "
     "label."},
    {"rel_properties", as_method(rel_properties), METH_FASTCALL | METH_KEYWORDS,
     "rel_properties($self, rel_type)\n--\n\nReturn the list of properties declared for a "
     "relationship type."},
    {"rel_endpoints", as_method(rel_endpoints), METH_FASTCALL | METH_KEYWORDS,
     "rel_endpoints($self, rel_type)\n--\n\nReturn `(src_label, tgt_label)` for a relationship "
     "type, or None if unknown."},
    {"rel_endpoint_pairs", as_method(rel_endpoint_pairs), METH_FASTCALL | METH_KEYWORDS,
     "rel_endpoint_pairs($self, rel_type)\n--\n\nReturn the list of `(src_label, tgt_label)` "
     "pairs declared for a relationship type, in order; an empty list if unknown."},
    {"to_dict", schema_to_dict, METH_NOARGS,
     "to_dict($self)\n--\n\n"
     "Export the schema as a plain Python dict compatible with the Schema constructor."},
    {"to_json", schema_to_json, METH_NOARGS,
     "to_json($self)\n--\n\n"
     "Serialise the schema to a JSON string.\n\n"
     "The result can be stored, transmitted, and later restored via\n"
     "``Schema.from_json()``.\n\n"
     "Example::\n\n"
     "    json_str = schema.to_json()\n"
     "    schema2 = Schema.from_json(json_str)\n"
     "    assert schema2 == schema  # round-trip safe"},
    {"merge", as_method(merge), METH_FASTCALL | METH_KEYWORDS,
     "merge($self, other)\n--\n\n"
     "Return a new Schema that is the union of *self* and *other*.\n\n"
     "* Node labels and relationship types from both schemas are combined.\n"
     "* When a label/type exists in both, the property sets are merged\n"
     "  (union), so no declared property is lost.\n"
     "* When a relationship type exists in both, its endpoint pairs are\n"
     "  united: the pairs of *self* first, then the new pairs of *other*.\n\n"
     "Example::\n\n"
     "    s1 = Schema({\"Person\": [\"name\"]}, {\"KNOWS\": (\"Person\", \"Person\", [])})\n"
     "    s2 = Schema({\"Movie\": [\"title\"]}, {\"ACTED_IN\": (\"Person\", \"Movie\", "
     "[\"role\"])})\n"
     "    merged = s1.merge(s2)\n"
     "    # merged has Person, Movie, KNOWS, ACTED_IN"},
    {"to_prompt", to_prompt, METH_NOARGS,
     "to_prompt($self)\n--\n\n"
     "Return a human-readable, LLM-friendly representation of the schema.\n\n"
     "Suitable for injecting into an LLM system prompt to tell the model which\n"
     "labels, relationship types, and properties exist in the graph.\n\n"
     "Example::\n\n"
     "    print(schema.to_prompt())\n"
     "    # Graph Schema\n"
     "    # ============\n"
     "    #\n"
     "    # Nodes\n"
     "    # -----\n"
     "    #   :Person                   name, age, email\n"
     "    #   :Company                  name, founded\n"
     "    #\n"
     "    # Relationships\n"
     "    # -------------\n"
     "    #   :WORKS_FOR                (Person)-->(Company)   since, role\n"
     "    #   :LIVES_IN                 (Person)-->(City)"},
    {"to_markdown", to_markdown, METH_NOARGS,
     "to_markdown($self)\n--\n\n"
     "Return the schema formatted as a Markdown table.\n\n"
     "Useful for LLM contexts that render Markdown, documentation, or\n"
     "README sections.\n\n"
     "Example::\n\n"
     "    print(schema.to_markdown())\n"
     "    # ### Nodes\n"
     "    # | Label | Properties |\n"
     "    # |---|---|\n"
     "    # | :Person | name, age, email |\n"
     "    # ..."},
    {"to_cypher_context", to_cypher_context, METH_NOARGS,
     "to_cypher_context($self)\n--\n\n"
     "Return the schema as inline Cypher patterns.\n\n"
     "This format is often the most natural for LLMs that already know Cypher,\n"
     "since it mirrors the query syntax they will generate.\n\n"
     "Example::\n\n"
     "    print(schema.to_cypher_context())\n"
     "    # // Node labels and their properties\n"
     "    # (:Person {name, age, email})\n"
     "    # (:Company {name, founded})\n"
     "    #\n"
     "    # // Relationship types\n"
     "    # (:Person)-[:WORKS_FOR {since, role}]->(:Company)\n"
     "    # (:Person)-[:LIVES_IN]->(:City)"},
    {nullptr, nullptr, 0, nullptr},
};

auto slots = class_slots<Schema>(slot(Py_tp_new, schema_new), slot(Py_tp_repr, schema_repr),
                                 slot(Py_tp_methods, methods),
                                 doc_slot("Schema(nodes, relationships)\n--\n\n"));

}  // namespace

PyType_Spec schema_spec = class_spec<Schema>("builtins.Schema", class_flags, slots);

PyMethodDef restore_schema_def = {"_restore_schema", as_method(restore_schema),
                                  METH_FASTCALL | METH_KEYWORDS,
                                  "_restore_schema(json_text)\n--\n\n"
                                  "Rebuild a pickled Schema from its JSON form."};

const Schema* schema_value(PyObject* object) {
  if (!Py_IS_TYPE(object, type_object(ClassId::Schema))) return nullptr;
  return &schema_of(object);
}

PyRef new_schema_object(Schema value) {
  return new_instance(ClassId::Schema, std::move(value));
}

std::optional<Schema> schema_from_dicts(PyObject* nodes, PyObject* relationships) {
  NameMap<NameSet> node_map;
  NameMap<RelationshipType> relationship_map;
  if (!read_nodes(nodes, node_map) || !read_relationships(relationships, relationship_map)) {
    return std::nullopt;
  }
  return Schema(std::move(node_map), std::move(relationship_map));
}

}  // namespace qarvex::py
