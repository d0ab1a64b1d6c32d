#pragma once

// Moving on a model's configuration space: joint by joint, each block through its
// joint model (vector-space joints add, continuous joints turn their (cos, sin) pair).

#include <expected>
#include <span>

#include "joint/configuration.hpp"
#include "model/model.hpp"

namespace kinetra {

// q (nq) moved along v (nv) for unit time.
std::expected<Configuration, ConfigurationError> integrate(const Model& model,
                                                           std::span<const double> q,
                                                           std::span<const double> v);
// The shortest v (nv) with integrate(model, q0, v) == q1.
std::expected<Configuration, ConfigurationError> difference(const Model& model,
                                                            std::span<const double> q0,
                                                            std::span<const double> q1);
// integrate(model, q0, t * difference(model, q0, q1)).
std::expected<Configuration, ConfigurationError> interpolate(const Model& model,
                                                             std::span<const double> q0,
                                                             std::span<const double> q1, double t);
// q with every joint's block projected back onto its manifold (unit (cos, sin) pairs).
std::expected<Configuration, ConfigurationError> normalize(const Model& model,
                                                           std::span<const double> q);

}  // namespace kinetra
