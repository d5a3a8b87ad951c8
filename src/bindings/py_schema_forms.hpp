// The dictionary and JSON forms of Schema: the bodies of Schema.to_dict, Schema.from_dict,
// Schema.to_json and Schema.from_json. The method table lives in py_schema.cpp.
#pragma once

#include <Python.h>

#include <optional>
#include <string_view>

#include "schema/schema.hpp"

namespace qarvex::py {

PyObject* schema_to_dict(PyObject* self, PyObject* unused);
PyObject* schema_from_dict(PyObject* unused, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames);
PyObject* schema_to_json(PyObject* self, PyObject* unused);
PyObject* schema_from_json(PyObject* unused, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames);

// The schema a JSON text describes; nothing with ValueError "Invalid Schema JSON: ..." set.
std::optional<Schema> schema_from_json_text(std::string_view text);

}  // namespace qarvex::py
