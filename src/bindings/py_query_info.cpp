// parse_query and the Python class QueryInfo: what a query uses, found without a schema.
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
#include "bindings/pickle_payload.hpp"
#include "bindings/repr.hpp"
#include "bindings/types.hpp"
#include "parser/parser.hpp"
#include "parser/query_info.hpp"

namespace qarvex::py {
namespace {

struct QueryInfoValue {
  bool is_valid = false;
  std::vector<std::string> errors;
  std::vector<std::string> labels_used;
  std::vector<std::string> rel_types_used;
  std::vector<std::string> properties_used;
  std::vector<std::string> procedures;
  bool updates = false;
};

const QueryInfoValue& info_of(PyObject* self) { return value_of<QueryInfoValue>(self); }

// A syntax error or a build failure is reported inside the value, never raised.
QueryInfoValue query_info_of(std::string_view query, Dialect dialect) {
  QueryInfoValue info;
  StatementResult result = parse_statement(query, dialect);
  if (const auto* error = std::get_if<ModuleError>(&result)) {
    info.errors.push_back(error->text());
    return info;
  }
  QueryNames names = collect_query_info(std::get<Query>(result));
  info.is_valid = true;
  info.labels_used = std::move(names.labels);
  info.rel_types_used = std::move(names.rel_types);
  info.properties_used = std::move(names.properties);
  info.procedures = std::move(names.procedures);
  info.updates = names.updates;
  return info;
}

PyObject* get_is_valid(PyObject* self, void*) { return new_bool(info_of(self).is_valid).release(); }
PyObject* get_updates(PyObject* self, void*) { return new_bool(info_of(self).updates).release(); }

template <std::vector<std::string> QueryInfoValue::*field>
PyObject* get_list(PyObject* self, void*) {
  return guarded([&] { return new_str_list(info_of(self).*field); });
}

int query_info_bool(PyObject* self) { return info_of(self).is_valid ? 1 : 0; }

PyObject* query_info_repr(PyObject* self) {
  return guarded([&] {
    const QueryInfoValue& info = info_of(self);
    std::string text = "QueryInfo(is_valid=";
    text += info.is_valid ? "true" : "false";
    const std::pair<const char*, const std::vector<std::string>*> parts[] = {
        {", labels=", &info.labels_used},
        {", rel_types=", &info.rel_types_used},
        {", properties=", &info.properties_used},
        {", errors=", &info.errors},
    };
    for (const auto& [label, items] : parts) {
      text += label;
      append_quoted_list(text, *items, NulEscape::Braced);
    }
    text += ')';
    return new_str(text);
  });
}

// The payload is the seven fields in their order, the lists as tuples. The last two (updates,
// procedures) came later, so a payload of the first five still restores (see below).
PyObject* query_info_reduce(PyObject* self, PyObject*) {
  return guarded([&] {
    const QueryInfoValue& info = info_of(self);
    auto as_tuple = [](const std::vector<std::string>& items) {
      PyRef list = new_str_list(items);
      return list ? PyRef::steal(PyList_AsTuple(list.get())) : PyRef();
    };
    return reduce_to(ClassId::QueryInfo, new_bool(info.is_valid), as_tuple(info.errors),
                     as_tuple(info.labels_used), as_tuple(info.rel_types_used),
                     as_tuple(info.properties_used), new_bool(info.updates),
                     as_tuple(info.procedures));
  });
}

PyObject* restore_query_info(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                             PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 7> names{"is_valid",       "errors",
                                                      "labels_used",    "rel_types_used",
                                                      "properties_used", "updates",
                                                      "procedures"};
    static constexpr Signature signature{"_restore_query_info()", names, 5};
    PyObject* values[7];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    const PayloadReader reader(ClassId::QueryInfo);
    std::optional<bool> is_valid = reader.flag(values[0], "is_valid");
    if (!is_valid) return PyRef();
    QueryInfoValue info;
    info.is_valid = *is_valid;
    std::vector<std::string>* lists[] = {&info.errors, &info.labels_used, &info.rel_types_used,
                                         &info.properties_used};
    for (std::size_t i = 0; i < std::size(lists); ++i) {
      auto texts = reader.texts(values[i + 1], names[i + 1]);
      if (!texts) return PyRef();
      *lists[i] = std::move(*texts);
    }
    // A payload from before `updates` and `procedures` carries no query text to find them in.
    // A query that parsed is then taken to update, so that a read-only gate over stored records
    // refuses it rather than lets a write through; its procedures stay unknown, an empty list.
    info.updates = info.is_valid;
    if (values[5] != nullptr && values[5] != Py_None) {
      std::optional<bool> updates = reader.flag(values[5], "updates");
      if (!updates) return PyRef();
      info.updates = *updates;
    }
    if (values[6] != nullptr) {
      auto procedures = reader.texts(values[6], "procedures");
      if (!procedures) return PyRef();
      info.procedures = std::move(*procedures);
    }
    return new_instance(ClassId::QueryInfo, std::move(info));
  });
}

PyGetSetDef getters[] = {
    {"is_valid", get_is_valid, nullptr, "True if the query is syntactically valid.", nullptr},
    {"errors", get_list<&QueryInfoValue::errors>, nullptr,
     "Syntax error messages (empty if valid).", nullptr},
    {"labels_used", get_list<&QueryInfoValue::labels_used>, nullptr,
     "Node labels referenced in the query.", nullptr},
    {"rel_types_used", get_list<&QueryInfoValue::rel_types_used>, nullptr,
     "Relationship types referenced in the query.", nullptr},
    {"properties_used", get_list<&QueryInfoValue::properties_used>, nullptr,
     "Property keys accessed in the query (e.g. ``[\"name\", \"age\"]``).", nullptr},
    {"updates", get_updates, nullptr,
     "True if the query changes the graph: CREATE, MERGE, SET, REMOVE, DELETE or FOREACH "
     "anywhere, subqueries included.",
     nullptr},
    {"procedures", get_list<&QueryInfoValue::procedures>, nullptr,
     "The full names of the procedures the query calls (e.g. ``[\"db.labels\"]``).", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef methods[] = {
    {"__reduce__", query_info_reduce, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

auto slots = class_slots<QueryInfoValue>(
    slot(Py_tp_repr, query_info_repr), slot(Py_nb_bool, query_info_bool),
    slot(Py_tp_getset, getters), slot(Py_tp_methods, methods),
    doc_slot("Information extracted from a parsed query without a schema."));

PyObject* parse_query(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    static constexpr const char* names[] = {"query", "dialect"};
    static constexpr Signature signature{"parse_query()", names, 1, 1};
    PyObject* values[2];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    std::optional<std::string_view> query = to_string(values[0], "query");
    if (!query) return PyRef();
    std::optional<Dialect> dialect = to_dialect(values[1], "dialect");
    if (!dialect) return PyRef();
    return new_instance(ClassId::QueryInfo, query_info_of(*query, *dialect));
  });
}

}  // namespace

PyType_Spec query_info_spec = class_spec<QueryInfoValue>(
    "builtins.QueryInfo", class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots);

PyMethodDef restore_query_info_def = {
    "_restore_query_info", as_method(restore_query_info), METH_FASTCALL | METH_KEYWORDS,
    "_restore_query_info(is_valid, errors, labels_used, rel_types_used, properties_used,\n"
    "                    updates=None, procedures=())\n--\n\n"
    "Rebuild a pickled QueryInfo from its fields."};

PyMethodDef parse_query_def = {
    "parse_query", as_method(parse_query), METH_FASTCALL | METH_KEYWORDS,
    "parse_query(query, *, dialect='core')\n--\n\n"
    "Parse a Cypher query and return structural information without requiring a schema.\n\n"
    "Example::\n\n"
    "    info = parse_query(\"MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.name\")\n"
    "    info.is_valid        # True\n"
    "    info.labels_used     # [\"Movie\", \"Person\"]\n"
    "    info.rel_types_used  # [\"ACTED_IN\"]\n"
    "    info.properties_used # [\"name\"]"};

}  // namespace qarvex::py
