// Python class Configuration: results of the algorithms; not constructible. A sequence of
// floats for Python and NumPy (len, indexes, iteration, numpy.asarray).
#include <optional>

#include "joint/configuration.hpp"
#include "joint/joint_serial.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "python/errors.hpp"

namespace kinetra::python {

Ref configuration_class() {
  static ClassDef<Configuration>& def =
      ClassDef<Configuration>::define("Configuration")
          .picklable(serial::save<Configuration>, serial::load<Configuration>)
          .doc("Python wrapper for the `Configuration` struct.")
          .method("to_numpy", {},
                  [](const Configuration& self) { return new_vector(self.as_slice()); })
          .add([](const Configuration& a, const Configuration& b) { return a + b; })
          .multiply([](const Configuration& self, double s) { return self * s; })
          .sequence([](const Configuration& self) { return self.len(); },
                    [](const Configuration& self, Py_ssize_t index) {
                      if (index < 0 || static_cast<std::size_t>(index) >= self.len()) {
                        raise(PyExc_IndexError, "Configuration index out of range");
                      }
                      return self[static_cast<std::size_t>(index)];
                    })
          .method(
              "__array__", {"dtype=None", "copy=None"},
              [](const Configuration& self, std::optional<PyObject*> dtype,
                 std::optional<PyObject*> copy) {
                // The values live in C++: NumPy always gets a new array.
                if (copy) {
                  const int truth = PyObject_IsTrue(*copy);
                  if (truth < 0) throw_python_error();
                  if (truth == 0) {
                    raise(PyExc_ValueError,
                          "Unable to avoid copy while creating an array as requested: a "
                          "Configuration's values are always copied");
                  }
                }
                Ref array = new_vector(self.as_slice());
                if (!dtype) return array;
                return checked(PyObject_CallMethod(array.get(), "astype", "O", *dtype));
              },
              "The values as a new 1-D array (float64, or `dtype` when given); NumPy calls it\n"
              "for `numpy.asarray(configuration)`. `copy=False` raises ValueError: the values\n"
              "are always copied.")
          .repr([](const Configuration& self) { return debug_text(self); });
  return def.type();
}

}  // namespace kinetra::python
