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

// The constructor's keyword options, as the pickle payload's options dict also holds them.
struct ValidatorOptions {
  Dialect dialect = Dialect::core;
  Guardrails guardrails;
};

// A validator holds its own copy of the schema it was constructed with, its names indexed, and
// its options.
struct ValidatorValue {
  IndexedSchema indexed;
  ValidatorOptions options;
};

const ValidatorValue& validator_of(PyObject* self) { return value_of<ValidatorValue>(self); }
const Schema& schema_of(PyObject* self) { return validator_of(self).indexed.schema; }

PyObject* qarvex_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&] {
    static constexpr const char* names[] = {"schema", "dialect", "read_only",
                                            "allowed_procedures"};
    static constexpr Signature signature{"Qarvex.__new__()", names, 1, 3};
    PyObject* values[4];
    if (!bind_tuple(signature, args, kwargs, values)) return PyRef();
    const Schema* schema = to_schema(values[0], "schema");
    if (schema == nullptr) return PyRef();
    std::optional<Dialect> dialect = to_dialect(values[1], "dialect");
    if (!dialect) return PyRef();
    std::optional<bool> read_only = to_flag(values[2], "read_only");
    if (!read_only) return PyRef();
    OptionalAllowList allowed = to_allow_list(values[3], "allowed_procedures");
    if (!allowed.ok) return PyRef();
    ValidatorOptions options{*dialect, Guardrails{*read_only, std::move(allowed.value)}};
    return new_instance(type, ValidatorValue{IndexedSchema(*schema), std::move(options)});
  });
}

PyObject* get_schema(PyObject* self, void*) {
  return guarded([&] { return new_schema_object(schema_of(self)); });
}

const Guardrails& guardrails_of(PyObject* self) { return validator_of(self).options.guardrails; }

PyObject* get_dialect(PyObject* self, void*) {
  return guarded([&] { return new_str(dialect_name(validator_of(self).options.dialect)); });
}

PyObject* get_read_only(PyObject* self, void*) {
  return new_bool(guardrails_of(self).read_only).release();
}

// None, or the entries as a tuple sorted by UTF-8 bytes.
PyRef new_allowed_procedures(const Guardrails& guardrails) {
  if (!guardrails.allowed_procedures) return PyRef::borrow(Py_None);
  PyRef list = new_str_list(guardrails.allowed_procedures->entries());
  return list ? PyRef::steal(PyList_AsTuple(list.get())) : PyRef();
}

PyObject* get_allowed_procedures(PyObject* self, void*) {
  return guarded([&] { return new_allowed_procedures(guardrails_of(self)); });
}

// Only the options that differ from their defaults are shown, as keyword arguments.
PyObject* qarvex_repr(PyObject* self) {
  return guarded([&]() -> PyRef {
    const ValidatorOptions& options = validator_of(self).options;
    std::string text = "Qarvex(";
    auto separate = [&] {
      if (text.back() != '(') text += ", ";
    };
    if (options.dialect != Dialect::core) {
      text += "dialect='" + std::string(dialect_name(options.dialect)) + "'";
    }
    if (options.guardrails.read_only) {
      separate();
      text += "read_only=True";
    }
    if (options.guardrails.allowed_procedures) {
      PyRef entries = new_allowed_procedures(options.guardrails);
      PyRef shown = entries ? PyRef::steal(PyObject_Repr(entries.get())) : PyRef();
      const char* utf8 = shown ? PyUnicode_AsUTF8(shown.get()) : nullptr;
      if (utf8 == nullptr) return PyRef();
      separate();
      text += "allowed_procedures=";
      text += utf8;
    }
    return new_str(text + ")");
  });
}

PyObject* validate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> query =
        bind_single_string("Qarvex.validate()", "query", args, nargs, kwnames);
    if (!query) return PyRef();
    const ValidatorValue& validator = validator_of(self);
    return new_validation_result(validate_query(validator.indexed.schema, validator.indexed.names,
                                                *query, validator.options.dialect,
                                                validator.options.guardrails));
  });
}

PyObject* feedback(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] {
    std::optional<std::string_view> query =
        bind_single_string("Qarvex.feedback()", "query", args, nargs, kwnames);
    if (!query) return PyRef();
    const ValidatorValue& validator = validator_of(self);
    return new_str(feedback_text(validator.indexed.schema, validator.indexed.names, *query,
                                 validator.options.dialect, validator.options.guardrails));
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
      outcome = validate_all(validator.indexed, *queries, &watch, validator.options.dialect,
                             validator.options.guardrails);
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
// pickles readable. The guardrails join the dict only when set, so that a validator without
// them pickles as before and older versions still read it.
PyObject* qarvex_reduce(PyObject* self, PyObject*) {
  return guarded([&]() -> PyRef {
    const ValidatorOptions& options = validator_of(self).options;
    std::string_view dialect = dialect_name(options.dialect);
    PyRef dict = PyRef::steal(Py_BuildValue("{ss#}", "dialect", dialect.data(),
                                            static_cast<Py_ssize_t>(dialect.size())));
    if (!dict) return dict;
    if (options.guardrails.read_only &&
        PyDict_SetItemString(dict.get(), "read_only", Py_True) < 0) {
      return PyRef();
    }
    if (options.guardrails.allowed_procedures) {
      PyRef entries = new_allowed_procedures(options.guardrails);
      if (!entries || PyDict_SetItemString(dict.get(), "allowed_procedures", entries.get()) < 0) {
        return PyRef();
      }
    }
    return reduce_to(ClassId::Qarvex, new_schema_json(schema_of(self)), dict);
  });
}

bool restore_dialect(const PayloadReader& reader, PyObject* value, ValidatorOptions& options) {
  std::optional<std::string_view> text = reader.text(value, "the dialect");
  if (!text) return false;
  std::optional<Dialect> named = dialect_by_name(*text);
  if (!named) {
    raise_value_error("Unknown dialect: '" + std::string(*text) + "'; expected 'core' or 'neo4j'");
    return false;
  }
  options.dialect = *named;
  return true;
}

bool restore_allow_list(const PayloadReader& reader, PyObject* value, ValidatorOptions& options) {
  if (value == Py_None) return true;
  std::optional<std::vector<std::string>> entries = reader.texts(value, "allowed_procedures");
  if (!entries) return false;
  for (const std::string& entry : *entries) {
    if (std::optional<std::string_view> problem = allow_list_entry_problem(entry)) {
      return reader.fail("allowed_procedures", "holds " + std::string(*problem));
    }
  }
  options.guardrails.allowed_procedures.emplace(std::move(*entries));
  return true;
}

// The options the dict names (each left out is its default), or none with the error set.
std::optional<ValidatorOptions> restore_options(const PayloadReader& reader, PyObject* dict) {
  if (!PyDict_Check(dict)) return reader.fail("options", "must be a dict"), std::nullopt;
  ValidatorOptions options;
  Py_ssize_t position = 0;
  PyObject* key = nullptr;
  PyObject* value = nullptr;
  while (PyDict_Next(dict, &position, &key, &value)) {
    std::optional<std::string_view> name = reader.text(key, "an option name");
    if (!name) return std::nullopt;
    bool restored = false;
    if (*name == "dialect") {
      restored = restore_dialect(reader, value, options);
    } else if (*name == "read_only") {
      std::optional<bool> flag = reader.flag(value, "read_only");
      if (flag) options.guardrails.read_only = *flag;
      restored = flag.has_value();
    } else if (*name == "allowed_procedures") {
      restored = restore_allow_list(reader, value, options);
    } else {
      reader.fail("options", "has an unknown option '" + std::string(*name) + "'");
    }
    if (!restored) return std::nullopt;
  }
  return options;
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
    std::optional<ValidatorOptions> options = restore_options(reader, values[1]);
    if (!options) return PyRef();
    return new_instance(ClassId::Qarvex,
                        ValidatorValue{IndexedSchema(std::move(*schema)), std::move(*options)});
  });
}

PyGetSetDef getters[] = {
    {"schema", get_schema, nullptr, "The schema this validator was constructed with.", nullptr},
    {"dialect", get_dialect, nullptr, "The Cypher dialect queries are read in: 'core' or 'neo4j'.",
     nullptr},
    {"read_only", get_read_only, nullptr,
     "True if clauses that change the graph (and LOAD CSV) are errors.", nullptr},
    {"allowed_procedures", get_allowed_procedures, nullptr,
     "The procedures queries may call (names, or namespaces as 'db.*'), sorted; None allows "
     "every procedure.",
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
    slot(Py_tp_methods, methods), doc_slot("Qarvex(schema, *, dialect='core', read_only=False, allowed_procedures=None)\n--\n\n"));

}  // namespace

PyType_Spec qarvex_spec = class_spec<ValidatorValue>("builtins.Qarvex", class_flags, slots);

PyMethodDef restore_qarvex_def = {"_restore_qarvex", as_method(restore_qarvex),
                                  METH_FASTCALL | METH_KEYWORDS,
                                  "_restore_qarvex(schema_json, options)\n--\n\n"
                                  "Rebuild a pickled Qarvex from its schema and options."};

}  // namespace qarvex::py
