#pragma once

#include "joint/joint.hpp"

namespace kinetra {

// Turns about a fixed axis (stored as given; rotations use it normalised) by one angle.
class JointModelRevolute final : public JointModel {
 public:
  explicit JointModelRevolute(const Vector3D& axis)
      : limits(JointLimits::new_unbounded(1)), axis(axis) {}

  JointType get_joint_type() const override { return JointType::Revolute; }
  std::unique_ptr<JointModel> clone_box() const override {
    return std::make_unique<JointModelRevolute>(*this);
  }
  std::size_t nq() const override { return 1; }
  std::size_t nv() const override { return 1; }
  Configuration neutral() const override { return Configuration::zeros(1); }
  std::unique_ptr<JointData> create_joint_data() const override;
  MotionList get_axis() const override {
    return MotionList(SpatialMotion::from_rotational_axis(axis));
  }
  MotionList motion_subspace() const override {
    return MotionList(SpatialMotion::from_rotational_axis(unit_axis_));
  }
  Configuration random_configuration(ThreadRng& rng) const override;
  SE3 transform(std::span<const double> q) const override;

  JointLimits limits;
  const Vector3D axis;  // immutable: the unit axis below is derived from it

 private:
  Vector3D unit_axis_ = SpatialRotation::normalise_axis(axis);  // axis / |axis|, computed once
};

class JointDataRevolute final : public JointData {
 public:
  explicit JointDataRevolute(const JointModelRevolute& model);

  SE3 get_joint_placement() const override { return placement; }
  std::expected<void, JointError> update(const JointModel& joint_model,
                                         std::span<const double> q) override;

  SE3 placement;
  double q = 0.0;
};

// Rotation about `axis` by `angle`, zero translation.
SE3 rotation_about(const Vector3D& axis, double angle);

}  // namespace kinetra
