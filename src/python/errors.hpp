#pragma once

#include <string>

#include "python/ref.hpp"

namespace kinetra::python {

// Thrown through C++ frames when a Python exception is already set.
struct PythonError {};

// Throws PythonError; first sets SystemError when the interpreter reported a
// failure without setting an exception.
[[noreturn]] void throw_python_error();

// Returns the reference, or throws PythonError when the call that produced it failed.
inline Ref checked(PyObject* object) {
  if (object == nullptr) throw_python_error();
  return Ref::steal(object);
}
inline void checked(int status) {
  if (status < 0) throw_python_error();
}

// Sets a Python exception of the given type and throws PythonError.
[[noreturn]] void raise(PyObject* type, const std::string& message);

// The process-wide PanicException class (a BaseException subclass), created on first
// use; nullptr with an exception set if it cannot be created.
PyObject* panic_exception_type();

// Call from inside a catch block: maps the exception in flight to a Python
// exception (bad_alloc to MemoryError; any other std::exception, the core's Panic
// among them, and unknown exceptions to PanicException). Never throws.
void set_python_error_from_current_exception() noexcept;

// Runs f, returning its result, or `failure` with a Python exception set when it throws.
template <class R, class F>
R guarded(R failure, F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    set_python_error_from_current_exception();
    return failure;
  }
}

// Re-raises a pending TypeError as TypeError("argument '{name}': {message}") with the
// original as its __cause__ and its notes; other exceptions are left as they are.
void prefix_type_error(const char* name);

// Adds `note` to the pending exception (BaseException.add_note) and throws PythonError.
// Call with an exception set; a failure to add the note replaces it.
[[noreturn]] void throw_with_note(const std::string& note);

// The qualified name of an object's type, for messages ("list", "ndarray").
std::string type_name(PyObject* object);

}  // namespace kinetra::python
