// Python classes GeometryObject, GeometryModel and GeometryData.
#include "model/geometry.hpp"
#include "model/geometry_serial.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "shapora/primitives.hpp"

namespace kinetra::python {
namespace {

// A copy of the shape held by a Capsule, Cone, Cuboid, Cylinder or Sphere object
// (tried in that order), or nothing.
template <class... Shapes>
std::optional<shapora::ShapeWrapper> shape_of(PyObject* object) {
  std::optional<shapora::ShapeWrapper> shape;
  (
      [&] {
        if (shape || !is_instance<Shapes>(object)) return;
        CopyArg<Shapes> copy;
        copy.load(object);
        shape.emplace(std::make_unique<Shapes>(copy.get()));
      }(),
      ...);
  return shape;
}

GeometryObject geometry_object_from(VarArgs args) {
  if (args.size() != 5) {
    raise(PyExc_ValueError,
          "incorrect number of arguments, expected 5, but got " + std::to_string(args.size()) +
              ". Signature: GeometryObject(name, parent_joint, parent_frame, geometry, placement)");
  }
  std::string name = to_string(args[0]);
  const std::size_t parent_joint = to_usize(args[1]);
  const std::size_t parent_frame = to_usize(args[2]);
  auto shape = shape_of<shapora::Capsule, shapora::Cone, shapora::Cuboid, shapora::Cylinder,
                        shapora::Sphere>(args[3]);
  if (!shape) {
    const Ref text = checked(PyObject_Repr(args[3]));
    raise(PyExc_ValueError, "expected a shape for 'geometry', but got " + to_string(text.get()));
  }
  CopyArg<SE3> placement;
  placement.load(args[4]);
  return GeometryObject{std::move(name),           parent_joint,    parent_frame,     false,
                        Color(0.0, 0.0, 0.0, 1.0), placement.get(), std::move(*shape)};
}

}  // namespace

Ref geometry_object_class() {
  static ClassDef<GeometryObject>& def =
      ClassDef<GeometryObject>::define("GeometryObject")
          .picklable(serial::save<GeometryObject>, serial::load<GeometryObject>)
          .doc("A Python wrapper for the `GeometryObject` struct.")
          .constructor({"*py_args"}, [](VarArgs args) { return geometry_object_from(args); })
          .property("name", [](const GeometryObject& self) { return self.name; })
          .property("parent_joint", [](const GeometryObject& self) { return self.parent_joint; })
          .property("parent_frame", [](const GeometryObject& self) { return self.parent_frame; })
          .property("placement", [](const GeometryObject& self) { return self.placement; })
          .property("disable_collision",
                    [](const GeometryObject& self) { return self.disable_collision; })
          .property("geometry", [](const GeometryObject& self) { return self.geometry; })
          .property(
              "mesh_color",
              [](const GeometryObject& self) { return new_vector(self.mesh_color.as_slice()); },
              [](GeometryObject& self, ArrayN color) -> std::expected<void, std::string> {
                const NdArrayView& view = color.view();
                // Four elements in any other shape are refused too, not read by guesswork.
                if (view.ndim() != 1 || view.size() != 4) {
                  return std::unexpected(
                      "expected a NumPy array of length 4 for 'color', but got " +
                      std::to_string(view.size()));
                }
                self.mesh_color = Color(view.at(0), view.at(1), view.at(2), view.at(3));
                return {};
              },
              {}, "color")
          .repr([](const GeometryObject& self) { return debug_text(self); });
  return def.type();
}

Ref geometry_model_class() {
  static ClassDef<GeometryModel>& def =
      ClassDef<GeometryModel>::define("GeometryModel")
          .picklable(serial::save<GeometryModel>, serial::load<GeometryModel>)
          .doc("A Python wrapper for the [`GeometryModel`] struct.")
          .constructor({}, [] { return GeometryModel(); })
          .method(
              "add_geometry_object", {"object"},
              [](GeometryModel& self, const GeometryObject& object) {
                return self.add_geometry_object(object);
              },
              "Adds a new geometry model to the list of models.\n\n# Arguments\n\n* `object` - The "
              "geometry object to be added to the model.\n\n# Returns\n\nThe index of the added "
              "geometry object.")
          .property(
              "geometry_objects", [](const GeometryModel& self) { return self.objects(); },
              "Returns the list of geometry objects in the model.")
          .property("ngeoms", [](const GeometryModel& self) { return self.ngeoms(); })
          .method(
              "get_geometry_id", {"name"},
              [](const GeometryModel& self, std::string name) {
                return self.get_geometry_id(name);
              },
              "Returns the ID of the geometry object with the given name, if it exists.")
          .method(
              "create_data", {"data"},
              [](const GeometryModel& self, const Data& data) { return GeometryData(data, self); },
              "Creates a new `GeometryData` object based on the provided model and data.\n\n# "
              "Arguments\n\n* `data` - The data to be used for creating the geometry data.\n# "
              "Returns\n\nA `GeometryData` object containing the geometry data for the model.")
          .repr([](const GeometryModel& self) { return debug_text(self); });
  return def.type();
}

Ref geometry_data_class() {
  static ClassDef<GeometryData>& def =
      ClassDef<GeometryData>::define("GeometryData")
          .picklable(serial::save<GeometryData>, serial::load<GeometryData>)
          .doc("A Python wrapper for the `GeometryData` struct.")
          .constructor({"data", "geom_model"},
                       [](const Data& data, const GeometryModel& geom_model) {
                         return GeometryData(data, geom_model);
                       })
          .method(
              "get_object_placement", {"object_index"},
              [](const GeometryData& self, std::size_t object_index) {
                auto placement = self.get_object_placement(object_index);
                if (!placement) raise(PyExc_KeyError, placement.error());
                return *placement;
              },
              "Returns the placement of the object of given index in the world frame.\n\n# "
              "Arguments\n\n* `object_index` - The index of the object.\n\n# Returns\nThe object "
              "placement if it exists, otherwise `None`.")
          .method(
              "update_geometry_data", {"data", "geom_model"},
              [](GeometryData& self, const Data& data, const GeometryModel& geom_model) {
                self.update(data, geom_model);
              },
              "Updates the geometry data using the updated model data and geometry model.\n\n# "
              "Arguments\n\n* `data` - The model data object.\n* `geom_model` - The geometry model "
              "object.");
  return def.type();
}

}  // namespace kinetra::python
