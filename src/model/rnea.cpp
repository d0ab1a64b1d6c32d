#include <vector>

#include "model/algorithms.hpp"
#include "model/spatial_dynamics.hpp"

namespace kinetra {

using namespace dynamics;

namespace {

// Per-thread tables, reused from call to call: the algorithm allocates nothing per joint.
struct RneaTables {
  std::vector<SE3> frames;  // pMi
  std::vector<Motion> velocities;
  std::vector<Motion> accelerations;
  std::vector<Force> forces;

  void resize(std::size_t n) {
    if (frames.size() < n) {
      frames.resize(n);
      velocities.resize(n);
      accelerations.resize(n);
      forces.resize(n);
    }
  }
};

}  // namespace

std::expected<Configuration, ConfigurationError> inverse_dynamics(const Model& model,
                                                                  std::span<const double> q,
                                                                  std::span<const double> v,
                                                                  std::span<const double> a) {
  thread_local RneaTables t;
  const std::size_t n = model.njoints();
  t.resize(n);
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto& placements = model.joint_placements();
  const auto& inertias = model.inertias();
  const auto columns = model.subspace_columns();

  // Forward pass, parents before children. The base accelerates upwards at g
  // instead of every body feeling gravity: a_0 = (0; -g).
  std::size_t q_offset = 0, v_offset = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const JointModel& joint = *joints[i];
    const std::size_t nq = joint.nq(), nv = joint.nv();
    const auto qi = slice_rows(q, q_offset, nq);
    const auto vi = slice_rows(v, v_offset, nv);
    const auto ai = slice_rows(a, v_offset, nv);
    Motion vj{}, aj{};  // S qd and S qdd
    for (std::size_t k = 0; k < nv; ++k) {
      const Motion column = to_motion(columns[v_offset + k]);
      vj = vj + column * vi[k];
      aj = aj + column * ai[k];
    }
    const SE3 pMi = placements[i] * joint.transform(qi);
    t.frames[i] = pMi;
    Motion velocity, acceleration;
    if (i == 0) {
      velocity = vj;
      acceleration = aj + Motion{Vector3D::zeros(), -model.gravity()};
    } else {
      const std::size_t p = parents[i];
      velocity = motion_to_child(pMi, t.velocities[p]) + vj;
      acceleration = motion_to_child(pMi, t.accelerations[p]) + aj + cross_motion(velocity, vj);
    }
    t.velocities[i] = velocity;
    t.accelerations[i] = acceleration;
    t.forces[i] = apply(inertias[i], acceleration) + cross_force(velocity, apply(inertias[i], velocity));
    q_offset += nq;
    v_offset += nv;
  }

  // Backward pass, children before parents: project each force on its joint, then
  // hand it to the parent.
  Configuration tau = Configuration::zeros(model.nv());
  for (std::size_t j = n; j-- > 0;) {
    const std::size_t nv = joints[j]->nv();
    v_offset -= nv;
    double torques[MotionList::kCapacity];
    for (std::size_t k = 0; k < nv; ++k) {
      torques[k] = dot(to_motion(columns[v_offset + k]), t.forces[j]);
    }
    if (j > 0) {
      const std::size_t p = parents[j];
      t.forces[p] = t.forces[p] + force_to_parent(t.frames[j], t.forces[j]);
    }
    (void)tau.update_rows(v_offset, std::span<const double>(torques, nv));
  }
  return tau;
}

}  // namespace kinetra
