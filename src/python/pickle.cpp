#include "python/pickle.hpp"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "python/module.hpp"

namespace kinetra::python {

namespace {

// Both live for the process, like the classes they serve.
std::vector<std::pair<std::string, RestoreFn>>& restorers() {
  static auto* table = new std::vector<std::pair<std::string, RestoreFn>>();
  return *table;
}
PyObject* reconstructor = nullptr;

Ref restore(std::string class_name, PyObject* state) {
  if (!PyBytes_Check(state)) {
    raise(PyExc_TypeError, "argument 'state': expected bytes, got " + type_name(state));
  }
  const std::string_view bytes(PyBytes_AS_STRING(state),
                               static_cast<std::size_t>(PyBytes_GET_SIZE(state)));
  for (const auto& [name, fn] : restorers()) {
    if (name == class_name) return fn(bytes);
  }
  raise(PyExc_ValueError, "cannot restore an object of unknown class '" + class_name + "'");
}

}  // namespace

void register_restorer(const char* class_name, RestoreFn restore) {
  for (const auto& [name, fn] : restorers()) {
    if (name == class_name) {
      throw std::logic_error(std::string("a restorer is already registered for ") + class_name);
    }
  }
  restorers().emplace_back(class_name, restore);
}

Ref restore_function(const char* module_name) {
  if (reconstructor == nullptr) {
    static FunctionTable& table = FunctionTable::define(module_name);
    reconstructor =
        table
            .function(
                "_restore", {"class_name", "state"},
                [](std::string class_name, PyObject* state) {
                  return restore(std::move(class_name), state);
                },
                "Rebuilds a pickled object of class `class_name` from `state`, the bytes "
                "its __reduce__ gave; raises ValueError when the state is malformed.")
            .release();  // kept for the process
  }
  return Ref::borrow(reconstructor);
}

Ref reduce_value(const char* class_name, std::string_view state) {
  if (reconstructor == nullptr) raise(PyExc_SystemError, "no reconstructor is registered");
  const Ref bytes = checked(PyBytes_FromStringAndSize(state.data(), std::ssize(state)));
  const Ref name = checked(PyUnicode_FromString(class_name));
  const Ref arguments = checked(PyTuple_Pack(2, name.get(), bytes.get()));
  return checked(PyTuple_Pack(2, reconstructor, arguments.get()));
}

}  // namespace kinetra::python
