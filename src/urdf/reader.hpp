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

// What a caller may change in the plain reading of a document.
struct ReadOptions {
  // A joint inserted between the world and every root link, named "root_joint" (a free
  // flyer makes the robot floating); none attaches the roots to the world.
  std::optional<JointWrapper> root_joint;
  // Whether every mesh must name an existing file. Without the check no file is looked
  // at: names that resolve are resolved, the others kept as written.
  bool check_meshes = true;
  // Refuse what the plain reading skips: a joint without parent or child link or whose
  // parent link does not exist, links with no root among them, links and joints no root
  // reaches, a zero or non-finite axis, a negative or non-finite mass, an inertia that is
  // not positive semi-definite beyond rounding (strict_checks.hpp).
  bool strict = false;
};

// Reads a URDF file (UTF-8) into the kinematic tree with its inertias and frames,
// and the collision and visual geometry. Relative mesh names are resolved against
// `package_dir`, "package://" names through ROS_PACKAGE_PATH. The first error ends
// the call; an error that arose in an element names it (ParseError::element).
std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir,
    const ReadOptions& options = {});

// The same from the document text.
std::expected<UrdfModels, ParseError> build_models_from_urdf_text(
    std::string_view text, const std::optional<std::string>& package_dir,
    const ReadOptions& options = {});

}  // namespace kinetra::urdf
