// Argument binding and conversion shared by every function and method of the module.
//
// Parameters are positional-or-keyword. `bind_*` matches a call against a `Signature`, filling
// one borrowed object per parameter (null where an optional one was not given) or raising the
// call-shape TypeError. The `to_*` conversions then turn each object into a native value; a
// TypeError from a conversion is re-raised as "argument '{name}': {error}" with the original as
// its cause, any other exception passes through unchanged.
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_list.hpp"
#include "parser/dialect.hpp"
#include "schema/schema.hpp"
#include "validator/guardrails.hpp"

namespace qarvex::py {

struct Signature {
  const char* function;  // as shown in messages: "Schema.merge()" or "parse_query()"
  std::span<const char* const> parameters;
  std::size_t required;  // the first `required` parameters must be given
  std::size_t keyword_only = 0;  // the last `keyword_only` parameters are given by name only
};

// Vectorcall form (METH_FASTCALL | METH_KEYWORDS). `out` has one slot per parameter.
bool bind_fastcall(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                   PyObject* kwnames, PyObject** out);

// Tuple-and-dict form, as received by tp_new.
bool bind_tuple(const Signature& signature, PyObject* args, PyObject* kwargs, PyObject** out);

// The prologue of a function whose one parameter, `parameter`, is required: the bound argument
// (borrowed), or null with the call-shape TypeError. `function` is as in Signature.
PyObject* bind_single(const char* function, const char* parameter, PyObject* const* args,
                      Py_ssize_t nargs, PyObject* kwnames);
PyObject* bind_single_tuple(const char* function, const char* parameter, PyObject* args,
                            PyObject* kwargs);
// The same, with the argument converted by to_string.
std::optional<std::string_view> bind_single_string(const char* function, const char* parameter,
                                                   PyObject* const* args, Py_ssize_t nargs,
                                                   PyObject* kwnames);

// Sets TypeError "'{type}' object cannot be cast as '{target}'".
void raise_cast_error(PyObject* object, std::string_view target);

// Re-raises a pending TypeError as "argument '{name}': {error}", chained to the original.
void prefix_argument_error(const char* name);

// The UTF-8 text of a str; the view lives as long as `object`. Raises the bare cast error.
std::optional<std::string_view> string_value(PyObject* object);

// A non-str sequence whose items are all str. Raises the bare errors (no argument prefix).
std::optional<std::vector<std::string>> string_list_value(PyObject* object);

std::optional<std::string_view> to_string(PyObject* object, const char* name);
bool check_dict(PyObject* object, const char* name);
const Schema* to_schema(PyObject* object, const char* name);
// The same as string_list_value, in one buffer: for sequences of any length.
std::optional<TextList> to_text_list(PyObject* object, const char* name);
std::optional<std::uint64_t> to_unsigned(PyObject* object, const char* name);

// `None` (or a parameter not given) is the absent value.
struct OptionalUnsigned {
  bool ok;
  std::optional<std::uint64_t> value;
};
OptionalUnsigned to_optional_unsigned(PyObject* object, const char* name);

// A dialect by name; a parameter not given is the core dialect. A name that is no dialect
// raises ValueError, a non-str the argument's TypeError.
std::optional<Dialect> to_dialect(PyObject* object, const char* name);

// A bool (exactly); a parameter not given is false.
std::optional<bool> to_flag(PyObject* object, const char* name);

// An iterable of procedure names and namespace patterns ("db.*"), or None (also when not given)
// for no allow-list. A str, a non-iterable or a non-str item raises the argument's TypeError; an
// entry that is no name raises ValueError.
struct OptionalAllowList {
  bool ok;
  std::optional<ProcedureAllowList> value;
};
OptionalAllowList to_allow_list(PyObject* object, const char* name);

}  // namespace qarvex::py
