#include "spatial/rotation.hpp"

#include <cmath>

#include "spatial/trig.hpp"

namespace kinetra {

SpatialRotation SpatialRotation::from_axis_angle(const Vector3D& axis, double angle) {
  if (angle == 0.0) return identity();
  return from_unit_axis_angle(normalise_axis(axis), angle);
}

SpatialRotation SpatialRotation::from_unit_axis_angle(const Vector3D& k, double angle) {
  if (angle == 0.0) return identity();
  double c, s;
  cos_sin(angle, c, s);
  const double t = 1.0 - c;
  // c I + s [k]x + (1 - c) k k^T, entry by entry
  SpatialRotation r;
  r(0, 0) = (c * 1.0 + s * 0.0) + t * (k[0] * k[0]);
  r(0, 1) = (c * 0.0 + s * -k[2]) + t * (k[0] * k[1]);
  r(0, 2) = (c * 0.0 + s * k[1]) + t * (k[0] * k[2]);
  r(1, 0) = (c * 0.0 + s * k[2]) + t * (k[1] * k[0]);
  r(1, 1) = (c * 1.0 + s * 0.0) + t * (k[1] * k[1]);
  r(1, 2) = (c * 0.0 + s * -k[0]) + t * (k[1] * k[2]);
  r(2, 0) = (c * 0.0 + s * -k[1]) + t * (k[2] * k[0]);
  r(2, 1) = (c * 0.0 + s * k[0]) + t * (k[2] * k[1]);
  r(2, 2) = (c * 1.0 + s * 0.0) + t * (k[2] * k[2]);
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

}  // namespace kinetra
