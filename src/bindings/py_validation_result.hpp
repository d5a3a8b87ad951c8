// The Python classes ValidationResult and ValidationDiagnostic.
#pragma once

#include <Python.h>

#include <memory>

#include "base/memory.hpp"
#include "bindings/py_ref.hpp"
#include "bindings/types.hpp"
#include "validator/diagnostics.hpp"

namespace qarvex::py {

// What a ValidationResult instance holds: the result, and for one of a large batch the share
// of the batch's memory return.
struct HeldResult {
  std::shared_ptr<const FreeMemoryOnRelease> batch_memory;  // goes after the result
  ValidationResult result;
};

// A new ValidationResult instance owning `result`.
PyRef new_validation_result(ValidationResult result,
                            std::shared_ptr<const FreeMemoryOnRelease> batch_memory = nullptr);

}  // namespace qarvex::py
