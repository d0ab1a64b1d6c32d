#pragma once

#include "spatial/vector3d.hpp"

namespace kinetra {

// The process-wide standard gravity (0, 0, -9.81) m/s^2, created on first use;
// the default gravity of every new Model.
const Vector3D& standard_gravity();

}  // namespace kinetra
