#include "model/algorithms.hpp"
#include "model/spatial_dynamics.hpp"

namespace kinetra {

using namespace dynamics;

void update_local_placements(const Model& model, Data& data, std::span<const double> q) {
  data.reserve_stages(model.njoints(), model.nv());
  const auto& joints = model.joint_models();
  const auto& placements = model.joint_placements();
  std::size_t q_offset = 0;
  for (std::size_t i = 0; i < joints.size(); ++i) {
    const std::size_t nq = joints[i]->nq();
    data.local_placements[i] = placements[i] * joints[i]->transform(slice_rows(q, q_offset, nq));
    q_offset += nq;
  }
}

void rnea_forward_pass(const Model& model, Data& data, std::span<const double> q,
                       std::span<const double> v, std::span<const double> a) {
  update_local_placements(model, data, q);
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto& inertias = model.inertias();
  const auto columns = model.subspace_columns();
  std::size_t v_offset = 0;
  for (std::size_t i = 0; i < joints.size(); ++i) {
    const std::size_t nv = joints[i]->nv();
    const auto vi = slice_rows(v, v_offset, nv);
    const auto ai = slice_rows(a, v_offset, nv);
    const auto joint_columns = columns.subspan(v_offset, nv);
    const Motion vj = subspace_motion(joint_columns, vi);  // S qd
    const Motion aj = subspace_motion(joint_columns, ai);  // S qdd
    const SE3& pMi = data.local_placements[i];
    Motion velocity, acceleration;
    if (i == 0) {
      velocity = vj;
      acceleration = aj + Motion{Vector3D::zeros(), -model.gravity()};
    } else {
      const std::size_t p = parents[i];
      velocity = motion_to_child(pMi, data.velocities[p]) + vj;
      acceleration = motion_to_child(pMi, data.accelerations[p]) + aj + cross_motion(velocity, vj);
    }
    data.velocities[i] = velocity;
    data.accelerations[i] = acceleration;
    data.forces[i] =
        apply(inertias[i], acceleration) + cross_force(velocity, apply(inertias[i], velocity));
    v_offset += nv;
  }
}

void rnea_backward_pass(const Model& model, Data& data, std::span<double> tau) {
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto columns = model.subspace_columns();
  std::size_t v_offset = model.nv();
  for (std::size_t j = joints.size(); j-- > 0;) {
    const std::size_t nv = joints[j]->nv();
    v_offset -= nv;
    for (std::size_t k = 0; k < nv; ++k) {
      tau[v_offset + k] = dot(to_motion(columns[v_offset + k]), data.forces[j]);
    }
    if (j > 0) {
      const std::size_t p = parents[j];
      data.forces[p] = data.forces[p] + force_to_parent(data.local_placements[j], data.forces[j]);
    }
  }
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
