#pragma once

#include "joint/joint.hpp"

namespace kinetra {

// A prismatic joint's motion: translation by axis * distance, the one formula behind
// the model's transform and the joint data's update.
inline SE3 translation_motion(const Vector3D& axis, double distance) {
  return {SpatialRotation::identity(), axis * distance};
}

// Slides along a fixed axis; the axis is not normalised, so its length scales the motion.
class JointModelPrismatic final : public JointModel {
 public:
  explicit JointModelPrismatic(const Vector3D& axis)
      : limits(JointLimits::new_unbounded(1)), axis(axis) {}

  JointType get_joint_type() const override { return JointType::Prismatic; }
  std::unique_ptr<JointModel> clone_box() const override {
    return std::make_unique<JointModelPrismatic>(*this);
  }
  std::size_t nq() const override { return 1; }
  std::size_t nv() const override { return 1; }
  Configuration neutral() const override { return Configuration::zeros(1); }
  std::unique_ptr<JointData> create_joint_data() const override;
  MotionList get_axis() const override {
    return MotionList(SpatialMotion::from_translational_axis(axis));
  }
  std::optional<Vector3D> stored_axis() const override { return axis; }
  const JointLimits* get_limits() const override { return &limits; }
  Configuration random_configuration(ThreadRng& rng) const override;
  SE3 transform(std::span<const double> q) const override;

  JointLimits limits;
  const Vector3D axis;  // immutable: the unit axis below is derived from it
};

class JointDataPrismatic final : public JointData {
 public:
  JointType get_joint_type() const override { return JointType::Prismatic; }
  std::unique_ptr<JointData> clone_box() const override {
    return std::make_unique<JointDataPrismatic>(*this);
  }
  SE3 get_joint_placement() const override { return placement; }
  std::expected<void, JointError> update(const JointModel& joint_model,
                                         std::span<const double> q) override;

  SE3 placement;
};

}  // namespace kinetra
