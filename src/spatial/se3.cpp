#include "spatial/se3.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/number_format.hpp"
#include "base/random.hpp"

namespace kinetra {

SE3 SE3::random(ThreadRng& rng) {
  double u[6];
  for (double& value : u) value = rng.next_f64();
  const Vector3D translation(2 * u[0] - 1, 2 * u[1] - 1, 2 * u[2] - 1);
  const Vector3D w(2 * u[3] - 1, 2 * u[4] - 1, 2 * u[5] - 1);
  const double theta = w.norm();
  if (theta == 0.0) return {SpatialRotation::identity(), translation};
  return {SpatialRotation::from_axis_angle(w, theta), translation};
}

void SE3::write_homogeneous(std::span<double, 16> out) const {
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) out[i * 4 + j] = rotation_(i, j);
    out[i * 4 + 3] = translation_[i];
  }
  out[12] = out[13] = out[14] = 0.0;
  out[15] = 1.0;
}

SE3 SE3::inverse() const {
  const SpatialRotation rt = rotation_.transpose();
  return {rt, -(rt * translation_)};
}

SpatialTransform SE3::action() const {
  SpatialTransform x;
  const Vector3D& p = translation_;
  for (std::size_t j = 0; j < 3; ++j) {
    const Vector3D column = rotation_.column(j);
    const Vector3D skew_column = p.cross(column);  // column j of [p]x R
    for (std::size_t i = 0; i < 3; ++i) {
      x(i, j) = column[i];
      x(i, j + 3) = skew_column[i];
      x(i + 3, j + 3) = column[i];
    }
  }
  return x;
}

bool is_orthogonal(const SpatialRotation& r) {
  constexpr double absolute = 1e-6;
  constexpr double relative = std::numeric_limits<double>::epsilon();
  for (std::size_t i = 0; i < 3; ++i) {
    const Vector3D ci = r.column(i);
    for (std::size_t j = 0; j < 3; ++j) {
      const Vector3D cj = r.column(j);
      const double g = ci[0] * cj[0] + ci[1] * cj[1] + ci[2] * cj[2];
      const double expected = i == j ? 1.0 : 0.0;
      if (g == expected) continue;
      const double difference = std::fabs(g - expected);
      // NaN and infinities fail both comparisons.
      if (difference <= absolute) continue;
      if (difference <= std::max(std::fabs(g), std::fabs(expected)) * relative) continue;
      return false;
    }
  }
  return true;
}

std::expected<SE3, std::string> se3_from_rows(std::span<const double, 9> rotation,
                                              const Vector3D& translation) {
  SpatialRotation r;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) r(i, j) = rotation[i * 3 + j];
  }
  if (!is_orthogonal(r)) return std::unexpected("The rotation matrix is not orthogonal.");
  return SE3(r, translation);
}

std::string debug_text(const SE3& transform) {
  std::string out = "SE3(Isometry { rotation: [";
  const auto& r = transform.rotation().column_major();
  for (std::size_t j = 0; j < 3; ++j) {
    if (j != 0) out += ", ";
    append_debug_list(out, r.data() + j * 3, 3);
  }
  out += "], translation: ";
  append_debug_list(out, transform.translation().as_slice().data(), 3);
  out += " })";
  return out;
}

}  // namespace kinetra
