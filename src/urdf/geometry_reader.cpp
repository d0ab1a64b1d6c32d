#include "urdf/geometry_reader.hpp"

#include "shapora/primitives.hpp"
#include "urdf/paths.hpp"
#include "urdf/values.hpp"

namespace kinetra::urdf {

namespace {

std::expected<shapora::ShapeWrapper, ParseError> parse_shape(
    const std::string& name, const XmlElement& geometry,
    const std::optional<std::string>& package_dir, bool check_meshes) {
  using shapora::ShapeWrapper;
  if (const auto box = geometry.first_child("box")) {
    const auto size = extract_parameter_list_f32<3>("size", *box);
    if (!size) return std::unexpected(size.error());
    return ShapeWrapper(std::make_unique<shapora::Cuboid>((*size)[0], (*size)[1], (*size)[2]));
  }
  if (const auto cylinder = geometry.first_child("cylinder")) {
    const auto radius = extract_parameter_f32("radius", *cylinder);
    if (!radius) return std::unexpected(radius.error());
    const auto length = extract_parameter_f32("length", *cylinder);
    if (!length) return std::unexpected(length.error());
    return ShapeWrapper(std::make_unique<shapora::Cylinder>(*radius, *length));
  }
  if (const auto sphere = geometry.first_child("sphere")) {
    const auto radius = extract_parameter_f32("radius", *sphere);
    if (!radius) return std::unexpected(radius.error());
    return ShapeWrapper(std::make_unique<shapora::Sphere>(*radius));
  }
  if (const auto mesh = geometry.first_child("mesh")) {
    const auto filename = extract_parameter_text("filename", *mesh);
    if (!filename) return std::unexpected(filename.error());
    auto path = resolve_mesh_path(*filename, package_dir, check_meshes);
    if (!path) return std::unexpected(path.error());
    return ShapeWrapper(std::make_unique<shapora::Mesh>(std::move(*path)));
  }
  return std::unexpected(ParseError::of(ParseError::Kind::GeometryWithoutShape, name));
}

Color visual_color(const XmlElement& element, MaterialTable& materials) {
  const auto material = element.first_child("material");
  if (!material) return kDefaultColor;
  const auto name = material->attribute("name");
  if (name) {
    if (const auto known = materials.find(std::string(*name)); known != materials.end()) {
      return known->second;
    }
  }
  const auto color = material->first_child("color");
  if (!color) return kDefaultColor;
  const auto rgba = extract_parameter_list<4>("rgba", *color);
  if (!rgba) return kDefaultColor;  // an unreadable colour keeps the default
  const Color value((*rgba)[0], (*rgba)[1], (*rgba)[2], (*rgba)[3]);
  if (name && !name->empty()) materials.insert_or_assign(std::string(*name), value);
  return value;
}

}  // namespace

std::expected<GeometryObject, ParseError> parse_geometry(
    std::string name, const XmlElement& element, std::size_t parent_joint, std::size_t parent_frame,
    const std::vector<Frame>& frames, MaterialTable& materials,
    const std::optional<std::string>& package_dir, bool check_meshes, bool visual) {
  const auto geometry = element.first_child("geometry");
  if (!geometry)
    return std::unexpected(ParseError::of(ParseError::Kind::VisualWithoutGeometry, name));
  auto shape = parse_shape(name, *geometry, package_dir, check_meshes);
  if (!shape) return std::unexpected(shape.error());
  const auto origin = parse_origin(element);
  if (!origin) return std::unexpected(origin.error());
  const SE3 placement = frames[parent_frame].placement * *origin;
  const Color color = visual ? visual_color(element, materials) : kDefaultColor;
  return GeometryObject{std::move(name), parent_joint, parent_frame,     false,
                        color,           placement,    std::move(*shape)};
}

}  // namespace kinetra::urdf
