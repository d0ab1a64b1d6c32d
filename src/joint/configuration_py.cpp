// Python class Configuration: results of the algorithms; not constructible.
#include "joint/configuration.hpp"
#include "joint/joint_serial.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"

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
          .repr([](const Configuration& self) { return debug_text(self); });
  return def.type();
}

}  // namespace kinetra::python
