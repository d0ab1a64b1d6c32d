#include "model/geometry.hpp"

#include "base/debug_string.hpp"
#include "base/panic.hpp"
#include "base/pretty.hpp"

namespace kinetra {

namespace {

void write_object(PrettyWriter& w, int depth, const GeometryObject& object,
                  std::string_view suffix) {
  w.line(depth, "GeometryObject {");
  std::string name = "name: ";
  append_quoted(name, object.name);
  w.line(depth + 1, name + ",");
  w.line(depth + 1, "parent_joint: " + std::to_string(object.parent_joint) + ",");
  w.line(depth + 1, "parent_frame: " + std::to_string(object.parent_frame) + ",");
  w.line(depth + 1,
         std::string("disable_collision: ") + (object.disable_collision ? "true" : "false") + ",");
  w.color(depth + 1, "mesh_color: ", object.mesh_color, ",");
  w.placement(depth + 1, "placement: ", object.placement, ",");
  w.line(depth, std::string("}") + std::string(suffix));
}

}  // namespace

std::string debug_text(const GeometryObject& object) {
  PrettyWriter w;
  write_object(w, 0, object, "");
  std::string text = w.take();
  text.pop_back();  // no line break after the closing brace
  return text;
}

std::size_t GeometryModel::add_geometry_object(GeometryObject object) {
  const std::size_t id = objects_.size();
  const bool first_of_name = !name_index_.find(
      object.name, [this](std::size_t i) { return std::string_view(objects_[i].name); });
  name_index_.reserve_one();
  objects_.push_back(std::move(object));
  if (first_of_name) name_index_.insert_new(objects_.back().name, id);
  return id;
}

std::optional<std::size_t> GeometryModel::get_geometry_id(std::string_view name) const {
  return name_index_.find(name,
                          [this](std::size_t i) { return std::string_view(objects_[i].name); });
}

std::string debug_text(const GeometryModel& model) {
  PrettyWriter w;
  w.line(0, "GeometryModel {");
  if (model.objects().empty()) {
    w.line(1, "objects: [],");
  } else {
    w.line(1, "objects: [");
    for (const GeometryObject& object : model.objects()) write_object(w, 2, object, ",");
    w.line(1, "],");
  }
  w.append("}");
  return w.take();
}

void GeometryData::update(const Data& data, const GeometryModel& model) {
  object_placements_.clear();
  object_placements_.reserve(model.ngeoms());
  for (const GeometryObject& object : model.objects()) {
    const std::size_t j = object.parent_joint;
    if (j >= data.joint_placements.size()) {
      panic("index out of bounds: the len is " + std::to_string(data.joint_placements.size()) +
            " but the index is " + std::to_string(j));
    }
    object_placements_.push_back(data.joint_placements[j] * object.placement);
  }
}

std::expected<SE3, std::string> GeometryData::get_object_placement(std::size_t object_index) const {
  if (object_index >= object_placements_.size()) {
    return std::unexpected("Object with index " + std::to_string(object_index) + " not found");
  }
  return object_placements_[object_index];
}

}  // namespace kinetra
