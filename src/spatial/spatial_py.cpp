// Python classes of the spatial algebra.
#include "base/number_format.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "spatial/spatial_serial.hpp"
#include "spatial/vector3d.hpp"
#include "spatial/vector6d.hpp"

namespace kinetra::python {

Ref vector3d_class() {
  static ClassDef<Vector3D>& def =
      ClassDef<Vector3D>::define("Vector3D")
          .picklable(serial::save<Vector3D>, serial::load<Vector3D>)
          .constructor({"x", "y", "z"},
                       [](double x, double y, double z) { return Vector3D(x, y, z); })
          .static_method("zeros", {}, [] { return Vector3D::zeros(); })
          .static_method("ones", {}, [] { return Vector3D(1.0, 1.0, 1.0); })
          .method("to_numpy", {}, [](const Vector3D& self) { return new_vector(self.as_slice()); })
          .method("vector", {}, [](const Vector3D& self) { return new_vector(self.as_slice()); })
          .method("norm", {}, [](const Vector3D& self) { return self.norm(); })
          .add([](const Vector3D& a, const Vector3D& b) { return a + b; })
          .subtract([](const Vector3D& a, const Vector3D& b) { return a - b; })
          .multiply([](const Vector3D& a, const Vector3D& b) { return a.component_mul(b); })
          .repr([](const Vector3D& self) {
            std::string text = "Vector3D(";
            for (std::size_t i = 0; i < 3; ++i) {
              if (i != 0) text += ", ";
              append_plain(text, self[i]);
            }
            return text + ")";
          });
  return def.type();
}

Ref vector6d_class() {
  static ClassDef<Vector6D>& def =
      ClassDef<Vector6D>::define("Vector6D")
          .picklable(serial::save<Vector6D>, serial::load<Vector6D>)
          .doc("Python wrapper for spatial motion vectors (`Vector6D`).")
          .constructor({"x", "y", "z", "w", "v", "u"},
                       [](double x, double y, double z, double w, double v, double u) {
                         return Vector6D({x, y, z, w, v, u});
                       });
  return def.type();
}

}  // namespace kinetra::python
