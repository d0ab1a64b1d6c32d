// Python classes of kinetra.shapora.
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "shapora/primitives.hpp"
#include "shapora/shape_serial.hpp"

namespace kinetra::python {

using shapora::ShapeType;
using shapora::ShapeWrapper;

Ref capsule_class() {
  static ClassDef<shapora::Capsule>& def =
      ClassDef<shapora::Capsule>::define("Capsule")
          .picklable(serial::save<shapora::Capsule>, serial::load<shapora::Capsule>)
          .constructor({"radius", "length"}, [](double radius, double length) {
            return shapora::Capsule(radius, length);
          });
  return def.type();
}

Ref cone_class() {
  static ClassDef<shapora::Cone>& def =
      ClassDef<shapora::Cone>::define("Cone")
          .picklable(serial::save<shapora::Cone>, serial::load<shapora::Cone>)
          .constructor({"radius", "length"},
                       [](double radius, double length) { return shapora::Cone(radius, length); })
          .method(
              "radius", {}, [](const shapora::Cone& self) { return self.radius; },
              "Returns the radius of the cone.")
          .method(
              "half_length", {}, [](const shapora::Cone& self) { return self.half_length; },
              "Returns the half length of the cone.");
  return def.type();
}

Ref cuboid_class() {
  static ClassDef<shapora::Cuboid>& def =
      ClassDef<shapora::Cuboid>::define("Cuboid")
          .picklable(serial::save<shapora::Cuboid>, serial::load<shapora::Cuboid>)
          .constructor(
              {"sides"},
              [](std::vector<double> sides) -> std::expected<shapora::Cuboid, std::string> {
                if (sides.size() < 3) {
                  return std::unexpected("Cuboid needs three side lengths (x, y, z), got " +
                                         std::to_string(sides.size()));
                }
                return shapora::Cuboid(sides[0], sides[1], sides[2]);
              });
  return def.type();
}

Ref cylinder_class() {
  static ClassDef<shapora::Cylinder>& def =
      ClassDef<shapora::Cylinder>::define("Cylinder")
          .picklable(serial::save<shapora::Cylinder>, serial::load<shapora::Cylinder>)
          .constructor(
              {"radius", "length"},
              [](double radius, double length) { return shapora::Cylinder(radius, length); })
          .method(
              "radius", {}, [](const shapora::Cylinder& self) { return self.radius; },
              "Returns the radius of the cylinder.")
          .method(
              "half_length", {}, [](const shapora::Cylinder& self) { return self.half_length; },
              "Returns the half length of the cylinder.");
  return def.type();
}

Ref sphere_class() {
  static ClassDef<shapora::Sphere>& def =
      ClassDef<shapora::Sphere>::define("Sphere")
          .picklable(serial::save<shapora::Sphere>, serial::load<shapora::Sphere>)
          .constructor({"radius"}, [](double radius) { return shapora::Sphere(radius); });
  return def.type();
}

Ref mesh_class() {
  static ClassDef<shapora::Mesh>& def =
      ClassDef<shapora::Mesh>::define("PyMesh")
          .picklable(serial::save<shapora::Mesh>, serial::load<shapora::Mesh>)
          .doc("A Python wrapper for the Mesh type.")
          .constructor({"path"}, [](std::string path) { return shapora::Mesh(std::move(path)); })
          .property("mesh_path", [](const shapora::Mesh& self) { return self.path; });
  return def.type();
}

Ref shape_class() {
  static ClassDef<ShapeWrapper>& def =
      ClassDef<ShapeWrapper>::define("Shape")
          .picklable(serial::save<ShapeWrapper>, serial::load<ShapeWrapper>)
          .doc("A Python wrapper for the ShapeWrapper type.")
          .property("shape_type", [](const ShapeWrapper& self) { return self->get_shape_type(); })
          .property("radius",
                    [](const ShapeWrapper& self) -> std::expected<double, std::string> {
                      if (const auto r = self->get_radius()) return *r;
                      return std::unexpected("Shape does not have a radius");
                    })
          .property("half_extents",
                    [](const ShapeWrapper& self) -> std::expected<Ref, std::string> {
                      if (const auto h = self->get_half_extents())
                        return new_vector(std::span<const float>(*h));
                      return std::unexpected("Shape does not have half extents");
                    })
          .property("half_length",
                    [](const ShapeWrapper& self) -> std::expected<double, std::string> {
                      if (const auto h = self->get_half_length()) return *h;
                      return std::unexpected("Shape does not have a half length");
                    })
          .property("mesh_path",
                    [](const ShapeWrapper& self) -> std::expected<std::string, std::string> {
                      if (auto path = self->get_mesh_path()) return std::move(*path);
                      return std::unexpected("Shape is not a mesh and does not have a path");
                    });
  return def.type();
}

Ref shape_type_class() {
  static ClassDef<ShapeType>& def = ClassDef<ShapeType>::define("ShapeType")
                                        .enumeration({{"Capsule", ShapeType::Capsule},
                                                      {"Cone", ShapeType::Cone},
                                                      {"Cuboid", ShapeType::Cuboid},
                                                      {"Cylinder", ShapeType::Cylinder},
                                                      {"Sphere", ShapeType::Sphere},
                                                      {"Mesh", ShapeType::Mesh}});
  return def.type();
}

}  // namespace kinetra::python
