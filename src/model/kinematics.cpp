#include "base/panic.hpp"
#include "joint/revolute.hpp"
#include "model/algorithms.hpp"
#include "model/kernel_math.hpp"
#include "spatial/trig.hpp"

namespace kinetra {

namespace {

using kernel::Placement;
using kernel::V3;

// Placements as packed columns (kernel_math.hpp): each lane of a product below performs
// the scalar formula's operations in its order, so the columns give the bits of
// SpatialRotation and SE3 products.

KERNEL_INLINE Placement<double> load(const SE3& m) { return kernel::broadcast<double>(m); }

KERNEL_INLINE void store(const Placement<double>& m, SE3& out) {
  SpatialRotation r;
  for (std::size_t j = 0; j < 3; ++j) {
    for (std::size_t i = 0; i < 3; ++i) r(i, j) = m.c[j][i];
  }
  out = SE3(r, Vector3D(m.p[0], m.p[1], m.p[2]));
}

// a * b: (Ra Rb, Ra pb + pa), entry (i, j) = a(i,0) b(0,j) + a(i,1) b(1,j) + a(i,2) b(2,j).
KERNEL_INLINE Placement<double> operator*(const Placement<double>& a, const Placement<double>& b) {
  Placement<double> out;
  for (std::size_t j = 0; j < 3; ++j) {
    out.c[j] = (a.c[0].e * b.c[j][0] + a.c[1].e * b.c[j][1]) + a.c[2].e * b.c[j][2];
  }
  out.p = ((a.c[0].e * b.p[0] + a.c[1].e * b.p[1]) + a.c[2].e * b.p[2]) + a.p.e;
  return out;
}

// rotation_motion(k, angle): SpatialRotation::from_unit_axis_angle column by column,
// entry (i, j) = (c 1_ij + s [k]x_ij) + t (k_i k_j), and the identity for an angle of 0.
KERNEL_INLINE Placement<double> turn(const Vector3D& k, double angle) {
  Placement<double> out;
  if (angle == 0.0) {
    out.c[0] = {1.0, 0.0, 0.0};
    out.c[1] = {0.0, 1.0, 0.0};
    out.c[2] = {0.0, 0.0, 1.0};
    return out;
  }
  double c, s;
  cos_sin(angle, c, s);
  const double t = 1.0 - c;
  const V3<double> kv{k[0], k[1], k[2]};
  const V3<double> one[3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
  const V3<double> skew[3] = {{0.0, k[2], -k[1]}, {-k[2], 0.0, k[0]}, {k[1], -k[0], 0.0}};
  for (std::size_t j = 0; j < 3; ++j) {
    out.c[j] = (c * one[j].e + s * skew[j].e) + t * (kv.e * k[j]);
  }
  return out;
}

// The pass of forward_kinematics. Revolute joints whose data is a revolute joint's data are
// turned here (the same formula as their update); every other joint updates itself.
[[gnu::target_clones("avx2", "default")]] void placement_pass(const Model& model, Data& data,
                                                              std::span<const double> q) {
  const auto& joints = model.joint_motions();
  const auto& models = model.joint_models();
  const Placement<double>* placements = model.kernel_placements().data();
  Placement<double>* world = data.world_columns.data();
  world[0] = load(data.joint_placements[0]);
  for (std::size_t j = 1; j < joints.size(); ++j) {
    const JointMotion& joint = joints[j];
    JointData& joint_data = *data.joint_data[j];
    Placement<double> motion;
    if ((joint.kind == MotionKind::revolute_axis || joint.kind == MotionKind::revolute) &&
        joint_data.get_joint_type() == JointType::Revolute) {
      auto& revolute = static_cast<JointDataRevolute&>(joint_data);
      revolute.q = q[joint.q_offset];
      motion = turn(joint.axis, revolute.q);
      store(motion, revolute.placement);
    } else {
      const auto updated = joint_data.update(*models[j], q.subspan(joint.q_offset, joint.nq));
      if (!updated) {
        panic("not implemented: handle joint data update error: " + debug_text(updated.error()));
      }
      motion = load(joint_data.get_joint_placement());
    }
    world[j] = (world[joint.parent] * placements[j]) * motion;
    store(world[j], data.joint_placements[j]);
  }
}

}  // namespace

std::expected<void, ConfigurationError> forward_kinematics(const Model& model, Data& data,
                                                           std::span<const double> q) {
  if (q.size() != model.nq()) {
    return std::unexpected(ConfigurationError::invalid_size("q", model.nq(), q.size()));
  }
  const auto& joints = model.joint_models();
  if (data.joint_data.size() < joints.size()) {  // a Data made for a smaller model
    panic("index out of bounds: the len is " + std::to_string(data.joint_data.size()) +
          " but the index is " + std::to_string(data.joint_data.size()));
  }
  if (data.joint_placements.size() != joints.size()) {
    data.joint_placements.assign(joints.size(), SE3::identity());
  }
  // One pass from the world joint outwards (parents come first): each joint's data takes
  // its coordinates, then its frame is the parent's placement, then the joint's
  // placement, then the joint's motion. The world joint stays at the identity.
  const auto updated = data.joint_data[0]->update(*joints[0], q.subspan(0, joints[0]->nq()));
  if (!updated) {
    panic("not implemented: handle joint data update error: " + debug_text(updated.error()));
  }
  if (data.world_columns.size() < joints.size()) data.world_columns.resize(joints.size());
  placement_pass(model, data, q);
  return {};
}

}  // namespace kinetra
