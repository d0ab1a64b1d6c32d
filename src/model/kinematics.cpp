#include "base/panic.hpp"
#include "joint/revolute.hpp"
#include "model/algorithms.hpp"
#include "model/kernel_math.hpp"
#include "spatial/trig.hpp"

namespace kinetra {

namespace {

// Four doubles side by side: a column of a placement (the fourth lane unused). Each lane
// of a product below performs the scalar formula's operations in its order, so the
// columns give the bits of SpatialRotation and SE3 products.
using Column = kernel::Packed;

// A placement as four columns: the rotation's three, then the translation.
struct alignas(4 * sizeof(double)) Columns {
  Column c[4];
};

KERNEL_INLINE Columns load(const kernel::Placement<double>& m) {
  return {{m.c[0].e, m.c[1].e, m.c[2].e, m.p.e}};
}

KERNEL_INLINE Columns load(const SE3& m) {
  const auto& r = m.rotation().column_major();
  const Vector3D& p = m.translation();
  Columns out;
  out.c[0] = Column{r[0], r[1], r[2], 0.0};
  out.c[1] = Column{r[3], r[4], r[5], 0.0};
  out.c[2] = Column{r[6], r[7], r[8], 0.0};
  out.c[3] = Column{p[0], p[1], p[2], 0.0};
  return out;
}

KERNEL_INLINE void store(const Columns& m, SE3& out) {
  SpatialRotation r;
  for (std::size_t j = 0; j < 3; ++j) {
    for (std::size_t i = 0; i < 3; ++i) r(i, j) = m.c[j][i];
  }
  out = SE3(r, Vector3D(m.c[3][0], m.c[3][1], m.c[3][2]));
}

// a * b: (Ra Rb, Ra pb + pa), entry (i, j) = a(i,0) b(0,j) + a(i,1) b(1,j) + a(i,2) b(2,j).
KERNEL_INLINE Columns operator*(const Columns& a, const Columns& b) {
  Columns out;
  for (std::size_t j = 0; j < 3; ++j) {
    out.c[j] = (a.c[0] * b.c[j][0] + a.c[1] * b.c[j][1]) + a.c[2] * b.c[j][2];
  }
  out.c[3] = ((a.c[0] * b.c[3][0] + a.c[1] * b.c[3][1]) + a.c[2] * b.c[3][2]) + a.c[3];
  return out;
}

// rotation_motion(k, angle): SpatialRotation::from_unit_axis_angle column by column,
// entry (i, j) = (c 1_ij + s [k]x_ij) + t (k_i k_j), and the identity for an angle of 0.
KERNEL_INLINE Columns turn(const Vector3D& k, double angle) {
  Columns out;
  if (angle == 0.0) {
    out.c[0] = Column{1.0, 0.0, 0.0, 0.0};
    out.c[1] = Column{0.0, 1.0, 0.0, 0.0};
    out.c[2] = Column{0.0, 0.0, 1.0, 0.0};
    out.c[3] = Column{};
    return out;
  }
  double c, s;
  cos_sin(angle, c, s);
  const double t = 1.0 - c;
  const Column kv = {k[0], k[1], k[2], 0.0};
  const Column one[3] = {{1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}};
  const Column skew[3] = {
      {0.0, k[2], -k[1], 0.0}, {-k[2], 0.0, k[0], 0.0}, {k[1], -k[0], 0.0, 0.0}};
  for (std::size_t j = 0; j < 3; ++j) out.c[j] = (c * one[j] + s * skew[j]) + t * (kv * k[j]);
  out.c[3] = Column{};
  return out;
}

// The pass of forward_kinematics. Revolute joints whose data is a revolute joint's data are
// turned here (the same formula as their update); every other joint updates itself.
[[gnu::target_clones("avx2", "default")]] void placement_pass(const Model& model, Data& data,
                                                              std::span<const double> q) {
  const auto& joints = model.joint_motions();
  const auto& models = model.joint_models();
  const auto& placements = model.kernel_placements();  // the model's, already packed
  for (std::size_t j = 1; j < joints.size(); ++j) {
    const JointMotion& joint = joints[j];
    JointData& joint_data = *data.joint_data[j];
    Columns motion;
    if (turns_by_angle(joint) && joint_data.get_joint_type() == JointType::Revolute) {
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
    store((load(data.joint_placements[joint.parent]) * load(placements[j])) * motion,
          data.joint_placements[j]);
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
  placement_pass(model, data, q);
  return {};
}

}  // namespace kinetra
