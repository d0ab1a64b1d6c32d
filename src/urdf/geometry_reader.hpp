#pragma once

#include <expected>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/frame.hpp"
#include "model/geometry.hpp"
#include "urdf/errors.hpp"
#include "urdf/xml.hpp"

namespace kinetra::urdf {

// Material name -> colour, for one loading call.
using MaterialTable = std::unordered_map<std::string, Color>;

// The colour of geometry objects without a material of their own.
inline constexpr Color kDefaultColor{0.9, 0.9, 0.9, 1.0};

// One `collision` or `visual` element as a geometry object: the shape (box, then
// cylinder, sphere, mesh), its placement relative to the frame `parent_frame`, and
// for visual elements the colour of its material (which may define a new name). Mesh
// names resolve as resolve_mesh_path does, the file checked when `check_meshes`.
std::expected<GeometryObject, ParseError> parse_geometry(
    std::string name, const XmlElement& element, std::size_t parent_joint, std::size_t parent_frame,
    const std::vector<Frame>& frames, MaterialTable& materials,
    const std::optional<std::string>& package_dir, bool check_meshes, bool visual);

}  // namespace kinetra::urdf
