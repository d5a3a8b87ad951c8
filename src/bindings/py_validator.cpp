// The Python class Qarvex: a validator bound to its own copy of a schema.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/py_validation_result.hpp"
#include "bindings/types.hpp"
#include "validator/batch.hpp"
#include "validator/validate_query.hpp"

namespace qarvex::py {
namespace {

// A validator holds its own copy of the schema it was constructed with, and its dialect.
struct ValidatorValue {
  Schema schema;
  Dialect dialect;
};

const ValidatorValue& validator_of(PyObject* self) { return value_of<ValidatorValue>(self); }
const Schema& schema_of(PyObject* self) { return validator_of(self).schema; }

PyObject* qarvex_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&] {
    static constexpr const char* names[] = {"schema", "dialect"};
    static constexpr Signature signature{"Qarvex.__new__()", names, 1, 1};
    PyObject* values[2];
    if (!bind_tuple(signature, args, kwargs, values)) return PyRef();
    const Schema* schema = to_schema(values[0], "schema");
    if (schema == nullptr) return PyRef();
    std::optional<Dialect> dialect = to_dialect(values[1], "dialect");
    if (!dialect) return PyRef();
    return new_instance(type, ValidatorValue{*schema, *dialect});
  });
}

PyObject* get_schema(PyObject* self, void*) {
  return guarded([&] { return new_schema_object(schema_of(self)); });
}

PyObject* get_dialect(PyObject* self, void*) {
  return guarded([&] { return new_str(dialect_name(validator_of(self).dialect)); });
}

// The core dialect is the default, so only another one is shown.
PyObject* qarvex_repr(PyObject* self) {
  return guarded([&] {
    Dialect dialect = validator_of(self).dialect;
    if (dialect == Dialect::core) return new_str("Qarvex()");
    return new_str("Qarvex(dialect='" + std::string(dialect_name(dialect)) + "')");
  });
}

PyObject* validate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> query =
        bind_single_string("Qarvex.validate()", "query", args, nargs, kwnames);
    if (!query) return PyRef();
    const ValidatorValue& validator = validator_of(self);
    return new_validation_result(validate_query(validator.schema, *query, validator.dialect));
  });
}

PyObject* validate_batch(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    PyObject* value = bind_single("Qarvex.validate_batch()", "queries", args, nargs, kwnames);
    if (value == nullptr) return PyRef();
    std::optional<std::vector<std::string>> queries = to_string_list(value, "queries");
    if (!queries) return PyRef();
    const ValidatorValue& validator = validator_of(self);
    BatchOutcome outcome;
    Py_BEGIN_ALLOW_THREADS
    outcome = validate_all(validator.schema, *queries, validator.dialect);
    Py_END_ALLOW_THREADS
    // A fault inside a worker is raised here, with the interpreter lock held again.
    if (outcome.fault) std::rethrow_exception(outcome.fault);
    return new_list(outcome.results, [](ValidationResult& result) {
      return new_validation_result(std::move(result));
    });
  });
}

PyGetSetDef getters[] = {
    {"schema", get_schema, nullptr, "The schema this validator was constructed with.", nullptr},
    {"dialect", get_dialect, nullptr, "The Cypher dialect queries are read in: 'core' or 'neo4j'.",
     nullptr},
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

auto slots = class_slots<ValidatorValue>(
    slot(Py_tp_new, qarvex_new), slot(Py_tp_repr, qarvex_repr), slot(Py_tp_getset, getters),
    slot(Py_tp_methods, methods), doc_slot("Qarvex(schema, *, dialect='core')\n--\n\n"));

}  // namespace

PyType_Spec qarvex_spec = class_spec<ValidatorValue>("builtins.Qarvex", class_flags, slots);

}  // namespace qarvex::py
