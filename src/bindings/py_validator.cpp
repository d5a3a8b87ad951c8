// The Python class Qarvex: a validator bound to its own copy of a schema.
#include <array>
#include <new>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/py_validation_result.hpp"
#include "bindings/types.hpp"
#include "validator/batch.hpp"
#include "validator/validate_query.hpp"

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

PyObject* validate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 1> names{"query"};
    static constexpr Signature signature{"Qarvex.validate()", names, 1};
    PyObject* value = nullptr;
    if (!bind_fastcall(signature, args, nargs, kwnames, &value)) return nullptr;
    std::optional<std::string_view> query = to_string(value, "query");
    if (!query) return nullptr;
    return new_validation_result(validate_query(as_validator(self)->schema, *query));
  });
}

PyObject* results_list(std::vector<ValidationResult>& results) {
  PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(results.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < results.size(); ++i) {
    PyObject* item = new_validation_result(std::move(results[i]));
    if (item == nullptr) return nullptr;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

PyObject* validate_batch(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    static constexpr std::array<const char*, 1> names{"queries"};
    static constexpr Signature signature{"Qarvex.validate_batch()", names, 1};
    PyObject* value = nullptr;
    if (!bind_fastcall(signature, args, nargs, kwnames, &value)) return nullptr;
    std::optional<std::vector<std::string>> queries = to_string_list(value, "queries");
    if (!queries) return nullptr;
    const Schema& schema = as_validator(self)->schema;
    BatchOutcome outcome;
    Py_BEGIN_ALLOW_THREADS
    outcome = validate_all(schema, *queries);
    Py_END_ALLOW_THREADS
    // A fault inside a worker is raised here, with the interpreter lock held again.
    if (outcome.fault) std::rethrow_exception(outcome.fault);
    return results_list(outcome.results);
  });
}

PyGetSetDef getters[] = {
    {"schema", get_schema, nullptr, "The schema this validator was constructed with.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef methods[] = {
    {"validate", as_method(validate), METH_FASTCALL | METH_KEYWORDS, "validate($self, query)\n--\n\n"},
    {"validate_batch", as_method(validate_batch), METH_FASTCALL | METH_KEYWORDS,
     "validate_batch($self, queries)\n--\n\n"
     "Validate multiple queries at once and return one ``ValidationResult`` per query.\n\n"
     "Queries are validated in parallel (via Rayon) and the Python GIL is released\n"
     "for the duration of the batch, so other Python threads (e.g. asyncio event loop)\n"
     "are not blocked."},
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
