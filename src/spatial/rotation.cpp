#include "spatial/rotation.hpp"

#include <cmath>

namespace kinetra {

SpatialRotation SpatialRotation::from_axis_angle(const Vector3D& axis, double angle) {
  if (angle == 0.0) return identity();
  const double length = axis.norm();
  const Vector3D k(axis[0] / length, axis[1] / length, axis[2] / length);
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double t = 1.0 - c;
  // c I + s [k]x + (1 - c) k k^T
  const double skew[9] = {0.0, -k[2], k[1], k[2], 0.0, -k[0], -k[1], k[0], 0.0};  // row-major
  SpatialRotation r;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      r(i, j) = (c * (i == j ? 1.0 : 0.0) + s * skew[i * 3 + j]) + t * (k[i] * k[j]);
    }
  }
  return r;
}

SpatialRotation SpatialRotation::from_euler_angles(double roll, double pitch, double yaw) {
  const double sr = std::sin(roll), cr = std::cos(roll);
  const double sp = std::sin(pitch), cp = std::cos(pitch);
  const double sy = std::sin(yaw), cy = std::cos(yaw);
  return from_rows({cy * cp, cy * sp * sr - sy * cr, cy * sp * cr + sy * sr,  //
                    sy * cp, sy * sp * sr + cy * cr, sy * sp * cr - cy * sr,  //
                    -sp, cp * sr, cp * cr});
}

SpatialRotation SpatialRotation::transpose() const {
  SpatialRotation t;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) t(i, j) = (*this)(j, i);
  }
  return t;
}

SpatialRotation operator*(const SpatialRotation& a, const SpatialRotation& b) {
  SpatialRotation r;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      r(i, j) = a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j);
    }
  }
  return r;
}

}  // namespace kinetra
