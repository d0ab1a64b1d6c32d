#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "model/data.hpp"
#include "model/model.hpp"

namespace kinetra {

// The world centre of mass of all bodies from data's joint placements (data must fit
// the model); nullopt when the bodies' masses sum to zero.
std::optional<Vector3D> center_of_mass(const Model& model, const Data& data);

// Its 3 x nv Jacobian, row-major into `out` (3 * nv entries), from data's joint
// placements: column k is d com / d v_k. False (out untouched) when the mass is zero.
// Fills data.subtree_masses and data.subtree_moments (mass and mass-weighted world
// centre of each joint's subtree).
bool jacobian_center_of_mass(const Model& model, Data& data, std::span<double> out);

}  // namespace kinetra
