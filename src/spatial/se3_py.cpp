// Python class SE3.
#include "base/random.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "spatial/se3.hpp"
#include "spatial/spatial_serial.hpp"

namespace kinetra::python {
namespace {

// The translation check shared by the constructor and the translation setter.
std::expected<Vector3D, std::string> translation_from_array(const NdArrayView& translation) {
  if (translation.dim(0) != 3) {
    return std::unexpected("Invalid input size. Expected a translation of shape (3,), got " +
                           std::to_string(translation.dim(0)) + ".");
  }
  return Vector3D(translation.at(0), translation.at(1), translation.at(2));
}

// A (3, 3) rotation and a (3,) translation; the core checks orthogonality.
std::expected<SE3, std::string> se3_from_arrays(const NdArrayView& rotation,
                                                const NdArrayView& translation) {
  if (rotation.dim(0) != 3 || rotation.dim(1) != 3) {
    return std::unexpected("Invalid input size. Expected a rotation of shape (3,3), got [" +
                           std::to_string(rotation.dim(0)) + ", " +
                           std::to_string(rotation.dim(1)) + "]");
  }
  const auto p = translation_from_array(translation);
  if (!p) return std::unexpected(p.error());
  const RowMajorValues rows(rotation);
  return se3_from_rows(rows.span().first<9>(), *p);
}

std::array<double, 16> homogeneous_rows(const SE3& t) {
  std::array<double, 16> rows;
  t.write_homogeneous(rows);
  return rows;
}

std::array<double, 9> rotation_rows(const SE3& t) {
  std::array<double, 9> rows{};
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) rows[i * 3 + j] = t.rotation()(i, j);
  }
  return rows;
}

}  // namespace

Ref se3_class() {
  static ClassDef<SE3>& def =
      ClassDef<SE3>::define("SE3")
          .picklable(serial::save<SE3>, serial::load<SE3>)
          .doc("Python wrapper for the SE(3) group.")
          .constructor({"rotation", "translation"},
                       [](Array2 rotation, Array1 translation) {
                         return se3_from_arrays(rotation, translation);
                       })
          .static_method("Identity", {}, [] { return SE3::identity(); })
          .static_method("Random", {}, [] { return SE3::random(thread_rng()); })
          .method("inverse", {}, [](const SE3& self) { return self.inverse(); })
          .method("copy", {}, [](const SE3& self) { return self; })
          .property(
              "translation",
              [](const SE3& self) { return new_vector(self.translation().as_slice()); },
              [](SE3& self, Array1 value) -> std::expected<void, std::string> {
                const auto p = translation_from_array(value);
                if (!p) return std::unexpected(p.error());
                self.set_translation(*p);
                return {};
              })
          .property("rotation",
                    [](const SE3& self) {
                      return new_matrix(3, 3, rotation_rows(self), MemoryOrder::ColumnMajor);
                    })
          .property("homogeneous",
                    [](const SE3& self) {
                      return new_matrix(4, 4, homogeneous_rows(self), MemoryOrder::ColumnMajor);
                    })
          .multiply([](const SE3& a, const SE3& b) { return a * b; })
          .repr([](const SE3& self) { return debug_text(self); });
  return def.type();
}

}  // namespace kinetra::python
