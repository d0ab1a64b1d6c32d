#pragma once

// A model's joint limits gathered into joint-space vectors, joint by joint in the
// order of q (position bounds) or v (velocity and effort bounds).

#include "joint/configuration.hpp"
#include "model/model.hpp"

namespace kinetra {

// (nq) each joint's stored lower / upper bounds; -inf / +inf for a joint without limits.
Configuration lower_limits(const Model& model);
Configuration upper_limits(const Model& model);
// (nv) the first nv entries of each joint's stored velocity / effort bounds; +inf for
// a joint without limits.
Configuration velocity_limits(const Model& model);
Configuration effort_limits(const Model& model);

}  // namespace kinetra
