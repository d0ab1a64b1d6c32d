#include "spatial/gravity.hpp"

namespace kinetra {

const Vector3D& standard_gravity() {
  static const Vector3D gravity(0.0, 0.0, -9.81);
  return gravity;
}

}  // namespace kinetra
