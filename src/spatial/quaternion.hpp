#pragma once

#include "spatial/rotation.hpp"
#include "spatial/vector3d.hpp"

namespace kinetra {

class ThreadRng;

// A quaternion (x, y, z, w), scalar last. Rotations read it without assuming a unit
// norm (scaled by 2 / |q|^2), so a slightly drifted quaternion still gives a rotation.
struct Quaternion {
  double x = 0.0, y = 0.0, z = 0.0, w = 1.0;

  Vector3D vec() const { return {x, y, z}; }
  double squared_norm() const { return x * x + y * y + z * z + w * w; }
  Quaternion conjugate() const { return {-x, -y, -z, w}; }
  // The Hamilton product: the rotation of b followed by that of a.
  friend Quaternion operator*(const Quaternion& a, const Quaternion& b);

  SpatialRotation to_rotation() const;
  // Uniform over the rotations (Shoemake's subgroup algorithm), unit norm.
  static Quaternion random(ThreadRng& rng);
};

// The unit quaternion of the rotation vector w (exp of the axis-angle), accurate near
// a zero angle.
Quaternion quaternion_exp(const Vector3D& w);
// The rotation vector of q with angle in [0, pi] (q and -q give the same result);
// accurate near 0 and near pi. q needs not be unit.
Vector3D quaternion_log(const Quaternion& q);

// The left Jacobian of SO(3) at w applied to p: (I + A [w]x + B [w]x^2) p with
// A = (1 - cos t) / t^2, B = (t - sin t) / t^3: the translation of exp of the twist
// (w; p).
Vector3D so3_left_jacobian_mul(const Vector3D& w, const Vector3D& p);
// Its inverse applied to p: (I - [w]x / 2 + C [w]x^2) p with
// C = 1 / t^2 - cot(t / 2) / (2 t).
Vector3D so3_left_jacobian_inverse_mul(const Vector3D& w, const Vector3D& p);

}  // namespace kinetra
