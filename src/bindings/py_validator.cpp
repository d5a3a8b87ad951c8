// The Python class Qarvex: a validator bound to its own copy of a schema.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/memory.hpp"
#include "bindings/args.hpp"
#include "bindings/convert.hpp"
#include "bindings/errors.hpp"
#include "bindings/instance.hpp"
#include "bindings/pickle_payload.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/py_validation_result.hpp"
#include "bindings/signals.hpp"
#include "bindings/types.hpp"
#include "validator/batch.hpp"
#include "validator/feedback.hpp"
#include "validator/validate_query.hpp"

namespace qarvex::py {
namespace {

// A validator holds its own copy of the schema it was constructed with, its names indexed, and
// its dialect.
struct ValidatorValue {
  IndexedSchema indexed;
  Dialect dialect;
};

const ValidatorValue& validator_of(PyObject* self) { return value_of<ValidatorValue>(self); }
const Schema& schema_of(PyObject* self) { return validator_of(self).indexed.schema; }

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
    return new_instance(type, ValidatorValue{IndexedSchema(*schema), *dialect});
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
    return new_validation_result(validate_query(validator.indexed.schema, validator.indexed.names,
                                                *query, validator.dialect));
  });
}

PyObject* feedback(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> query =
        bind_single_string("Qarvex.feedback()", "query", args, nargs, kwnames);
    if (!query) return PyRef();
    const ValidatorValue& validator = validator_of(self);
    return new_str(feedback_text(validator.indexed.schema, validator.indexed.names, *query,
                                 validator.dialect));
  });
}

// From this many queries on, the memory a batch leaves in the workers' arenas is returned to
// the system once its results are released; a smaller batch leaves too little to be worth
// the few milliseconds that takes.
constexpr std::size_t large_batch = 10000;

PyObject* validate_batch(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    PyObject* value = bind_single("Qarvex.validate_batch()", "queries", args, nargs, kwnames);
    if (value == nullptr) return PyRef();
    // Declared before the batch's own data, so that it goes after them when nothing else
    // holds it: a batch that ends without results returns its memory at once.
    std::shared_ptr<const FreeMemoryOnRelease> batch_memory;
    std::optional<TextList> queries = to_text_list(value, "queries");
    if (!queries) return PyRef();
    if (queries->size() >= large_batch) batch_memory = std::make_shared<FreeMemoryOnRelease>();
    const ValidatorValue& validator = validator_of(self);
    BatchOutcome outcome;
    bool interrupted = false;
    {
      ReleasedLock released;
      BatchWatch watch = released.watch();
      outcome = validate_all(validator.indexed, *queries, &watch, validator.dialect);
      interrupted = released.interrupted();
    }
    if (interrupted) return PyRef();
    // A fault inside a worker is raised here, with the interpreter lock held again.
    if (outcome.fault) std::rethrow_exception(outcome.fault);
    return new_interruptible_list(outcome.results, [&](ValidationResult& result) {
      return new_validation_result(std::move(result), batch_memory);
    });
  });
}

// The payload is the schema and a dict of options, so that options added later leave older
// pickles readable.
PyObject* qarvex_reduce(PyObject* self, PyObject*) {
  return guarded([&] {
    std::string_view dialect = dialect_name(validator_of(self).dialect);
    PyRef options = PyRef::steal(Py_BuildValue("{ss#}", "dialect", dialect.data(),
                                               static_cast<Py_ssize_t>(dialect.size())));
    return reduce_to(ClassId::Qarvex, new_schema_json(schema_of(self)), options);
  });
}

// The dialect the options name (core when they name none), or none with the error set.
std::optional<Dialect> restore_options(const PayloadReader& reader, PyObject* options) {
  if (!PyDict_Check(options)) return reader.fail("options", "must be a dict"), std::nullopt;
  Dialect dialect = Dialect::core;
  Py_ssize_t position = 0;
  PyObject* key = nullptr;
  PyObject* value = nullptr;
  while (PyDict_Next(options, &position, &key, &value)) {
    std::optional<std::string_view> name = reader.text(key, "an option name");
    if (!name) return std::nullopt;
    if (*name != "dialect") {
      reader.fail("options", "has an unknown option '" + std::string(*name) + "'");
      return std::nullopt;
    }
    std::optional<std::string_view> text = reader.text(value, "the dialect");
    if (!text) return std::nullopt;
    std::optional<Dialect> named = dialect_by_name(*text);
    if (!named) {
      raise_value_error("Unknown dialect: '" + std::string(*text) + "'; expected 'core' or 'neo4j'");
      return std::nullopt;
    }
    dialect = *named;
  }
  return dialect;
}

PyObject* restore_qarvex(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyRef {
    static constexpr std::array<const char*, 2> names{"schema_json", "options"};
    static constexpr Signature signature{"_restore_qarvex()", names, 2};
    PyObject* values[2];
    if (!bind_fastcall(signature, args, nargs, kwnames, values)) return PyRef();
    const PayloadReader reader(ClassId::Qarvex);
    std::optional<Schema> schema = reader.schema(values[0], "schema_json");
    if (!schema) return PyRef();
    std::optional<Dialect> dialect = restore_options(reader, values[1]);
    if (!dialect) return PyRef();
    return new_instance(ClassId::Qarvex, ValidatorValue{IndexedSchema(std::move(*schema)), *dialect});
  });
}

PyGetSetDef getters[] = {
    {"schema", get_schema, nullptr, "The schema this validator was constructed with.", nullptr},
    {"dialect", get_dialect, nullptr, "The Cypher dialect queries are read in: 'core' or 'neo4j'.",
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef methods[] = {
    {"__reduce__", qarvex_reduce, METH_NOARGS, nullptr},
    {"validate", as_method(validate), METH_FASTCALL | METH_KEYWORDS, "validate($self, query)\n--\n\n"},
    {"feedback", as_method(feedback), METH_FASTCALL | METH_KEYWORDS,
     "feedback($self, query)\n--\n\n"
     "A compact text for a language model's next attempt at ``query``: each error with\n"
     "its message and the names that may stand in its place, then the corrected query\n"
     "when there is one. Empty when the query is valid; warnings are left out."},
    {"validate_batch", as_method(validate_batch), METH_FASTCALL | METH_KEYWORDS,
     "validate_batch($self, queries)\n--\n\n"
     "Validate multiple queries at once and return one ``ValidationResult`` per query.\n\n"
     "Queries are validated in parallel (on the module's own worker pool, one thread\n"
     "per logical processor) and the Python GIL is released\n"
     "for the duration of the batch, so other Python threads (e.g. asyncio event loop)\n"
     "are not blocked."},
    {nullptr, nullptr, 0, nullptr},
};

auto slots = class_slots<ValidatorValue>(
    slot(Py_tp_new, qarvex_new), slot(Py_tp_repr, qarvex_repr), slot(Py_tp_getset, getters),
    slot(Py_tp_methods, methods), doc_slot("Qarvex(schema, *, dialect='core')\n--\n\n"));

}  // namespace

PyType_Spec qarvex_spec = class_spec<ValidatorValue>("builtins.Qarvex", class_flags, slots);

PyMethodDef restore_qarvex_def = {"_restore_qarvex", as_method(restore_qarvex),
                                  METH_FASTCALL | METH_KEYWORDS,
                                  "_restore_qarvex(schema_json, options)\n--\n\n"
                                  "Rebuild a pickled Qarvex from its schema and options."};

}  // namespace qarvex::py
