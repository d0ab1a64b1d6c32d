#pragma once

#include "joint/rotational.hpp"

namespace kinetra {

// Turns about a fixed axis (stored as given; rotations use it normalised) by one angle.
class JointModelRevolute final : public RotationalJointModel {
 public:
  explicit JointModelRevolute(const Vector3D& axis) : RotationalJointModel(axis, 1) {}

  JointType get_joint_type() const override { return JointType::Revolute; }
  std::unique_ptr<JointModel> clone_box() const override {
    return std::make_unique<JointModelRevolute>(*this);
  }
  std::size_t nq() const override { return 1; }
  Configuration neutral() const override { return Configuration::zeros(1); }
  std::unique_ptr<JointData> create_joint_data() const override;
  Configuration random_configuration(ThreadRng& rng) const override;
  SE3 transform(std::span<const double> q) const override;
};

class JointDataRevolute final : public JointData {
 public:
  JointDataRevolute() = default;
  JointType get_joint_type() const override { return JointType::Revolute; }
  std::unique_ptr<JointData> clone_box() const override {
    return std::make_unique<JointDataRevolute>(*this);
  }
  explicit JointDataRevolute(const JointModelRevolute& model);

  SE3 get_joint_placement() const override { return placement; }
  std::expected<void, JointError> update(const JointModel& joint_model,
                                         std::span<const double> q) override;

  SE3 placement;
  double q = 0.0;
};

}  // namespace kinetra
