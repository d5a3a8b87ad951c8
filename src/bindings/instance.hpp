// The shape every class of the module shares: an instance holds one native value, constructed
// in place after allocation and destroyed in the dealloc slot, and a class is a PyType_Spec
// whose slots begin with that dealloc.
#pragma once

#include <Python.h>

#include <array>
#include <new>
#include <utility>

#include "bindings/py_ref.hpp"
#include "bindings/types.hpp"

namespace qarvex::py {

template <typename Value>
struct Instance {
  PyObject_HEAD
  Value value;
};

// The value held by `self`, which must be an instance of a class holding a Value.
template <typename Value>
Value& value_of(PyObject* self) {
  return reinterpret_cast<Instance<Value>*>(self)->value;
}

// A new instance of `type` holding `value`; null with an exception set on failure.
template <typename Value>
PyRef new_instance(PyTypeObject* type, Value value) {
  PyRef self = PyRef::steal(type->tp_alloc(type, 0));
  if (self) new (&value_of<Value>(self.get())) Value(std::move(value));
  return self;
}

template <typename Value>
PyRef new_instance(ClassId id, Value value) {
  return new_instance(type_object(id), std::move(value));
}

// Destroys the held value, then frees the instance and drops its reference to the heap type.
template <typename Value>
void dealloc_instance(PyObject* self) {
  value_of<Value>(self).~Value();
  PyTypeObject* type = Py_TYPE(self);
  type->tp_free(self);
  Py_DECREF(type);
}

// A slot for a function of any signature.
template <typename Function>
PyType_Slot slot(int id, Function* function) {
  return {id, reinterpret_cast<void*>(function)};
}

inline PyType_Slot doc_slot(const char* doc) { return {Py_tp_doc, const_cast<char*>(doc)}; }

// The slots of a class holding a Value: its dealloc, then `own`, then the end mark.
template <typename Value, typename... Slots>
std::array<PyType_Slot, sizeof...(Slots) + 2> class_slots(Slots... own) {
  return {{slot(Py_tp_dealloc, &dealloc_instance<Value>), own..., {0, nullptr}}};
}

// The PyType_Spec of a class holding a Value; `slots` must live as long as the class.
template <typename Value, std::size_t count>
PyType_Spec class_spec(const char* name, unsigned long flags,
                       std::array<PyType_Slot, count>& slots) {
  return {name, static_cast<int>(sizeof(Instance<Value>)), 0, static_cast<unsigned int>(flags),
          slots.data()};
}

}  // namespace qarvex::py
