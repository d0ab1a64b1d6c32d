#include "model/configuration_space.hpp"

namespace kinetra {

namespace {

std::expected<void, ConfigurationError> check_size(const char* name, std::span<const double> values,
                                                   std::size_t expected) {
  if (values.size() == expected) return {};
  return std::unexpected(ConfigurationError::invalid_size(name, expected, values.size()));
}

// Writes q ⊕ v into out (nq), joint by joint; sizes already checked.
void integrate_into(const Model& model, std::span<const double> q, std::span<const double> v,
                    std::span<double> out) {
  const auto& joints = model.joint_models();
  const auto& q_offsets = model.joint_q_offsets();
  const auto& v_offsets = model.joint_v_offsets();
  for (std::size_t j = 0; j < joints.size(); ++j) {
    const std::size_t nq = joints[j]->nq(), nv = joints[j]->nv();
    joints[j]->integrate(q.subspan(q_offsets[j], nq), v.subspan(v_offsets[j], nv),
                         out.subspan(q_offsets[j], nq));
  }
}

// Writes q1 ⊖ q0 into out (nv), joint by joint; sizes already checked.
void difference_into(const Model& model, std::span<const double> q0, std::span<const double> q1,
                     std::span<double> out) {
  const auto& joints = model.joint_models();
  const auto& q_offsets = model.joint_q_offsets();
  const auto& v_offsets = model.joint_v_offsets();
  for (std::size_t j = 0; j < joints.size(); ++j) {
    const std::size_t nq = joints[j]->nq(), nv = joints[j]->nv();
    joints[j]->difference(q0.subspan(q_offsets[j], nq), q1.subspan(q_offsets[j], nq),
                          out.subspan(v_offsets[j], nv));
  }
}

}  // namespace

std::expected<Configuration, ConfigurationError> integrate(const Model& model,
                                                           std::span<const double> q,
                                                           std::span<const double> v) {
  if (auto ok = check_size("q", q, model.nq()); !ok) return std::unexpected(ok.error());
  if (auto ok = check_size("v", v, model.nv()); !ok) return std::unexpected(ok.error());
  Configuration out = Configuration::zeros(model.nq());
  integrate_into(model, q, v, out.as_mut_slice());
  return out;
}

std::expected<Configuration, ConfigurationError> difference(const Model& model,
                                                            std::span<const double> q0,
                                                            std::span<const double> q1) {
  if (auto ok = check_size("q0", q0, model.nq()); !ok) return std::unexpected(ok.error());
  if (auto ok = check_size("q1", q1, model.nq()); !ok) return std::unexpected(ok.error());
  Configuration out = Configuration::zeros(model.nv());
  difference_into(model, q0, q1, out.as_mut_slice());
  return out;
}

std::expected<Configuration, ConfigurationError> interpolate(const Model& model,
                                                             std::span<const double> q0,
                                                             std::span<const double> q1, double t) {
  auto step = difference(model, q0, q1);
  if (!step) return step;
  const std::span<double> v = step->as_mut_slice();
  for (double& x : v) x *= t;
  Configuration out = Configuration::zeros(model.nq());
  integrate_into(model, q0, v, out.as_mut_slice());
  return out;
}

std::expected<Configuration, ConfigurationError> normalize(const Model& model,
                                                           std::span<const double> q) {
  if (auto ok = check_size("q", q, model.nq()); !ok) return std::unexpected(ok.error());
  Configuration out = Configuration::from_row_slice(q);
  const std::span<double> values = out.as_mut_slice();
  const auto& joints = model.joint_models();
  const auto& q_offsets = model.joint_q_offsets();
  for (std::size_t j = 0; j < joints.size(); ++j) {
    joints[j]->normalize(values.subspan(q_offsets[j], joints[j]->nq()));
  }
  return out;
}

}  // namespace kinetra
