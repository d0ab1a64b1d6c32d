#pragma once

// The two passes of inverse dynamics over a number type R and a source of rows (see
// joint_kernels.hpp), shared by the single call and the batches' lanes.

#include "model/joint_kernels.hpp"
#include "model/kernel_trig.hpp"
#include "model/model.hpp"

namespace kinetra::kernel {

// The rows source of a single call: q, v and a as given, and the revolute joints' cosines
// and sines computed beforehand by joint_cos_sin.
struct SingleRow {
  std::span<const double> q_, v_, a_;
  const double* cosines;
  const double* sines;
  double q(std::size_t i) const { return q_[i]; }
  double v(std::size_t k) const { return v_[k]; }
  double a(std::size_t k) const { return a_[k]; }
  void cos_sin(std::size_t i, const JointMotion&, double& c, double& s) const {
    c = cosines[i];
    s = sines[i];
  }
  Placement<double> own(const SE3& placement, const JointModel& joint,
                        const JointMotion& motion) const {
    return broadcast<double>(placement * joint.transform(q_.subspan(motion.q_offset, motion.nq)));
  }
};

// cos_sin of the angles of the `count` (up to four) joints in `at`, stored by joint.
KERNEL_INLINE void cos_sin_of(const JointMotion* joints, std::span<const double> q,
                              const std::size_t* at, std::size_t count, double* cosines,
                              double* sines) {
  double angles[4];
  for (std::size_t k = 0; k < 4; ++k) angles[k] = k < count ? q[joints[at[k]].q_offset] : 0.0;
  Packed c, s;
  cos_sin(Packed{angles[0], angles[1], angles[2], angles[3]}, c, s);
  for (std::size_t k = 0; k < count; ++k) {
    cosines[at[k]] = c[k];
    sines[at[k]] = s[k];
  }
}

// Fills cosines[i] and sines[i] for every revolute joint i, four joints at a time.
KERNEL_INLINE void joint_cos_sin(const Model& model, std::span<const double> q, double* cosines,
                                 double* sines) {
  const JointMotion* joints = model.joint_motions().data();
  std::size_t at[4] = {}, count = 0;
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    if (!turns_by_angle(joints[i])) continue;
    at[count++] = i;
    if (count == 4) {
      cos_sin_of(joints, q, at, count, cosines, sines);
      count = 0;
    }
  }
  if (count > 0) cos_sin_of(joints, q, at, count, cosines, sines);
}

// The rows of a single call, its cosines and sines filled into `fields`.
KERNEL_INLINE SingleRow single_row(const Model& model, RneaFields<double>& fields,
                                   std::span<const double> q, std::span<const double> v,
                                   std::span<const double> a) {
  joint_cos_sin(model, q, fields.cosines.data(), fields.sines.data());
  return {q, v, a, fields.cosines.data(), fields.sines.data()};
}

// The loops read the lists through plain pointers: the stores through vector registers
// could alias a std::vector's own pointers, which would then be reloaded at every access.
template <class R, class Rows>
KERNEL_INLINE void rnea_forward(const Model& model, RneaFields<R>& s, const Rows& rows) {
  const std::size_t n = model.njoints();
  const JointMotion* joints = model.joint_motions().data();
  const auto* models = model.joint_models().data();
  const Placement<double>* placements = model.kernel_placements().data();
  const SE3* given = model.joint_placements().data();
  const Body* bodies = model.kernel_bodies().data();
  const auto columns = model.subspace_columns();
  Placement<R>* local = s.placements.data();
  Spatial<R>* velocities = s.velocities.data();
  Spatial<R>* accelerations = s.accelerations.data();
  Spatial<R>* forces = s.forces.data();
  velocities[0] = {};
  accelerations[0] = {V3<R>{}, lift<R>(v3(-model.gravity()))};
  for (std::size_t i = 1; i < n; ++i) {
    const JointMotion& joint = joints[i];
    Placement<R>& X = local[i];
    local_placement(i, joint, *models[i], placements[i], given[i], rows, X);
    R speeds[MotionList::kCapacity], rates[MotionList::kCapacity];
    if (joint.nv > 0) {  // one coordinate is the common case: no copy loop
      speeds[0] = rows.v(joint.v_offset);
      rates[0] = rows.a(joint.v_offset);
    }
    for (std::size_t k = 1; k < joint.nv; ++k) {
      speeds[k] = rows.v(joint.v_offset + k);
      rates[k] = rows.a(joint.v_offset + k);
    }
    Spatial<R> velocity, acceleration;
    motions_to_child(X, velocities[joint.parent], accelerations[joint.parent], velocity,
                     acceleration);
    add_subspace(joint, columns, speeds, velocity);
    add_subspace(joint, columns, rates, acceleration);
    acceleration = acceleration + cross_subspace(joint, columns, speeds, velocity);
    velocities[i] = velocity;
    accelerations[i] = acceleration;
    const Body& body = bodies[i];
    forces[i] = momentum(body, acceleration) + cross_force(velocity, momentum(body, velocity));
  }
}

// tau(index, value) receives S^T f for every velocity coordinate. The world joint is not
// moved by its children, so nothing is passed to it.
template <class R, class Tau>
KERNEL_INLINE void rnea_backward(const Model& model, RneaFields<R>& s, Tau&& tau) {
  const JointMotion* joints = model.joint_motions().data();
  const auto columns = model.subspace_columns();
  const Placement<R>* local = s.placements.data();
  Spatial<R>* forces = s.forces.data();
  for (std::size_t j = model.njoints(); j-- > 1;) {
    const JointMotion& joint = joints[j];
    const Spatial<R>& f = forces[j];
    for (std::size_t k = 0; k < joint.nv; ++k) {
      tau(joint.v_offset + k, project(joint, columns, k, f));
    }
    if (joint.parent != 0)
      forces[joint.parent] = forces[joint.parent] + force_to_parent(local[j], f);
  }
}

}  // namespace kinetra::kernel
