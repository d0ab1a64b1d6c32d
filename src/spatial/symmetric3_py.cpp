// Python class Symmetric3.
#include <tuple>

#include "base/panic.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "spatial/spatial_serial.hpp"
#include "spatial/symmetric3.hpp"

namespace kinetra::python {

Ref symmetric3_class() {
  static ClassDef<Symmetric3>& def =
      ClassDef<Symmetric3>::define("Symmetric3")
          .picklable(serial::save<Symmetric3>, serial::load<Symmetric3>)
          .constructor({"m11", "m22", "m33", "m12", "m13", "m23"},
                       [](double m11, double m22, double m33, double m12, double m13, double m23) {
                         return Symmetric3(m11, m22, m33, m12, m13, m23);
                       })
          .static_method("Zero", {}, [] { return Symmetric3::zero(); })
          .static_method("Identity", {}, [] { return Symmetric3::identity(); })
          .method("to_numpy", {},
                  [](const Symmetric3& self) { return new_matrix(3, 3, self.to_rows()); })
          .method("matrix", {},
                  [](const Symmetric3& self) { return new_matrix(3, 3, self.to_rows()); })
          .subscript([](const Symmetric3& self, std::tuple<std::size_t, std::size_t> index) {
            const auto [i, j] = index;
            if (i > 2 || j > 2) panic("Index out of bounds");
            return self(i, j);
          })
          .add([](const Symmetric3& a, const Symmetric3& b) { return a + b; })
          .subtract([](const Symmetric3& a, const Symmetric3& b) { return a - b; })
          .multiply([](const Symmetric3& self, double s) { return s * self; })
          .multiply([](const Symmetric3& self, Vector3D v) { return self * v; })
          .reflected_multiply([](const Symmetric3& self, double s) { return s * self; })
          .repr([](const Symmetric3& self) { return repr_text(self); });
  return def.type();
}

}  // namespace kinetra::python
