#pragma once

#include <array>
#include <span>

#include "spatial/vector3d.hpp"
#include "spatial/vector6d.hpp"

namespace kinetra {

// A twist: angular part (components 0..2) first, linear part (3..5) second.
class SpatialMotion {
 public:
  constexpr SpatialMotion() = default;
  constexpr explicit SpatialMotion(const std::array<double, 6>& values) : data_(values) {}

  static constexpr SpatialMotion zero() { return {}; }
  static constexpr SpatialMotion from_parts(const Vector3D& angular, const Vector3D& linear) {
    return SpatialMotion({angular[0], angular[1], angular[2], linear[0], linear[1], linear[2]});
  }
  // Unit twist of a rotation about `axis` through the origin.
  static constexpr SpatialMotion from_rotational_axis(const Vector3D& axis) {
    return from_parts(axis, Vector3D::zeros());
  }
  // Unit twist of a translation along `axis`.
  static constexpr SpatialMotion from_translational_axis(const Vector3D& axis) {
    return from_parts(Vector3D::zeros(), axis);
  }

  Vector3D rotation() const { return {data_[0], data_[1], data_[2]}; }
  Vector3D translation() const { return {data_[3], data_[4], data_[5]}; }
  constexpr double operator[](std::size_t i) const { return data_[i]; }
  constexpr double& operator[](std::size_t i) { return data_[i]; }
  std::span<const double, 6> as_slice() const { return data_; }

  // Dot product of all six components, summed in order 0..5.
  double inner(const SpatialMotion& other) const {
    double sum = 0.0;
    for (std::size_t i = 0; i < 6; ++i) sum += data_[i] * other.data_[i];
    return sum;
  }
  // This motion (w; v) applied to a force-type six-vector (a; b):
  // (w x a + v x b; w x b).
  SpatialMotion cross(const SpatialMotion& other) const {
    const Vector3D w = rotation(), v = translation();
    const Vector3D a = other.rotation(), b = other.translation();
    return from_parts(w.cross(a) + v.cross(b), w.cross(b));
  }

  friend SpatialMotion operator+(const SpatialMotion& a, const SpatialMotion& b) {
    SpatialMotion r;
    for (std::size_t i = 0; i < 6; ++i) r.data_[i] = a.data_[i] + b.data_[i];
    return r;
  }
  friend SpatialMotion operator*(const SpatialMotion& m, double s) {
    SpatialMotion r;
    for (std::size_t i = 0; i < 6; ++i) r.data_[i] = m.data_[i] * s;
    return r;
  }
  friend bool operator==(const SpatialMotion&, const SpatialMotion&) = default;

 private:
  std::array<double, 6> data_{};
};

}  // namespace kinetra
