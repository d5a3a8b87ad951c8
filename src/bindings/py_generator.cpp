// The Python class CypherGenerator: random queries from a schema copy and a seed.
#include <array>
#include <cstdint>
#include <new>
#include <optional>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/types.hpp"

namespace qarvex::py {
namespace {

struct GeneratorObject {
  PyObject_HEAD
  Schema schema;
  std::optional<std::uint64_t> seed;
};

GeneratorObject* as_generator(PyObject* self) { return reinterpret_cast<GeneratorObject*>(self); }

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
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    GeneratorObject* generator = as_generator(self);
    new (&generator->schema) Schema(*schema);
    new (&generator->seed) std::optional<std::uint64_t>(seed.value);
    return self;
  });
}

void generator_dealloc(PyObject* self) {
  as_generator(self)->schema.~Schema();
  free_instance(self);
}

PyObject* generator_repr(PyObject*) { return new_str("CypherGenerator()"); }

PyMethodDef methods[] = {
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
