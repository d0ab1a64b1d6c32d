#include "spatial/vector3d.hpp"

#include <cmath>

#include "base/number_format.hpp"

namespace kinetra {

std::expected<Vector3D, std::string> Vector3D::from_pyarray(const NdArrayView& array) {
  if (array.ndim() != 1 || array.dim(0) != 3) {
    return std::unexpected("Input array must be one-dimensional with length 3.");
  }
  return Vector3D(array.at(0), array.at(1), array.at(2));
}

double Vector3D::norm() const {
  double sum = data_[0] * data_[0];
  sum += data_[1] * data_[1];
  sum += data_[2] * data_[2];
  return std::sqrt(sum);
}

std::string debug_text(const Vector3D& v) {
  std::string out = "Vector3D([";
  append_debug_list(out, v.as_slice().data(), 3);
  out += "])";
  return out;
}

}  // namespace kinetra
