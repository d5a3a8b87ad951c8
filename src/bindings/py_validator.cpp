// The Python class Qarvex: a validator bound to its own copy of a schema.
#include <array>
#include <new>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/types.hpp"

namespace qarvex::py {
namespace {

struct QarvexObject {
  PyObject_HEAD
  Schema schema;
};

QarvexObject* as_validator(PyObject* self) { return reinterpret_cast<QarvexObject*>(self); }

PyObject* qarvex_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 1> names{"schema"};
    static constexpr Signature signature{"Qarvex.__new__()", names, 1};
    PyObject* value = nullptr;
    if (!bind_tuple(signature, args, kwargs, &value)) return nullptr;
    const Schema* schema = to_schema(value, "schema");
    if (schema == nullptr) return nullptr;
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    new (&as_validator(self)->schema) Schema(*schema);
    return self;
  });
}

void qarvex_dealloc(PyObject* self) {
  as_validator(self)->schema.~Schema();
  free_instance(self);
}

PyObject* get_schema(PyObject* self, void*) {
  return guarded([&] { return new_schema_object(as_validator(self)->schema); });
}

PyObject* qarvex_repr(PyObject*) { return new_str("Qarvex()"); }

PyGetSetDef getters[] = {
    {"schema", get_schema, nullptr, "The schema this validator was constructed with.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef methods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_new, reinterpret_cast<void*>(qarvex_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(qarvex_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(qarvex_repr)},
    {Py_tp_getset, getters},
    {Py_tp_methods, methods},
    {Py_tp_doc, const_cast<char*>("Qarvex(schema)\n--\n\n")},
    {0, nullptr},
};

PyType_Spec spec{"builtins.Qarvex", sizeof(QarvexObject), 0, class_flags, slots};

}  // namespace

PyTypeObject* qarvex_type() {
  static PyTypeObject* type = nullptr;
  return cached_type(type, spec);
}

}  // namespace qarvex::py
