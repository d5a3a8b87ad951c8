// Turning failures into Python exceptions: the module's own error value, internal faults, and
// the one boundary at which C++ exceptions become Python errors.
#pragma once

#include <Python.h>

#include <new>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

#include "bindings/py_ref.hpp"

namespace qarvex::py {

// The exception class for broken internal invariants. It derives from BaseException, so that
// `except Exception` does not swallow it. Created with the classes (create_types, types.hpp).
PyObject* panic_exception_type();

// Sets PanicException with `message`.
void raise_panic(std::string_view message);

// Sets a TypeError whose text is `message`.
void raise_type_error(std::string_view message);

// Sets ValueError with `text`, the text form of a module error.
void raise_value_error(std::string_view text);

// Replaces the pending exception with a TypeError "{message}" when it is an ordinary error
// (an Exception other than MemoryError); anything else is left as it is.
void replace_error_with_type_error(std::string_view message);

// Runs `body` and converts any C++ exception escaping it: std::bad_alloc becomes MemoryError,
// anything else PanicException. `failed` is what the slot returns with an exception set.
template <typename Body, typename Result>
Result guarded(Result failed, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& fault) {
    raise_panic(fault.what());
  } catch (...) {
    raise_panic("unknown internal error");
  }
  return failed;
}

// For a slot that returns an object: the body returns a PyRef (or a raw new reference), which
// is handed to the interpreter.
template <typename Body>
PyObject* guarded(Body&& body) noexcept {
  return guarded(static_cast<PyObject*>(nullptr), [&]() -> PyObject* {
    if constexpr (std::is_same_v<decltype(body()), PyRef>) {
      return body().release();
    } else {
      return body();
    }
  });
}

}  // namespace qarvex::py
