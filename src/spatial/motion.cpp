#include "spatial/motion.hpp"

namespace kinetra {

double SpatialMotion::inner(const SpatialMotion& other) const {
  double sum = 0.0;
  for (std::size_t i = 0; i < 6; ++i) sum += data_[i] * other.data_[i];
  return sum;
}

SpatialMotion SpatialMotion::cross(const SpatialMotion& other) const {
  const Vector3D w = rotation(), v = translation();
  const Vector3D a = other.rotation(), b = other.translation();
  return from_parts(w.cross(a) + v.cross(b), w.cross(b));
}

}  // namespace kinetra
