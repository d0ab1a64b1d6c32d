#pragma once

#include <expected>
#include <span>
#include <string>
#include <variant>

#include "model/data.hpp"
#include "model/model.hpp"
#include "joint/configuration.hpp"

namespace kinetra {

// World placement of every joint frame for q (length nq), written into `data`:
// parent placement, then the joint's placement, then the joint's motion. A Data
// made for another model is an internal failure.
std::expected<void, ConfigurationError> forward_kinematics(const Model& model, Data& data,
                                                           std::span<const double> q);

// Joint torques tau = M(q) a + C(q, v) v + G(q) by the recursive Newton-Euler
// algorithm. q, v and a may be longer than nq / nv (the surplus is ignored);
// shorter vectors are an internal failure ("Matrix slicing out of bounds.").
std::expected<Configuration, ConfigurationError> inverse_dynamics(const Model& model,
                                                                  std::span<const double> q,
                                                                  std::span<const double> v,
                                                                  std::span<const double> a);

// A joint whose articulated inertia along its motion subspace is not positive and
// finite: the accelerations are not defined.
struct SingularJointError {
  std::size_t joint_id;
  std::string joint_name;
};

using ForwardDynamicsError = std::variant<ConfigurationError, SingularJointError>;
std::string display_text(const ForwardDynamicsError& error);

// Joint accelerations for torques tau by the articulated-body algorithm; q must have
// length nq, v and tau length nv (checked in that order).
std::expected<Configuration, ForwardDynamicsError> forward_dynamics(const Model& model,
                                                                    std::span<const double> q,
                                                                    std::span<const double> v,
                                                                    std::span<const double> tau);

}  // namespace kinetra
