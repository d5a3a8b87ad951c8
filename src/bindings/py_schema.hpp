// The Python class Schema, wrapping one immutable schema value.
#pragma once

#include <Python.h>

#include <optional>

#include "bindings/py_ref.hpp"
#include "bindings/types.hpp"
#include "schema/schema.hpp"

namespace qarvex::py {

// The value held by a Schema instance, or null when `object` is not one (no exception set).
const Schema* schema_value(PyObject* object);

// A new Schema instance owning `value`.
PyRef new_schema_object(Schema value);

// Builds a schema from the `nodes` and `relationships` dicts, checking every entry; nothing
// with a TypeError set on the first bad entry. Shared by the constructor and Schema.from_dict.
std::optional<Schema> schema_from_dicts(PyObject* nodes, PyObject* relationships);

}  // namespace qarvex::py
