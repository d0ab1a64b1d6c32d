#pragma once

#include "python/python.hpp"

namespace kinetra::python {

// Releases the interpreter lock for its scope (Py_BEGIN_ALLOW_THREADS ..
// Py_END_ALLOW_THREADS) and takes it back when the scope ends, also when an exception
// leaves it. No Python object may be touched inside: everything the scope reads is
// converted to C++ values (or pinned, like an array's buffer) before it starts.
class UnlockedInterpreter {
 public:
  UnlockedInterpreter() : state_(PyEval_SaveThread()) {}
  ~UnlockedInterpreter() { PyEval_RestoreThread(state_); }
  UnlockedInterpreter(const UnlockedInterpreter&) = delete;
  UnlockedInterpreter& operator=(const UnlockedInterpreter&) = delete;

 private:
  PyThreadState* state_;
};

}  // namespace kinetra::python
