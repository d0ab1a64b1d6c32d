#include <cmath>

#include "base/panic.hpp"
#include "model/algorithms.hpp"
#include "model/rnea_kernel.hpp"

namespace kinetra {

namespace {

// Shorter vectors than the model's are an internal failure.
void check_rows(std::span<const double> values, std::size_t n) {
  if (values.size() < n) panic("Matrix slicing out of bounds.");
}

// The passes of the single call, cloned for AVX2 where a vector of three fills one register.
[[gnu::target_clones("avx2", "default")]] void forward(const Model& model,
                                                       kernel::RneaFields<double>& fields,
                                                       std::span<const double> q,
                                                       std::span<const double> v,
                                                       std::span<const double> a) {
  kernel::rnea_forward(model, fields, kernel::single_row(model, fields, q, v, a));
}

struct Torques {
  std::span<double> tau;
  KERNEL_INLINE void operator()(std::size_t k, double value) const { tau[k] = value; }
};

[[gnu::target_clones("avx2", "default")]] void backward(const Model& model,
                                                        kernel::RneaFields<double>& fields,
                                                        std::span<double> tau) {
  kernel::rnea_backward(model, fields, Torques{tau});
}

}  // namespace

// crba and the energies read liMi as SE3 values: the joints' own transforms give them
// directly (packing and unpacking them through the passes' vectors measured slower).
void update_local_placements(const Model& model, Data& data, std::span<const double> q) {
  check_rows(q, model.nq());
  data.reserve_stages(model.njoints(), model.nv());
  const auto& joints = model.joint_models();
  const auto& placements = model.joint_placements();
  const auto& motions = model.joint_motions();
  for (std::size_t i = 0; i < joints.size(); ++i) {
    data.local_placements[i] =
        placements[i] * joints[i]->transform(q.subspan(motions[i].q_offset, motions[i].nq));
  }
}

void rnea_forward_pass(const Model& model, Data& data, std::span<const double> q,
                       std::span<const double> v, std::span<const double> a) {
  check_rows(q, model.nq());
  check_rows(v, model.nv());
  check_rows(a, model.nv());
  data.rnea.size_to(model.njoints());
  forward(model, data.rnea, q, v, a);
}

void rnea_backward_pass(const Model& model, Data& data, std::span<double> tau) {
  backward(model, data.rnea, tau);
}

Configuration rnea_backward_pass(const Model& model, Data& data) {
  Configuration tau = Configuration::zeros(model.nv());
  rnea_backward_pass(model, data, tau.as_mut_slice());
  return tau;
}

std::expected<Configuration, ConfigurationError> inverse_dynamics(const Model& model, Data& data,
                                                                  std::span<const double> q,
                                                                  std::span<const double> v,
                                                                  std::span<const double> a) {
  rnea_forward_pass(model, data, q, v, a);
  return rnea_backward_pass(model, data);
}

}  // namespace kinetra
