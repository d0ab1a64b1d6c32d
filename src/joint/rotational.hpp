#pragma once

#include "joint/joint.hpp"

namespace kinetra {

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

  JointLimits limits;
  const Vector3D axis;  // immutable: the unit axis below is derived from it

 protected:
  RotationalJointModel(const Vector3D& axis, std::size_t coordinates)
      : limits(JointLimits::new_unbounded(coordinates)), axis(axis) {}

  // The rotation about the axis by `angle`.
  SE3 turn(double angle) const {
    return {SpatialRotation::from_unit_axis_angle(unit_axis_, angle), Vector3D::zeros()};
  }

 private:
  Vector3D unit_axis_ = SpatialRotation::normalise_axis(axis);  // axis / |axis|, computed once
};

// Rotation about `axis` (normalised) by `angle`, zero translation.
inline SE3 rotation_about(const Vector3D& axis, double angle) {
  return {SpatialRotation::from_axis_angle(axis, angle), Vector3D::zeros()};
}

}  // namespace kinetra
