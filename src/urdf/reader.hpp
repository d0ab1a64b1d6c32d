#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "joint/joint.hpp"
#include "model/geometry.hpp"
#include "model/model.hpp"
#include "urdf/errors.hpp"

namespace kinetra::urdf {

struct UrdfModels {
  Model model;
  GeometryModel collision;
  GeometryModel visual;
};

// What a caller may add to the plain reading of a document.
struct ReadOptions {
  // A joint inserted between the world and every root link, named "root_joint" (a free
  // flyer makes the robot floating); none attaches the roots to the world.
  std::optional<JointWrapper> root_joint;
};

// Reads a URDF file (UTF-8) into the kinematic tree with its inertias and frames,
// and the collision and visual geometry. Relative mesh names are resolved against
// `package_dir`, "package://" names through ROS_PACKAGE_PATH. The first error ends
// the call.
std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir,
    const ReadOptions& options = {});

// The same from the document text.
std::expected<UrdfModels, ParseError> build_models_from_urdf_text(
    std::string_view text, const std::optional<std::string>& package_dir,
    const ReadOptions& options = {});

}  // namespace kinetra::urdf
