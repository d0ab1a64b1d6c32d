// The Python function build_models_from_urdf.
#include "module/bindings.hpp"
#include "python/module.hpp"
#include "urdf/reader.hpp"

namespace kinetra::python {

Ref build_models_from_urdf_function() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table.function(
      "build_models_from_urdf", {"filepath", "package_dir=None", "*", "root_joint=None"},
      [](std::string filepath, std::optional<std::string> package_dir,
         std::optional<JointWrapper> root_joint)
          -> std::expected<std::tuple<Model, GeometryModel, GeometryModel>, std::string> {
        const urdf::ReadOptions options{std::move(root_joint)};
        auto loaded = urdf::build_models_from_urdf(filepath, package_dir, options);
        if (!loaded) return std::unexpected(display_text(loaded.error()));
        return std::tuple<Model, GeometryModel, GeometryModel>(
            std::move(loaded->model), std::move(loaded->collision), std::move(loaded->visual));
      },
      "A Python wrapper for the `build_models_from_urdf` function.");
}

}  // namespace kinetra::python
