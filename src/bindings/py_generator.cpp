// The Python class CypherGenerator: random queries from a schema copy and a seed.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
#include "bindings/pickle_payload.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/signals.hpp"
#include "bindings/types.hpp"
#include "generator/query_generator.hpp"

namespace qarvex::py {
namespace {

QueryGenerator& generator_of(PyObject* self) { return value_of<QueryGenerator>(self); }

std::optional<QueryGenerator> build_generator(const Schema& schema,
                                              std::optional<std::uint64_t> seed) {
  if (seed) return QueryGenerator::seeded(schema, *seed);
  std::optional<QueryGenerator> generator = QueryGenerator::from_os(schema);
  if (!generator) PyErr_SetFromErrno(PyExc_OSError);
  return generator;
}

PyObject* generator_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 2> names{"schema", "seed"};
    static constexpr Signature signature{"CypherGenerator.__new__()", names, 1};
    PyObject* values[2];
    if (!bind_tuple(signature, args, kwargs, values)) return PyRef();
    const Schema* schema = to_schema(values[0], "schema");
    if (schema == nullptr) return PyRef();
    OptionalUnsigned seed = to_optional_unsigned(values[1], "seed");
    if (!seed.ok) return PyRef();
    std::optional<QueryGenerator> generator = build_generator(*schema, seed.value);
    if (!generator) return PyRef();
    return new_instance(type, std::move(*generator));
  });
}

// The type named `name`, or null with the ValueError that generate raises for it.
const QueryType* resolve_type(std::string_view name) {
  const QueryType* type = find_query_type(name);
  if (type == nullptr) raise_value_error(unknown_query_type(name).text());
  return type;
}

PyObject* generate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> type_name =
        bind_single_string("CypherGenerator.generate()", "query_type", args, nargs, kwnames);
    if (!type_name) return PyRef();
    std::variant<std::string, ModuleError> query = generator_of(self).generate(*type_name);
    if (const ModuleError* error = std::get_if<ModuleError>(&query)) {
      raise_value_error(error->text());
      return PyRef();
    }
    return new_str(std::get<std::string>(query));
  });
}

PyObject* generate_batch(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 2> names{"query_type", "n"};
    static constexpr Signature signature{"CypherGenerator.generate_batch()", names, 2};
    PyObject* values[2];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    std::optional<std::string_view> type_name = to_string(values[0], "query_type");
    if (!type_name) return PyRef();
    std::optional<std::uint64_t> count = to_unsigned(values[1], "n");
    if (!count) return PyRef();
    if (*count == 0) return PyRef::steal(PyList_New(0));
    // Resolved before the list is made: an unknown type fails at the first query anyway, and
    // a huge n must not allocate first.
    const QueryType* type = resolve_type(*type_name);
    if (type == nullptr) return PyRef();
    if (*count > static_cast<std::uint64_t>(PY_SSIZE_T_MAX)) return PyRef::steal(PyErr_NoMemory());
    const Py_ssize_t size = static_cast<Py_ssize_t>(*count);
    PyRef list = PyRef::steal(PyList_New(size));
    if (!list) return PyRef();
    QueryGenerator& generator = generator_of(self);
    for (Py_ssize_t i = 0; i < size; ++i) {
      if (!signals_allow(static_cast<std::size_t>(i))) return release_partial_list(std::move(list), i);
      PyRef text = new_str(generator.generate(*type));
      if (!text) return release_partial_list(std::move(list), i);
      PyList_SET_ITEM(list.get(), i, text.release());
    }
    return list;
  });
}

PyObject* supported_types(PyObject*, PyObject*) {
  return guarded([] {
    return new_list(query_types(), [](const QueryType& type) { return new_str(type.name); });
  });
}

PyObject* generator_repr(PyObject*) { return new_str("CypherGenerator()").release(); }

// The payload is the schema and the four words of the random state, so a restored generator
// continues the sequence exactly where this one stands.
PyObject* generator_reduce(PyObject* self, PyObject*) {
  return guarded([&] {
    const QueryGenerator& generator = generator_of(self);
    const RandomState& words = generator.random().state();
    PyRef state = PyRef::steal(Py_BuildValue("(KKKK)", words[0], words[1], words[2], words[3]));
    return reduce_to(ClassId::CypherGenerator, new_schema_json(generator.schema()), state);
  });
}

std::optional<Random> random_from(const PayloadReader& reader, PyObject* object) {
  auto items = reader.tuple(object, "state", 4);
  if (!items) return std::nullopt;
  RandomState state{};
  for (std::size_t i = 0; i < state.size(); ++i) {
    std::optional<std::uint64_t> word = reader.unsigned_value((*items)[i], "state");
    if (!word) return std::nullopt;
    state[i] = *word;
  }
  std::optional<Random> random = Random::from_state(state);
  if (!random) reader.fail("state", "must not be all zero");
  return random;
}

PyObject* restore_generator(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                            PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 2> names{"schema_json", "state"};
    static constexpr Signature signature{"_restore_cypher_generator()", names, 2};
    PyObject* values[2];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    const PayloadReader reader(ClassId::CypherGenerator);
    std::optional<Schema> schema = reader.schema(values[0], "schema_json");
    if (!schema) return PyRef();
    std::optional<Random> random = random_from(reader, values[1]);
    if (!random) return PyRef();
    return new_instance(ClassId::CypherGenerator, QueryGenerator(*schema, *random));
  });
}

PyMethodDef methods[] = {
    {"__reduce__", generator_reduce, METH_NOARGS, nullptr},
    {"generate", as_method(generate), METH_FASTCALL | METH_KEYWORDS,
     "generate($self, query_type)\n--\n\n"},
    {"generate_batch", as_method(generate_batch), METH_FASTCALL | METH_KEYWORDS,
     "generate_batch($self, query_type, n)\n--\n\n"
     "Generate *n* queries of the given type in a single call.\n\n"
     "Equivalent to calling :meth:`generate` *n* times but avoids per-call\n"
     "Python overhead.\n\n"
     "Parameters\n"
     "----------\n"
     "query_type:\n"
     "    One of the types returned by :meth:`supported_types`.\n"
     "n:\n"
     "    Number of queries to generate.\n\n"
     "Returns\n"
     "-------\n"
     "list[str]\n"
     "    Generated Cypher query strings.\n\n"
     "Raises\n"
     "------\n"
     "ValueError\n"
     "    If *query_type* is not supported."},
    {"supported_types", supported_types, METH_NOARGS | METH_STATIC, "supported_types()\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

auto slots = class_slots<QueryGenerator>(
    slot(Py_tp_new, generator_new), slot(Py_tp_repr, generator_repr),
    slot(Py_tp_methods, methods), doc_slot("CypherGenerator(schema, seed=None)\n--\n\n"));

}  // namespace

PyType_Spec cypher_generator_spec =
    class_spec<QueryGenerator>("builtins.CypherGenerator", class_flags, slots);

PyMethodDef restore_cypher_generator_def = {
    "_restore_cypher_generator", as_method(restore_generator), METH_FASTCALL | METH_KEYWORDS,
    "_restore_cypher_generator(schema_json, state)\n--\n\n"
    "Rebuild a pickled CypherGenerator from its schema and random state."};

}  // namespace qarvex::py
