#include "urdf/paths.hpp"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kinetra::urdf {

namespace {

ParseError invalid_path(std::string message) {
  return ParseError::of(ParseError::Kind::InvalidFilePath, std::move(message));
}

// The last name of a path ("pkg" for "/x/pkg/" or "/x/pkg/."); none for "", "/" or
// a path ending in "..".
std::optional<std::string_view> final_component(std::string_view path) {
  std::optional<std::string_view> last;
  std::size_t start = 0;
  while (start <= path.size()) {
    const auto end = std::min(path.find('/', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != ".") last = part;
    start = end + 1;
  }
  if (last && *last == "..") return std::nullopt;
  return last;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Plain ASCII eight bytes at a time.
    std::uint64_t word;
    if (i + 8 <= bytes.size() &&
        (std::memcpy(&word, bytes.data() + i, 8), (word & 0x8080808080808080u) == 0)) {
      i += 8;
      continue;
    }
    const auto b = static_cast<unsigned char>(bytes[i]);
    std::size_t n;
    char32_t minimum;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      n = 2, minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      n = 3, minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      n = 4, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + n > bytes.size()) return false;
    char32_t c = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    // No overlong forms, surrogates or code points past U+10FFFF.
    if (c < minimum || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    i += n;
  }
  return true;
}

std::string join_path(std::string_view a, std::string_view b) {
  if (b.starts_with('/') || a.empty()) return std::string(b);
  std::string out(a);
  if (!out.ends_with('/')) out += '/';
  out += b;
  return out;
}

namespace {

// The path a mesh name stands for, before the file system is asked about it.
std::expected<std::string, ParseError> mesh_path(std::string_view filename,
                                                 const std::optional<std::string>& package_dir) {
  constexpr std::string_view kPackage = "package://";
  if (filename.starts_with(kPackage)) {
    std::string_view rest = filename.substr(kPackage.size());
    if (rest.starts_with('/')) rest.remove_prefix(1);
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
      return std::unexpected(invalid_path("Invalid package path: " + std::string(rest)));
    }
    const std::string_view package = rest.substr(0, slash);
    const std::string_view relative = rest.substr(slash + 1);
    const char* variable = std::getenv("ROS_PACKAGE_PATH");
    if (variable == nullptr || !is_valid_utf8(variable)) {
      return std::unexpected(invalid_path(
          "'package://' was used but the ROS_PACKAGE_PATH environment variable is not set"));
    }
    const std::string_view entries(variable);
    std::optional<std::string_view> directory;
    for (std::size_t start = 0; start <= entries.size() && !directory;) {
      const auto end = std::min(entries.find(':', start), entries.size());
      const std::string_view entry = entries.substr(start, end - start);
      if (final_component(entry) == package) directory = entry;
      start = end + 1;
    }
    if (!directory) {
      return std::unexpected(
          invalid_path("Package '" + std::string(package) + "' not found in ROS_PACKAGE_PATH"));
    }
    return join_path(*directory, relative);
  }
  if (filename.starts_with('/')) return std::string(filename);
  if (!package_dir) {
    return std::unexpected(
        invalid_path("'package_dir' must be provided to resolve mesh file paths"));
  }
  return join_path(*package_dir, filename);
}

}  // namespace

std::expected<std::string, ParseError> resolve_mesh_path(
    std::string_view filename, const std::optional<std::string>& package_dir, bool check_exists) {
  auto resolved = mesh_path(filename, package_dir);
  if (!check_exists) return resolved ? std::move(*resolved) : std::string(filename);
  if (!resolved) return resolved;
  const std::string& path = *resolved;
  struct stat status{};
  // A NUL byte would make the system test a shorter name.
  if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &status) != 0) {
    return std::unexpected(invalid_path("Mesh file does not exist: " + path));
  }
  return path;
}

}  // namespace kinetra::urdf
