#pragma once

#include <cstddef>
#include <cstdint>

#include "joint/joint.hpp"
#include "spatial/vector3d.hpp"

namespace kinetra {

// How the dynamics move a joint, decided once when the joint is added, so that the hot
// loops switch on a small tag instead of calling the joint model per operation.
enum class MotionKind : std::uint8_t {
  constant,        // no coordinates (fixed joints, the world)
  revolute_axis,   // one angle about a coordinate axis (axis_index)
  prismatic_axis,  // one distance along a coordinate axis, unit length
  revolute,        // one angle about the unit vector `axis`
  prismatic,       // one distance along `axis` (as given: its length scales the motion)
  own,             // anything else: the joint model's transform and motion subspace
};

// What the dynamics read of a joint, stored contiguously per joint by the model.
struct JointMotion {
  MotionKind kind = MotionKind::own;
  std::uint8_t axis_index = 0;
  std::size_t parent = 0;
  std::size_t q_offset = 0, nq = 0;
  std::size_t v_offset = 0, nv = 0;
  Vector3D axis;
};

// The tag and axis of a joint model; parent and offsets are left for the model to fill.
JointMotion classify_motion(const JointModel& joint);

// Whether the joint turns by one angle (its placement needs that angle's cosine and sine).
inline bool turns_by_angle(const JointMotion& joint) {
  return joint.kind == MotionKind::revolute_axis || joint.kind == MotionKind::revolute;
}

}  // namespace kinetra
