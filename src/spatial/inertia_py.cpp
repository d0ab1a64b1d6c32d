// Python class Inertia.
#include "spatial/inertia.hpp"
#include "python/array.hpp"
#include "python/bindings.hpp"
#include "python/class_def.hpp"

namespace kinetra::python {

Ref inertia_class() {
  static ClassDef<Inertia>& def =
      ClassDef<Inertia>::define("Inertia")
          .doc("A Python wrapper for the [`Inertia`] struct.")
          .constructor({"mass", "com", "inertia"},
                       [](double mass, ArrayN com,
                          ArrayN inertia) -> std::expected<Inertia, std::string> {
                         const auto c = Vector3D::from_pyarray(com);
                         if (!c) return std::unexpected(c.error());
                         const auto i = Symmetric3::from_pyarray(inertia);
                         if (!i) return std::unexpected(i.error());
                         return Inertia(mass, *c, *i);
                       })
          .static_method(
              "FromSphere", {"mass", "radius"},
              [](double mass, double radius) -> std::expected<Inertia, std::string> {
                auto sphere = Inertia::from_ellipsoid(mass, radius, radius, radius);
                if (!sphere) {
                  return std::unexpected("Failed to create Inertia: " + debug_text(sphere.error()));
                }
                return *sphere;
              },
              "Creates a new inertia sphere with the given parameters.\n\n# Arguments\n\n"
              "* `mass` - The mass of the sphere.\n* `radius` - The radius of the sphere.\n\n"
              "# Returns\nA new [`Inertia`] object representing a sphere.")
          .static_method(
              "zeros", {}, [] { return Inertia::zeros(); },
              "Creates a new [`Inertia`] object with zero mass, zero center of mass, and zero "
              "inertia matrix.\n\n# Returns\nA new [`Inertia`] object with all properties set to "
              "zero.")
          .property("mass", [](const Inertia& self) { return self.mass(); })
          .property("com", [](const Inertia& self) { return new_vector(self.com().as_slice()); })
          .property(
              "lever", [](const Inertia& self) { return new_vector(self.lever().as_slice()); },
              "Returns the lever (center of mass) of the inertia.\n\nThis is an alias for the "
              "`com` property.")
          .property("inertia",
                    [](const Inertia& self) { return new_matrix(3, 3, self.inertia().to_rows()); })
          .add([](const Inertia& a, const Inertia& b) { return a + b; })
          .repr([](const Inertia& self) { return debug_text(self); });
  return def.type();
}

}  // namespace kinetra::python
