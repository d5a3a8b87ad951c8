// Owned references to Python objects.
//
// Rules of use, for every file in src/bindings:
//  - A `PyRef` owns exactly one strong reference (or none) and releases it when destroyed, so no
//    error path can forget a Py_DECREF.
//  - `PyRef::steal` adopts a new reference returned by the C API (null stays null and means an
//    exception is set); `PyRef::borrow` takes a borrowed reference and adds one of its own.
//  - `release()` hands the reference to the caller, e.g. when returning it to the interpreter.
//  - Raw `PyObject*` parameters are borrowed for the duration of the call.
#pragma once

#include <Python.h>

#include <utility>

namespace qarvex::py {

class PyRef {
 public:
  PyRef() = default;
  static PyRef steal(PyObject* object) { return PyRef(object); }
  static PyRef borrow(PyObject* object) {
    Py_XINCREF(object);
    return PyRef(object);
  }

  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  PyRef(PyRef&& other) noexcept : object_(other.release()) {}
  PyRef& operator=(PyRef&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~PyRef() { Py_XDECREF(object_); }

  PyObject* get() const { return object_; }
  PyObject* release() { return std::exchange(object_, nullptr); }
  void reset(PyObject* object = nullptr) { Py_XDECREF(std::exchange(object_, object)); }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  explicit PyRef(PyObject* object) : object_(object) {}
  PyObject* object_ = nullptr;
};

}  // namespace qarvex::py
