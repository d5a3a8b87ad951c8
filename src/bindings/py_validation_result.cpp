// The Python classes ValidationResult and ValidationDiagnostic: read-only views of one
// validation's records, made only by the validator.
#include "bindings/types.hpp"

namespace qarvex::py {
namespace {

struct ValidationResultObject {
  PyObject_HEAD
};

struct ValidationDiagnosticObject {
  PyObject_HEAD
};

PyType_Slot result_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(free_instance)},
    {0, nullptr},
};

PyType_Slot diagnostic_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(free_instance)},
    {0, nullptr},
};

PyType_Spec result_spec{"builtins.ValidationResult", sizeof(ValidationResultObject), 0,
                        class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION, result_slots};

PyType_Spec diagnostic_spec{"builtins.ValidationDiagnostic", sizeof(ValidationDiagnosticObject),
                            0, class_flags | Py_TPFLAGS_DISALLOW_INSTANTIATION,
                            diagnostic_slots};

}  // namespace

PyTypeObject* validation_result_type() {
  static PyTypeObject* type = nullptr;
  return cached_type(type, result_spec);
}

PyTypeObject* validation_diagnostic_type() {
  static PyTypeObject* type = nullptr;
  return cached_type(type, diagnostic_spec);
}

}  // namespace qarvex::py
