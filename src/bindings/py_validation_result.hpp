// The Python classes ValidationResult and ValidationDiagnostic.
#pragma once

#include <Python.h>

#include "bindings/py_ref.hpp"
#include "bindings/types.hpp"
#include "validator/diagnostics.hpp"

namespace qarvex::py {

// A new ValidationResult instance owning `result`.
PyRef new_validation_result(ValidationResult result);

}  // namespace qarvex::py
