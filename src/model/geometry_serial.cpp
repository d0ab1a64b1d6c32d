#include "model/geometry_serial.hpp"

#include "shapora/shape_serial.hpp"
#include "spatial/spatial_serial.hpp"

namespace kinetra::serial {

namespace {

// Name length, parent joint, parent frame, flag, colour, placement, shape kind.
constexpr std::size_t kObjectBytes = 3 * kSizeBytes + 1 + 4 * 8 + kSE3Bytes + 1;

}  // namespace

void Codec<GeometryObject>::save(Writer& w, const GeometryObject& object) {
  w.text(object.name);
  w.size(object.parent_joint);
  w.size(object.parent_frame);
  w.boolean(object.disable_collision);
  Codec<Color>::save(w, object.mesh_color);
  Codec<SE3>::save(w, object.placement);
  Codec<shapora::ShapeWrapper>::save(w, object.geometry);
}

GeometryObject Codec<GeometryObject>::load(Reader& r) {
  std::string name = r.text();
  const std::size_t parent_joint = r.size();
  const std::size_t parent_frame = r.size();
  const bool disable_collision = r.boolean();
  const Color color = Codec<Color>::load(r);
  const SE3 placement = Codec<SE3>::load(r);
  return GeometryObject{std::move(name),
                        parent_joint,
                        parent_frame,
                        disable_collision,
                        color,
                        placement,
                        Codec<shapora::ShapeWrapper>::load(r)};
}

void Codec<GeometryModel>::save(Writer& w, const GeometryModel& model) {
  save_list(w, model.objects());
}

GeometryModel Codec<GeometryModel>::load(Reader& r) {
  GeometryModel model;
  const std::size_t n = r.count(kObjectBytes);
  model.reserve(n);
  for (std::size_t i = 0; i < n && r.ok(); ++i) {
    model.add_geometry_object(Codec<GeometryObject>::load(r));
  }
  return model;
}

void Codec<GeometryData>::save(Writer& w, const GeometryData& data) {
  save_list(w, data.object_placements());
}

GeometryData Codec<GeometryData>::load(Reader& r) {
  GeometryData data;
  data.object_placements_ = load_list<SE3>(r, kSE3Bytes);
  return data;
}

}  // namespace kinetra::serial
