// The Python class CypherGenerator: random queries from a schema copy and a seed.
#include <array>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <variant>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/types.hpp"
#include "generator/query_generator.hpp"

namespace qarvex::py {
namespace {

struct GeneratorObject {
  PyObject_HEAD
  QueryGenerator generator;
};

QueryGenerator& generator_of(PyObject* self) {
  return reinterpret_cast<GeneratorObject*>(self)->generator;
}

std::optional<QueryGenerator> build_generator(const Schema& schema,
                                              std::optional<std::uint64_t> seed) {
  if (seed) return QueryGenerator::seeded(schema, *seed);
  std::optional<QueryGenerator> generator = QueryGenerator::from_os(schema);
  if (!generator) PyErr_SetFromErrno(PyExc_OSError);
  return generator;
}

PyObject* generator_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 2> names{"schema", "seed"};
    static constexpr Signature signature{"CypherGenerator.__new__()", names, 1};
    PyObject* values[2];
    if (!bind_tuple(signature, args, kwargs, values)) return nullptr;
    const Schema* schema = to_schema(values[0], "schema");
    if (schema == nullptr) return nullptr;
    OptionalUnsigned seed = to_optional_unsigned(values[1], "seed");
    if (!seed.ok) return nullptr;
    std::optional<QueryGenerator> generator = build_generator(*schema, seed.value);
    if (!generator) return nullptr;
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    new (&generator_of(self)) QueryGenerator(std::move(*generator));
    return self;
  });
}

void generator_dealloc(PyObject* self) {
  generator_of(self).~QueryGenerator();
  free_instance(self);
}

// The type named `name`, or null with the ValueError that generate raises for it.
const QueryType* resolve_type(std::string_view name) {
  const QueryType* type = find_query_type(name);
  if (type == nullptr) raise_value_error(unknown_query_type(name).text());
  return type;
}

PyObject* generate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 1> names{"query_type"};
    static constexpr Signature signature{"CypherGenerator.generate()", names, 1};
    PyObject* value = nullptr;
    if (!bind_fastcall(signature, args, nargs, kwnames, &value)) return nullptr;
    std::optional<std::string_view> type_name = to_string(value, "query_type");
    if (!type_name) return nullptr;
    std::variant<std::string, ModuleError> query = generator_of(self).generate(*type_name);
    if (const ModuleError* error = std::get_if<ModuleError>(&query)) {
      raise_value_error(error->text());
      return nullptr;
    }
    return new_str(std::get<std::string>(query));
  });
}

// A long batch still answers Ctrl-C; checking every query would cost more than it is worth.
constexpr Py_ssize_t signal_check_interval = 1 << 16;

PyObject* generate_batch(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 2> names{"query_type", "n"};
    static constexpr Signature signature{"CypherGenerator.generate_batch()", names, 2};
    PyObject* values[2];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return nullptr;
    std::optional<std::string_view> type_name = to_string(values[0], "query_type");
    if (!type_name) return nullptr;
    std::optional<std::uint64_t> count = to_unsigned(values[1], "n");
    if (!count) return nullptr;
    if (*count == 0) return PyList_New(0);
    // Resolved before the list is made: an unknown type fails at the first query anyway, and
    // a huge n must not allocate first.
    const QueryType* type = resolve_type(*type_name);
    if (type == nullptr) return nullptr;
    if (*count > static_cast<std::uint64_t>(PY_SSIZE_T_MAX)) return PyErr_NoMemory();
    const Py_ssize_t size = static_cast<Py_ssize_t>(*count);
    PyRef list = PyRef::steal(PyList_New(size));
    if (!list) return nullptr;
    QueryGenerator& generator = generator_of(self);
    for (Py_ssize_t i = 0; i < size; ++i) {
      if (i % signal_check_interval == signal_check_interval - 1 && PyErr_CheckSignals() < 0) {
        return nullptr;
      }
      PyObject* text = new_str(generator.generate(*type));
      if (text == nullptr) return nullptr;
      PyList_SET_ITEM(list.get(), i, text);
    }
    return list.release();
  });
}

PyObject* supported_types(PyObject*, PyObject*) {
  return guarded([]() -> PyObject* {
    PyRef list = PyRef::steal(PyList_New(query_type_count));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < query_type_count; ++i) {
      PyObject* name = new_str(query_types()[i].name);
      if (name == nullptr) return nullptr;
      PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), name);
    }
    return list.release();
  });
}

PyObject* generator_repr(PyObject*) { return new_str("CypherGenerator()"); }

PyMethodDef methods[] = {
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

PyType_Slot slots[] = {
    {Py_tp_new, reinterpret_cast<void*>(generator_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(generator_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(generator_repr)},
    {Py_tp_methods, methods},
    {Py_tp_doc, const_cast<char*>("CypherGenerator(schema, seed=None)\n--\n\n")},
    {0, nullptr},
};

PyType_Spec spec{"builtins.CypherGenerator", sizeof(GeneratorObject), 0, class_flags, slots};

}  // namespace

PyTypeObject* cypher_generator_type() {
  static PyTypeObject* type = nullptr;
  return cached_type(type, spec);
}

}  // namespace qarvex::py
