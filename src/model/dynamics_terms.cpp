#include "model/dynamics_terms.hpp"

#include "model/algorithms.hpp"

namespace kinetra {

Configuration nonlinear_effects(const Model& model, Data& data, std::span<const double> q,
                                std::span<const double> v) {
  data.reserve_dynamics_terms(model.njoints(), model.nv());
  rnea_forward_pass(model, data, q, v, data.zeros);
  return rnea_backward_pass(model, data);
}

Configuration generalized_gravity(const Model& model, Data& data, std::span<const double> q) {
  data.reserve_dynamics_terms(model.njoints(), model.nv());
  rnea_forward_pass(model, data, q, data.zeros, data.zeros);
  return rnea_backward_pass(model, data);
}

}  // namespace kinetra
