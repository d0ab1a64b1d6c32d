#pragma once

#include <concepts>
#include <expected>
#include <span>
#include <string>

#include "spatial/rotation.hpp"
#include "spatial/transform.hpp"
#include "spatial/vector3d.hpp"

namespace kinetra {

class ThreadRng;

// A rigid transform x -> R x + p (child coordinates to parent coordinates).
class SE3 {
 public:
  SE3() : rotation_(SpatialRotation::identity()) {}
  SE3(const SpatialRotation& rotation, const Vector3D& translation)
      : rotation_(rotation), translation_(translation) {}

  static SE3 identity() { return {}; }
  // Translation uniform in [-1, 1)^3; rotation by |w| about w for w uniform in
  // [-1, 1)^3 (angle at most sqrt(3)). Six 53-bit draws from `rng`, in that order.
  static SE3 random(ThreadRng& rng);

  const SpatialRotation& rotation() const { return rotation_; }
  const Vector3D& translation() const { return translation_; }
  void set_translation(const Vector3D& translation) { translation_ = translation; }

  // (Ra Rb, Ra pb + pa): apply `b` first, then this.
  friend SE3 operator*(const SE3& a, const SE3& b) {
    return {a.rotation_ * b.rotation_, a.rotation_ * b.translation_ + a.translation_};
  }
  SE3 inverse() const;
  // The 16 entries of the homogeneous matrix, row-major.
  void write_homogeneous(std::span<double, 16> out) const;
  // Applies the transform to a point.
  Vector3D act(const Vector3D& point) const { return rotation_ * point + translation_; }
  // [[R, [p]x R], [0, R]] in angular-first order.
  SpatialTransform action() const;

  friend bool operator==(const SE3&, const SE3&) = default;

 private:
  SpatialRotation rotation_;
  Vector3D translation_;
};

// Whether R^T R equals the identity entry by entry within an absolute tolerance of
// 1e-6 or a relative tolerance of one machine epsilon (reflections pass).
bool is_orthogonal(const SpatialRotation& r);

// An SE3 from a rotation given row by row, refused unless it is orthogonal; the values
// are kept as given.
std::expected<SE3, std::string> se3_from_rows(std::span<const double, 9> rotation,
                                              const Vector3D& translation);

// A value that a rigid transform can move into the transform's parent frame.
template <class T>
concept ActSE3 = requires(const T& value, const SE3& transform) {
  { value.act(transform) } -> std::same_as<T>;
};

// "SE3(Isometry { rotation: [[columns...]], translation: [...] })", debug numbers.
std::string debug_text(const SE3& transform);

}  // namespace kinetra
