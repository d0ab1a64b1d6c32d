#pragma once

#include <array>
#include <span>
#include <string>

namespace kinetra {

// A point, direction, translation or axis in three dimensions.
class Vector3D {
 public:
  constexpr Vector3D() = default;
  constexpr Vector3D(double x, double y, double z) : data_{x, y, z} {}

  static constexpr Vector3D zeros() { return {0.0, 0.0, 0.0}; }
  // Unit vectors along the axes.
  static constexpr Vector3D x() { return {1.0, 0.0, 0.0}; }
  static constexpr Vector3D y() { return {0.0, 1.0, 0.0}; }
  static constexpr Vector3D z() { return {0.0, 0.0, 1.0}; }

  constexpr double operator[](std::size_t i) const { return data_[i]; }
  constexpr double& operator[](std::size_t i) { return data_[i]; }
  std::span<const double, 3> as_slice() const { return data_; }

  double norm() const;
  Vector3D cross(const Vector3D& b) const {
    const auto& a = data_;
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  }
  double dot(const Vector3D& b) const {
    return data_[0] * b[0] + data_[1] * b[1] + data_[2] * b[2];
  }
  // Component-wise product.
  Vector3D component_mul(const Vector3D& b) const {
    return {data_[0] * b[0], data_[1] * b[1], data_[2] * b[2]};
  }

  friend Vector3D operator+(const Vector3D& a, const Vector3D& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
  }
  friend Vector3D operator-(const Vector3D& a, const Vector3D& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  }
  friend Vector3D operator-(const Vector3D& a) { return {-a[0], -a[1], -a[2]}; }
  friend Vector3D operator*(const Vector3D& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
  friend Vector3D operator*(double s, const Vector3D& a) { return {s * a[0], s * a[1], s * a[2]}; }
  friend bool operator==(const Vector3D&, const Vector3D&) = default;

 private:
  std::array<double, 3> data_{};
};

inline Vector3D cross(const Vector3D& a, const Vector3D& b) { return a.cross(b); }

// "Vector3D([[x, y, z]])", numbers in the debug format.
std::string debug_text(const Vector3D& v);

}  // namespace kinetra
