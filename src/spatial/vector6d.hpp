#pragma once

#include <array>
#include <span>

#include "spatial/vector3d.hpp"

namespace kinetra {

// Six components; as a spatial force the moment (angular part) comes first.
class Vector6D {
 public:
  constexpr Vector6D() = default;
  constexpr explicit Vector6D(const std::array<double, 6>& values) : data_(values) {}

  static constexpr Vector6D zeros() { return {}; }
  static constexpr Vector6D from_components(const Vector3D& angular, const Vector3D& linear) {
    return Vector6D({angular[0], angular[1], angular[2], linear[0], linear[1], linear[2]});
  }

  constexpr double operator[](std::size_t i) const { return data_[i]; }
  constexpr double& operator[](std::size_t i) { return data_[i]; }
  std::span<const double, 6> as_slice() const { return data_; }
  Vector3D angular() const { return {data_[0], data_[1], data_[2]}; }
  Vector3D linear() const { return {data_[3], data_[4], data_[5]}; }

  friend bool operator==(const Vector6D&, const Vector6D&) = default;

 private:
  std::array<double, 6> data_{};
};

}  // namespace kinetra
