#include "spatial/vector3d.hpp"

#include <cmath>

#include "base/number_format.hpp"

namespace kinetra {

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
