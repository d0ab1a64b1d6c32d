#pragma once

#include <deque>
#include <string>
#include <vector>

#include "python/callable.hpp"

namespace kinetra::python {

// Appends `name` to the module's __all__ (creating the list on first use) and sets
// the attribute.
void register_object(PyObject* module, const char* name, Ref object);
// Sets the attribute without listing it in __all__: the names added around the core.
void register_extension(PyObject* module, const char* name, Ref object);

// Module functions, described like class methods. The function objects point into
// the table, so it lives until the process ends.
class FunctionTable {
 public:
  static FunctionTable& define(const char* module_name) { return *new FunctionTable(module_name); }
  FunctionTable(const FunctionTable&) = delete;
  FunctionTable& operator=(const FunctionTable&) = delete;

  // A new function object for `f` with the text signature "name(params)".
  template <Callable F>
  Ref function(const char* name, std::vector<std::string> params, F, std::string doc = {}) {
    const Signature* signature = register_signature<F, 0>(name, std::move(params));
    const std::string& docstring =
        texts_.emplace_back(name + signature->text(false) + "\n--\n\n" + doc);
    PyMethodDef def{};
    if constexpr (arity<F> == 0) {
      def = {name, as_cfunction(&function_noargs<F>), METH_NOARGS, docstring.c_str()};
    } else {
      def = {name, as_cfunction(&function_fastcall<F>), METH_FASTCALL | METH_KEYWORDS,
             docstring.c_str()};
    }
    return make(defs_.emplace_back(def));
  }

 private:
  explicit FunctionTable(const char* module_name) : module_name_(module_name) {}
  Ref make(PyMethodDef& def);

  const char* module_name_;
  std::deque<std::string> texts_;
  std::deque<PyMethodDef> defs_;
};

}  // namespace kinetra::python
