#include "bindings/args.hpp"

#include <string>

#include "bindings/errors.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/py_schema.hpp"
#include "bindings/signals.hpp"

namespace qarvex::py {
namespace {

std::string quoted_names(const std::vector<const char*>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
    text += '\'';
    text += names[i];
    text += '\'';
  }
  return text;
}

void raise_too_many(const Signature& signature, Py_ssize_t given) {
  std::size_t max = signature.parameters.size() - signature.keyword_only;
  std::string text = std::string(signature.function) + " takes ";
  if (signature.required == max) {
    text += std::to_string(max);
  } else {
    text += "from " + std::to_string(signature.required) + " to " + std::to_string(max);
  }
  text += " positional arguments but " + std::to_string(given) + (given == 1 ? " was" : " were") +
          " given";
  raise_type_error(text);
}

bool check_missing(const Signature& signature, PyObject** out) {
  std::vector<const char*> missing;
  for (std::size_t i = 0; i < signature.required; ++i) {
    if (out[i] == nullptr) missing.push_back(signature.parameters[i]);
  }
  if (missing.empty()) return true;
  raise_type_error(std::string(signature.function) + " missing " + std::to_string(missing.size()) +
                   " required positional " + (missing.size() == 1 ? "argument" : "arguments") +
                   ": " + quoted_names(missing));
  return false;
}

// Places one keyword argument; `positional` is how many slots were filled by position.
bool bind_keyword(const Signature& signature, PyObject* name, PyObject* value, PyObject** out) {
  Py_ssize_t length = 0;
  const char* text = PyUnicode_AsUTF8AndSize(name, &length);
  if (text == nullptr) return false;
  std::string_view key(text, static_cast<std::size_t>(length));
  for (std::size_t i = 0; i < signature.parameters.size(); ++i) {
    if (key != signature.parameters[i]) continue;
    if (out[i] != nullptr) {
      raise_type_error(std::string(signature.function) + " got multiple values for argument '" +
                       std::string(key) + "'");
      return false;
    }
    out[i] = value;
    return true;
  }
  raise_type_error(std::string(signature.function) + " got an unexpected keyword argument '" +
                   std::string(key) + "'");
  return false;
}

bool bind_positional(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                     PyObject** out) {
  for (std::size_t i = 0; i < signature.parameters.size(); ++i) out[i] = nullptr;
  if (static_cast<std::size_t>(nargs) > signature.parameters.size() - signature.keyword_only) {
    raise_too_many(signature, nargs);
    return false;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) out[i] = args[i];
  return true;
}

std::string type_name(PyObject* object) {
  PyRef name = PyRef::steal(PyType_GetQualName(Py_TYPE(object)));
  const char* text = name ? PyUnicode_AsUTF8(name.get()) : nullptr;
  if (text == nullptr) {
    PyErr_Clear();
    return Py_TYPE(object)->tp_name;
  }
  return text;
}

template <typename Value>
Value with_prefix(Value value, const char* name) {
  if (!value) prefix_argument_error(name);
  return value;
}

}  // namespace

bool bind_fastcall(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                   PyObject* kwnames, PyObject** out) {
  nargs = PyVectorcall_NARGS(nargs);
  if (!bind_positional(signature, args, nargs, out)) return false;
  Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
  for (Py_ssize_t i = 0; i < keywords; ++i) {
    if (!bind_keyword(signature, PyTuple_GET_ITEM(kwnames, i), args[nargs + i], out)) return false;
  }
  return check_missing(signature, out);
}

bool bind_tuple(const Signature& signature, PyObject* args, PyObject* kwargs, PyObject** out) {
  Py_ssize_t nargs = PyTuple_GET_SIZE(args);
  if (!bind_positional(signature, &PyTuple_GET_ITEM(args, 0), nargs, out)) return false;
  if (kwargs != nullptr) {
    Py_ssize_t position = 0;
    PyObject* name = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(kwargs, &position, &name, &value)) {
      if (!bind_keyword(signature, name, value, out)) return false;
    }
  }
  return check_missing(signature, out);
}

PyObject* bind_single(const char* function, const char* parameter, PyObject* const* args,
                      Py_ssize_t nargs, PyObject* kwnames) {
  const Signature signature{function, {&parameter, 1}, 1};
  PyObject* value = nullptr;
  return bind_fastcall(signature, args, nargs, kwnames, &value) ? value : nullptr;
}

PyObject* bind_single_tuple(const char* function, const char* parameter, PyObject* args,
                            PyObject* kwargs) {
  const Signature signature{function, {&parameter, 1}, 1};
  PyObject* value = nullptr;
  return bind_tuple(signature, args, kwargs, &value) ? value : nullptr;
}

std::optional<std::string_view> bind_single_string(const char* function, const char* parameter,
                                                   PyObject* const* args, Py_ssize_t nargs,
                                                   PyObject* kwnames) {
  PyObject* value = bind_single(function, parameter, args, nargs, kwnames);
  if (value == nullptr) return std::nullopt;
  return to_string(value, parameter);
}

void raise_cast_error(PyObject* object, std::string_view target) {
  raise_type_error("'" + type_name(object) + "' object cannot be cast as '" + std::string(target) +
                   "'");
}

void prefix_argument_error(const char* name) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
  PyObject* original = PyErr_GetRaisedException();
  PyRef cause = PyRef::steal(original);
  PyRef message = PyRef::steal(PyObject_Str(original));
  if (!message) return;
  PyRef text = PyRef::steal(PyUnicode_FromFormat("argument '%s': %U", name, message.get()));
  if (!text) return;
  PyRef error = PyRef::steal(PyObject_CallOneArg(PyExc_TypeError, text.get()));
  if (!error) return;
  PyException_SetCause(error.get(), cause.release());
  PyErr_SetRaisedException(error.release());
}

std::optional<std::string_view> string_value(PyObject* object) {
  if (!PyUnicode_Check(object)) {
    raise_cast_error(object, "str");
    return std::nullopt;
  }
  Py_ssize_t length = 0;
  const char* text = PyUnicode_AsUTF8AndSize(object, &length);
  if (text == nullptr) return std::nullopt;
  return std::string_view(text, static_cast<std::size_t>(length));
}

namespace {

// The items of a non-str sequence whose items are all str, in a List of texts (with reserve,
// max_size and emplace_back of a string_view). Raises the bare errors.
template <typename List>
std::optional<List> string_items(PyObject* object) {
  if (PyUnicode_Check(object)) {
    raise_type_error("Can't extract `str` to `Vec`");
    return std::nullopt;
  }
  if (!PySequence_Check(object)) {
    raise_cast_error(object, "Sequence");
    return std::nullopt;
  }
  Py_ssize_t size = PySequence_Size(object);
  if (size < 0) return std::nullopt;
  List items;
  // A length no memory can hold is the caller's error: MemoryError, here or from the
  // reservation's std::bad_alloc at the boundary.
  if (static_cast<std::size_t>(size) > items.max_size()) {
    PyErr_NoMemory();
    return std::nullopt;
  }
  items.reserve(static_cast<std::size_t>(size));
  for (Py_ssize_t i = 0; i < size; ++i) {
    if (!signals_allow(static_cast<std::size_t>(i))) return std::nullopt;
    PyRef item = PyRef::steal(PySequence_GetItem(object, i));
    if (!item) return std::nullopt;
    std::optional<std::string_view> text = string_value(item.get());
    if (!text) return std::nullopt;
    items.emplace_back(*text);
  }
  return items;
}

}  // namespace

std::optional<std::vector<std::string>> string_list_value(PyObject* object) {
  return string_items<std::vector<std::string>>(object);
}

std::optional<std::string_view> to_string(PyObject* object, const char* name) {
  return with_prefix(string_value(object), name);
}

bool check_dict(PyObject* object, const char* name) {
  if (PyDict_Check(object)) return true;
  raise_cast_error(object, "dict");
  prefix_argument_error(name);
  return false;
}

const Schema* to_schema(PyObject* object, const char* name) {
  const Schema* schema = schema_value(object);
  if (schema == nullptr) {
    raise_cast_error(object, "Schema");
    prefix_argument_error(name);
  }
  return schema;
}

std::optional<TextList> to_text_list(PyObject* object, const char* name) {
  return with_prefix(string_items<TextList>(object), name);
}

std::optional<std::uint64_t> to_unsigned(PyObject* object, const char* name) {
  PyRef index = PyRef::steal(PyNumber_Index(object));
  if (!index) {
    prefix_argument_error(name);
    return std::nullopt;
  }
  unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
  if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return std::nullopt;
  return static_cast<std::uint64_t>(value);
}

std::optional<Dialect> to_dialect(PyObject* object, const char* name) {
  if (object == nullptr) return Dialect::core;
  std::optional<std::string_view> text = to_string(object, name);
  if (!text) return std::nullopt;
  if (std::optional<Dialect> dialect = dialect_by_name(*text)) return dialect;
  PyErr_Format(PyExc_ValueError, "Unknown dialect: %R; expected 'core' or 'neo4j'", object);
  return std::nullopt;
}

std::optional<bool> to_flag(PyObject* object, const char* name) {
  if (object == nullptr) return false;
  if (!PyBool_Check(object)) {
    raise_cast_error(object, "bool");
    prefix_argument_error(name);
    return std::nullopt;
  }
  return object == Py_True;
}

namespace {

// The entries of an allow-list, each checked; raises the bare errors.
std::optional<std::vector<std::string>> allow_list_entries(PyObject* object, const char* name) {
  if (PyUnicode_Check(object)) {
    raise_type_error("expected an iterable of str, not a single str");
    return std::nullopt;
  }
  PyRef iterator = PyRef::steal(PyObject_GetIter(object));
  if (!iterator) return std::nullopt;
  std::vector<std::string> entries;
  while (PyRef item = PyRef::steal(PyIter_Next(iterator.get()))) {
    if (!signals_allow(entries.size())) return std::nullopt;
    std::optional<std::string_view> entry = string_value(item.get());
    if (!entry) return std::nullopt;
    if (std::optional<std::string_view> problem = allow_list_entry_problem(*entry)) {
      PyErr_Format(PyExc_ValueError, "%s: %R: %.*s", name, item.get(),
                   static_cast<int>(problem->size()), problem->data());
      return std::nullopt;
    }
    entries.emplace_back(*entry);
  }
  if (PyErr_Occurred()) return std::nullopt;
  return entries;
}

}  // namespace

OptionalAllowList to_allow_list(PyObject* object, const char* name) {
  if (object == nullptr || object == Py_None) return {true, std::nullopt};
  std::optional<std::vector<std::string>> entries = with_prefix(allow_list_entries(object, name), name);
  if (!entries) return {false, std::nullopt};
  return {true, ProcedureAllowList(std::move(*entries))};
}

OptionalUnsigned to_optional_unsigned(PyObject* object, const char* name) {
  if (object == nullptr || object == Py_None) return {true, std::nullopt};
  std::optional<std::uint64_t> value = to_unsigned(object, name);
  return {value.has_value(), value};
}

}  // namespace qarvex::py
