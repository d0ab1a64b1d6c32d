#pragma once

#include <array>

#include "spatial/motion.hpp"

namespace kinetra {

// A 6x6 real matrix stored column by column, indices in angular-first order.
class SpatialTransform {
 public:
  constexpr SpatialTransform() = default;

  constexpr double operator()(std::size_t row, std::size_t col) const {
    return data_[col * 6 + row];
  }
  constexpr double& operator()(std::size_t row, std::size_t col) { return data_[col * 6 + row]; }

  SpatialTransform transpose() const;
  friend SpatialMotion operator*(const SpatialTransform& x, const SpatialMotion& m);

 private:
  std::array<double, 36> data_{};
};

}  // namespace kinetra
