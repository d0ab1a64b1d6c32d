#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "python/ref.hpp"

namespace kinetra::python {

// The parameters of a callable as written in its text signature: "name" is
// required, "name=None" optional, "*name" collects surplus positional arguments, a bare
// "*" makes the parameters after it keyword-only.
class Signature {
 public:
  // `qualified_name` is what messages show before "()": "SE3.__new__", "Model.add_joint",
  // "neutral". `parameters` excludes the receiver.
  Signature(std::string qualified_name, std::vector<std::string> parameters);

  const std::string& qualified_name() const { return qualified_name_; }
  // The parameters as written.
  const std::vector<std::string>& parameters() const { return spelled_; }
  std::size_t size() const { return names_.size(); }
  const char* name(std::size_t i) const { return names_[i].c_str(); }
  bool has_varargs() const { return varargs_; }
  // "(a, b=None)" or "($self, a)".
  std::string text(bool with_self) const;

  // Matches positional and keyword arguments to the parameters; writes a borrowed
  // reference or nullptr (absent) per parameter into `out` (size() entries).
  // Raises TypeError with the interpreter's wording and throws PythonError on failure.
  void bind(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out) const {
    if (kwnames == nullptr && exactly_positional(nargs)) {
      std::copy_n(args, nargs, out);
      return;
    }
    bind_any(args, nargs, kwnames, out);
  }
  void bind(PyObject* args_tuple, PyObject* kwargs_dict, PyObject** out) const;

 private:
  // One positional argument per parameter, the common call, needs no checks: nothing
  // is missing, surplus or keyword-only.
  bool exactly_positional(Py_ssize_t nargs) const {
    return all_positional_ && nargs == static_cast<Py_ssize_t>(names_.size());
  }
  void bind_any(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out) const;
  std::size_t match_keyword(PyObject* keyword, Py_ssize_t nargs, PyObject** out) const;
  void check_missing(PyObject** out) const;
  [[noreturn]] void too_many_positional(Py_ssize_t given) const;

  std::string qualified_name_;
  std::vector<std::string> spelled_;  // as written, for the text signature
  std::vector<std::string> names_;
  std::vector<Ref> interned_;
  std::size_t required_ = 0;
  std::size_t positional_ = static_cast<std::size_t>(-1);  // names before a bare "*"
  bool varargs_ = false;
  bool all_positional_ = false;  // no "*name" and no bare "*"
};

// Refuses a registration whose names do not fit its callable: `parameters` is the
// callable's parameter count after the receiver, `varargs` whether its last one collects
// "*args". Also refuses a callable already registered (`previous`) under another name or
// parameter list. Throws std::logic_error, which Python sees as PanicException.
void check_registration(const std::string& qualified_name, const std::vector<std::string>& params,
                        std::size_t parameters, bool has_receiver, bool varargs,
                        const Signature* previous);

// Keeps a signature for the rest of the process (it holds Python strings) at a stable address.
const Signature* keep_signature(Signature signature);

}  // namespace kinetra::python
