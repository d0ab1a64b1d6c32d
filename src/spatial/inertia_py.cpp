// Python class Inertia.
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "spatial/inertia.hpp"
#include "spatial/spatial_serial.hpp"

namespace kinetra::python {
namespace {

// Exactly one dimension of length 3, read by logical index.
std::expected<Vector3D, std::string> vector3d_from_array(const NdArrayView& array) {
  if (array.ndim() != 1 || array.dim(0) != 3) {
    return std::unexpected("Input array must be one-dimensional with length 3.");
  }
  return Vector3D(array.at(0), array.at(1), array.at(2));
}

// A (3, 3) array; the core checks symmetry.
std::expected<Symmetric3, std::string> symmetric3_from_array(const NdArrayView& array) {
  if (array.ndim() != 2 || array.dim(0) != 3 || array.dim(1) != 3) {
    return std::unexpected("Input array must be of shape (3, 3)");
  }
  const RowMajorValues rows(array);
  return Symmetric3::from_rows(rows.span().first<9>());
}

}  // namespace

Ref inertia_class() {
  static ClassDef<Inertia>& def =
      ClassDef<Inertia>::define("Inertia")
          .picklable(serial::save<Inertia>, serial::load<Inertia>)
          .doc("A Python wrapper for the [`Inertia`] struct.")
          .constructor(
              {"mass", "com", "inertia"},
              [](double mass, ArrayN com, ArrayN inertia) -> std::expected<Inertia, std::string> {
                const auto c = vector3d_from_array(com);
                if (!c) return std::unexpected(c.error());
                const auto i = symmetric3_from_array(inertia);
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
