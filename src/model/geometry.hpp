#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "model/data.hpp"
#include "model/name_index.hpp"
#include "shapora/shape.hpp"
#include "spatial/color.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

// One shape attached to a joint: collision or visual geometry.
struct GeometryObject {
  std::string name;  // need not be unique
  std::size_t parent_joint = 0;
  std::size_t parent_frame = 0;  // stored and reported, not used
  bool disable_collision = false;
  Color mesh_color{0.0, 0.0, 0.0, 1.0};
  SE3 placement;  // in the parent joint's frame
  shapora::ShapeWrapper geometry;
};

// The multi-line debug rendering (the shape is not shown).
std::string debug_text(const GeometryObject& object);

// An ordered list of geometry objects; an object's index is its geometry id.
class GeometryModel {
 public:
  std::size_t add_geometry_object(GeometryObject object);
  void reserve(std::size_t objects) { objects_.reserve(objects); }
  // The first (lowest) id of an object with this name.
  std::optional<std::size_t> get_geometry_id(std::string_view name) const;
  const std::vector<GeometryObject>& objects() const { return objects_; }
  std::size_t ngeoms() const { return objects_.size(); }

 private:
  using NameIndex = FirstMatchIndex<std::string_view, std::hash<std::string_view>>;
  std::vector<GeometryObject> objects_;
  NameIndex name_index_;
};

std::string debug_text(const GeometryModel& model);

// The world placement of every object of a geometry model: the parent joint's world
// placement (from a Data) composed with the object's placement.
class GeometryData {
 public:
  // An object whose parent joint has no placement in `data` is an internal failure.
  GeometryData(const Data& data, const GeometryModel& model) { update(data, model); }

  // Recomputes every placement. On an internal failure the placements of the objects
  // before the failing one are already recomputed and the rest are gone.
  void update(const Data& data, const GeometryModel& model);

  std::expected<SE3, std::string> get_object_placement(std::size_t object_index) const;
  const std::vector<SE3>& object_placements() const { return object_placements_; }

 private:
  friend struct serial::Codec<GeometryData>;
  GeometryData() = default;
  std::vector<SE3> object_placements_;
};

}  // namespace kinetra
