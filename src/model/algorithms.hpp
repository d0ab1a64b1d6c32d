#pragma once

#include <expected>
#include <span>
#include <string>
#include <variant>

#include "joint/configuration.hpp"
#include "model/data.hpp"
#include "model/model.hpp"

namespace kinetra {

// World placement of every joint frame for q (length nq), written into `data`:
// parent placement, then the joint's placement, then the joint's motion. A Data
// made for another model is an internal failure.
std::expected<void, ConfigurationError> forward_kinematics(const Model& model, Data& data,
                                                           std::span<const double> q);

// Each joint's frame in its parent's frame for q (data.local_placements): the
// placement given to add_joint, then the joint's motion. q needs nq entries
// (surplus ignored; fewer is the internal failure "Matrix slicing out of bounds.").
void update_local_placements(const Model& model, Data& data, std::span<const double> q);

// Joint torques tau = M(q) a + C(q, v) v + G(q) by the recursive Newton-Euler
// algorithm. q, v and a may be longer than nq / nv (the surplus is ignored);
// shorter vectors are an internal failure ("Matrix slicing out of bounds.").
// Fills data's local placements, velocities, accelerations and forces.
std::expected<Configuration, ConfigurationError> inverse_dynamics(const Model& model, Data& data,
                                                                  std::span<const double> q,
                                                                  std::span<const double> v,
                                                                  std::span<const double> a);
// Its two passes. Forward, root to leaves: local placements, body velocities,
// accelerations and the forces the bodies need.
void rnea_forward_pass(const Model& model, Data& data, std::span<const double> q,
                       std::span<const double> v, std::span<const double> a);
// Backward, leaves to root: each subtree's force projected on its joint, into `tau`
// (nv entries, every one written), or into a new vector.
void rnea_backward_pass(const Model& model, Data& data, std::span<double> tau);
Configuration rnea_backward_pass(const Model& model, Data& data);

// A joint whose articulated inertia along its motion subspace is not positive and
// finite: the accelerations are not defined.
struct SingularJointError {
  std::size_t joint_id;
  std::string joint_name;
};

using ForwardDynamicsError = std::variant<ConfigurationError, SingularJointError>;
std::string display_text(const ForwardDynamicsError& error);

// Joint accelerations for torques tau by the articulated-body algorithm; q must have
// length nq, v and tau length nv (checked in that order). Runs the three passes below.
std::expected<Configuration, ForwardDynamicsError> forward_dynamics(const Model& model, Data& data,
                                                                    std::span<const double> q,
                                                                    std::span<const double> v,
                                                                    std::span<const double> tau);
// Pass 1, root to leaves: local placements, velocities, velocity-product
// accelerations, rigid-body inertias and bias forces.
void aba_velocity_pass(const Model& model, Data& data, std::span<const double> q,
                       std::span<const double> v);
// Pass 2, leaves to root: articulated inertias, bias forces and each joint's factors.
std::expected<void, SingularJointError> aba_articulated_pass(const Model& model, Data& data,
                                                             std::span<const double> tau);
// Pass 3, root to leaves: the accelerations, into `qdd` (nv entries, every one written),
// or into a new vector.
void aba_acceleration_pass(const Model& model, Data& data, std::span<double> qdd);
Configuration aba_acceleration_pass(const Model& model, Data& data);

}  // namespace kinetra
