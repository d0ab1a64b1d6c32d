#include "model/joint_motion.hpp"

#include <cmath>

#include "joint/fixed.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"

namespace kinetra {

namespace {

// The index k when v is exactly the unit vector e_k, its other entries +0 (forward
// kinematics relies on their sign to drop the products by them).
std::optional<std::uint8_t> unit_axis_index(const Vector3D& v) {
  const auto plus_zero = [](double x) { return x == 0.0 && !std::signbit(x); };
  for (std::uint8_t k = 0; k < 3; ++k) {
    if (v[k] == 1.0 && plus_zero(v[(k + 1) % 3]) && plus_zero(v[(k + 2) % 3])) return k;
  }
  return std::nullopt;
}

}  // namespace

JointMotion classify_motion(const JointModel& joint) {
  JointMotion motion;
  motion.nq = joint.nq();
  motion.nv = joint.nv();
  if (dynamic_cast<const JointModelFixed*>(&joint) != nullptr) {
    motion.kind = MotionKind::constant;
  } else if (dynamic_cast<const JointModelRevolute*>(&joint) != nullptr) {
    motion.axis = *joint.unit_rotation_axis();
    const auto k = unit_axis_index(motion.axis);
    motion.kind = k ? MotionKind::revolute_axis : MotionKind::revolute;
    motion.axis_index = k.value_or(0);
  } else if (const auto* prismatic = dynamic_cast<const JointModelPrismatic*>(&joint)) {
    motion.axis = prismatic->axis;
    const auto k = unit_axis_index(motion.axis);
    motion.kind = k ? MotionKind::prismatic_axis : MotionKind::prismatic;
    motion.axis_index = k.value_or(0);
  }
  return motion;
}

}  // namespace kinetra
