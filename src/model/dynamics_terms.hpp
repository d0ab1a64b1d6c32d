#pragma once

// The terms of the joint-space equation of motion M(q) qdd + C(q, v) v + g(q) = tau,
// and the energies. q needs nq entries and v nv entries, as for inverse_dynamics.

#include <expected>
#include <span>

#include "joint/configuration.hpp"
#include "model/data.hpp"
#include "model/model.hpp"

namespace kinetra {

// M(q) by the composite rigid body algorithm, full and symmetric, written into
// data.mass_matrix (nv x nv, row-major), which the result views.
std::span<const double> crba(const Model& model, Data& data, std::span<const double> q);

// C(q, v) v + g(q) and g(q): inverse_dynamics with zero acceleration (and zero
// velocity), so the results are those of the same rnea calls bit for bit.
Configuration nonlinear_effects(const Model& model, Data& data, std::span<const double> q,
                                std::span<const double> v);
Configuration generalized_gravity(const Model& model, Data& data, std::span<const double> q);

// 1/2 v^T M(q) v, summed body by body from the body velocities (data.velocities).
double kinetic_energy(const Model& model, Data& data, std::span<const double> q,
                      std::span<const double> v);
// -sum m_i g . c_i over the bodies, c_i the world centre of mass of body i. Runs
// forward_kinematics first, so data.oMi holds the placements for q afterwards.
std::expected<double, ConfigurationError> potential_energy(const Model& model, Data& data,
                                                           std::span<const double> q);

// The sum of the body masses.
double total_mass(const Model& model);

}  // namespace kinetra
