#pragma once

#include <array>
#include <expected>
#include <span>
#include <string>

#include "spatial/rotation.hpp"
#include "spatial/vector3d.hpp"

namespace kinetra {

// A symmetric 3x3 matrix stored as (m11, m22, m33, m12, m13, m23).
class Symmetric3 {
 public:
  constexpr Symmetric3() = default;
  constexpr Symmetric3(double m11, double m22, double m33, double m12, double m13, double m23)
      : data_{m11, m22, m33, m12, m13, m23} {}

  static constexpr Symmetric3 zero() { return {}; }
  static constexpr Symmetric3 identity() { return {1, 1, 1, 0, 0, 0}; }
  // A 3x3 matrix given row by row that equals its transpose exactly.
  static std::expected<Symmetric3, std::string> from_rows(std::span<const double, 9> rows);
  // [v]x [v]x = v v^T - (v . v) I.
  static Symmetric3 skew_square(const Vector3D& v);

  double m11() const { return data_[0]; }
  double m22() const { return data_[1]; }
  double m33() const { return data_[2]; }
  double m12() const { return data_[3]; }
  double m13() const { return data_[4]; }
  double m23() const { return data_[5]; }
  const std::array<double, 6>& data() const { return data_; }
  // Entry (row, col) of the full matrix; both indices below 3.
  double operator()(std::size_t row, std::size_t col) const;
  // The full matrix row by row.
  std::array<double, 9> to_rows() const;

  // R S R^T.
  Symmetric3 rotate(const SpatialRotation& r) const;

  friend Vector3D operator*(const Symmetric3& s, const Vector3D& v);
  friend Symmetric3 operator+(const Symmetric3& a, const Symmetric3& b);
  friend Symmetric3 operator-(const Symmetric3& a, const Symmetric3& b);
  friend Symmetric3 operator*(double s, const Symmetric3& m);
  friend bool operator==(const Symmetric3&, const Symmetric3&) = default;

 private:
  std::array<double, 6> data_{};
};

// "Symmetric3 { data: [m11, m22, m33, m12, m13, m23] }", debug numbers.
std::string debug_text(const Symmetric3& s);
// The three rows of the full matrix with four decimals, as repr() shows them.
std::string repr_text(const Symmetric3& s);

}  // namespace kinetra
