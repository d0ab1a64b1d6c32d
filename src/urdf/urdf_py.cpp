// The Python functions build_models_from_urdf and build_models_from_xml.
#include "module/bindings.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"
#include "urdf/reader.hpp"

namespace kinetra::python {
namespace {

using Models = std::tuple<Model, GeometryModel, GeometryModel>;

// Whether a file name that could not be read looks like a document given in its place.
bool looks_like_xml(std::string_view name) {
  const auto start = name.find_first_not_of(" \t\r\n");
  return start != std::string_view::npos && name[start] == '<';
}

// The error's designed text as a ValueError; the notes say where it arose and, for a
// mesh that is not found, how to read without the files; for a document passed as a file
// name, which function reads text.
[[noreturn]] void raise_parse_error(const urdf::ParseError& error, std::string_view filepath) {
  try {
    raise(PyExc_ValueError, display_text(error));
  } catch (const PythonError&) {
    if (!error.element().empty()) add_note("in " + error.element());
    if (error.kind() == urdf::ParseError::Kind::InvalidFilePath) {
      add_note("check_meshes=False reads mesh names without looking for the files");
    }
    if (error.kind() == urdf::ParseError::Kind::IoError && looks_like_xml(filepath)) {
      add_note("filepath holds XML text, not a file name: build_models_from_xml reads text");
    }
    throw;
  }
}

Models unpack(std::expected<urdf::UrdfModels, urdf::ParseError> loaded,
              std::string_view filepath = {}) {
  if (!loaded) raise_parse_error(loaded.error(), filepath);
  return {std::move(loaded->model), std::move(loaded->collision), std::move(loaded->visual)};
}

std::optional<std::string> text_of(std::optional<FilePath> path) {
  if (!path) return std::nullopt;
  return std::move(path->value);
}

urdf::ReadOptions read_options(std::optional<JointWrapper> root_joint, Flag<true> check_meshes,
                               Flag<false> strict) {
  return {std::move(root_joint), check_meshes.value, strict.value};
}

}  // namespace

Ref build_models_from_urdf_function() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table.function(
      "build_models_from_urdf",
      {"filepath", "package_dir=None", "*", "root_joint=None", "check_meshes=True", "strict=False"},
      [](FilePath filepath, std::optional<FilePath> package_dir,
         std::optional<JointWrapper> root_joint, Flag<true> check_meshes,
         Flag<false> strict) -> Models {
        return unpack(
            urdf::build_models_from_urdf(filepath.value, text_of(std::move(package_dir)),
                                         read_options(std::move(root_joint), check_meshes, strict)),
            filepath.value);
      },
      "A Python wrapper for the `build_models_from_urdf` function.");
}

Ref build_models_from_xml_function() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table.function(
      "build_models_from_xml",
      {"xml", "package_dir=None", "*", "root_joint=None", "check_meshes=True", "strict=False"},
      [](std::string xml, std::optional<FilePath> package_dir,
         std::optional<JointWrapper> root_joint, Flag<true> check_meshes,
         Flag<false> strict) -> Models {
        return unpack(urdf::build_models_from_urdf_text(
            xml, text_of(std::move(package_dir)),
            read_options(std::move(root_joint), check_meshes, strict)));
      },
      "Reads a robot from URDF text (a str) as build_models_from_urdf reads a file, with the "
      "same keywords, and returns (model, collision_model, visual_model).\n\n"
      "Relative mesh names resolve against `package_dir` (a str or os.PathLike), "
      "'package://' names through ROS_PACKAGE_PATH. root_joint: a joint inserted between "
      "the world and the root links (JointModelFreeFlyer() for a floating base). "
      "check_meshes=False: no mesh file needs to exist; names that resolve are resolved, "
      "the others kept as written. strict=True: refuse what the plain reading skips (a "
      "joint without or with an unknown parent link, a joint without child link, links "
      "and joints no root reaches, no root link, a zero axis, a negative mass, an inertia "
      "that is not positive semi-definite). Errors are ValueError, with a note naming the "
      "element where they arose.");
}

}  // namespace kinetra::python
