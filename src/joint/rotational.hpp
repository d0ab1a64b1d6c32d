#pragma once

#include "joint/joint.hpp"

namespace kinetra {

// A rotational joint's motion: rotation about a unit axis by `angle`, zero
// translation. The one formula behind both the models' transform and the joint
// data's update, so forward kinematics and the dynamics place joints identically.
inline SE3 rotation_motion(const Vector3D& unit_axis, double angle) {
  return {SpatialRotation::from_unit_axis_angle(unit_axis, angle), Vector3D::zeros()};
}

// What the joints that turn about a fixed axis share: their limits, the axis as
// given, and its unit vector, about which they rotate.
class RotationalJointModel : public JointModel {
 public:
  std::size_t nv() const override { return 1; }
  MotionList get_axis() const override {
    return MotionList(SpatialMotion::from_rotational_axis(axis));
  }
  MotionList motion_subspace() const override {
    return MotionList(SpatialMotion::from_rotational_axis(unit_axis_));
  }
  const Vector3D* unit_rotation_axis() const override { return &unit_axis_; }
  std::optional<Vector3D> stored_axis() const override { return axis; }
  const JointLimits* get_limits() const override { return &limits; }

  JointLimits limits;
  const Vector3D axis;  // immutable: the unit axis below is derived from it

 protected:
  RotationalJointModel(const Vector3D& axis, std::size_t coordinates)
      : limits(JointLimits::new_unbounded(coordinates)), axis(axis) {}

  // The rotation about the axis by `angle`.
  SE3 turn(double angle) const { return rotation_motion(unit_axis_, angle); }

 private:
  Vector3D unit_axis_ = SpatialRotation::normalise_axis(axis);  // axis / |axis|, computed once
};

// The joint data's placement for `joint_model`'s axis: the same rotation as the model's
// transform (normalising first changes nothing when the angle is 0: the identity).
// A rotational model's unit axis is the normalised axis computed once; any other model
// (data made for another model) has its first axis normalised here. Fails when the
// model has no axis.
inline std::expected<SE3, JointError> rotation_about(const JointModel& joint_model, double angle) {
  if (const Vector3D* unit_axis = joint_model.unit_rotation_axis()) {
    return rotation_motion(*unit_axis, angle);
  }
  const MotionList axes = joint_model.get_axis();
  if (axes.size() != 1) return std::unexpected(JointError{"axis"});
  return rotation_motion(SpatialRotation::normalise_axis(axes[0].rotation()), angle);
}

}  // namespace kinetra
