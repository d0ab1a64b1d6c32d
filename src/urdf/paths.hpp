#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "urdf/errors.hpp"

namespace kinetra::urdf {

// a, then "/" unless a already ends with one, then b; b alone when it is absolute or
// a is empty. No other normalisation.
std::string join_path(std::string_view a, std::string_view b);

// Resolves a mesh `filename` to the path of something that exists (symbolic links
// followed): "package://pkg/rest" through the package directories listed in
// ROS_PACKAGE_PATH (read afresh each time), absolute names as they are, other names
// relative to `package_dir`. Failures are InvalidFilePath errors.
// Without `check_exists` nothing is asked of the file system and no name fails: a name
// that cannot be resolved (no such package, no `package_dir`) is kept as written, and a
// name that can is the path the checked call would test.
std::expected<std::string, ParseError> resolve_mesh_path(
    std::string_view filename, const std::optional<std::string>& package_dir,
    bool check_exists = true);

// Whether the bytes are valid UTF-8.
bool is_valid_utf8(std::string_view bytes);

}  // namespace kinetra::urdf
