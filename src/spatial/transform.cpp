#include "spatial/transform.hpp"

namespace kinetra {

SpatialTransform SpatialTransform::transpose() const {
  SpatialTransform t;
  for (std::size_t i = 0; i < 6; ++i) {
    for (std::size_t j = 0; j < 6; ++j) t(i, j) = (*this)(j, i);
  }
  return t;
}

SpatialMotion operator*(const SpatialTransform& x, const SpatialMotion& m) {
  SpatialMotion r;
  for (std::size_t i = 0; i < 6; ++i) {
    double sum = 0.0;
    for (std::size_t j = 0; j < 6; ++j) sum += x(i, j) * m[j];
    r[i] = sum;
  }
  return r;
}

}  // namespace kinetra
