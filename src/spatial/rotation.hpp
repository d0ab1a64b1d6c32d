#pragma once

#include <array>
#include <cstddef>

#include "spatial/vector3d.hpp"

namespace kinetra {

// A 3x3 real matrix stored column by column; used for rotations.
class SpatialRotation {
 public:
  constexpr SpatialRotation() = default;

  static constexpr SpatialRotation identity() {
    SpatialRotation r;
    r.data_ = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    return r;
  }
  // Entries given row by row (the way matrices are written).
  static constexpr SpatialRotation from_rows(const std::array<double, 9>& rows) {
    SpatialRotation r;
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) r(i, j) = rows[i * 3 + j];
    }
    return r;
  }
  // Right-handed rotation by `angle` about `axis` (normalised here); the identity
  // when angle is exactly 0, whatever the axis.
  static SpatialRotation from_axis_angle(const Vector3D& axis, double angle);
  // The same rotation for an axis already divided by its length (as from_axis_angle
  // divides it), so callers can normalise once and reuse the result.
  static SpatialRotation from_unit_axis_angle(const Vector3D& k, double angle);
  static Vector3D normalise_axis(const Vector3D& axis) {
    const double length = axis.norm();
    return {axis[0] / length, axis[1] / length, axis[2] / length};
  }
  // Rz(yaw) * Ry(pitch) * Rx(roll): the URDF roll-pitch-yaw convention.
  static SpatialRotation from_euler_angles(double roll, double pitch, double yaw);

  constexpr double operator()(std::size_t row, std::size_t col) const {
    return data_[col * 3 + row];
  }
  constexpr double& operator()(std::size_t row, std::size_t col) { return data_[col * 3 + row]; }
  // The nine entries column by column.
  const std::array<double, 9>& column_major() const { return data_; }
  Vector3D column(std::size_t j) const {
    return {data_[j * 3], data_[j * 3 + 1], data_[j * 3 + 2]};
  }

  SpatialRotation transpose() const {
    SpatialRotation t;
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) t(i, j) = (*this)(j, i);
    }
    return t;
  }
  // R^T v without forming the transpose.
  Vector3D transpose_mul(const Vector3D& v) const {
    return {column(0).dot(v), column(1).dot(v), column(2).dot(v)};
  }

  friend Vector3D operator*(const SpatialRotation& r, const Vector3D& v) {
    return {r(0, 0) * v[0] + r(0, 1) * v[1] + r(0, 2) * v[2],
            r(1, 0) * v[0] + r(1, 1) * v[1] + r(1, 2) * v[2],
            r(2, 0) * v[0] + r(2, 1) * v[1] + r(2, 2) * v[2]};
  }
  friend SpatialRotation operator*(const SpatialRotation& a, const SpatialRotation& b) {
    SpatialRotation r;
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) {
        r(i, j) = a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j);
      }
    }
    return r;
  }
  friend bool operator==(const SpatialRotation&, const SpatialRotation&) = default;

 private:
  std::array<double, 9> data_{};
};

}  // namespace kinetra
