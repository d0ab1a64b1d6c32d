#pragma once

#include "joint/rotational.hpp"

namespace kinetra {

// Turns about a fixed axis without end stops; the angle is stored as (cos, sin).
class JointModelContinuous final : public RotationalJointModel {
 public:
  explicit JointModelContinuous(const Vector3D& axis);

  JointType get_joint_type() const override { return JointType::Continuous; }
  std::unique_ptr<JointModel> clone_box() const override {
    return std::make_unique<JointModelContinuous>(*this);
  }
  std::size_t nq() const override { return 2; }
  Configuration neutral() const override;
  std::unique_ptr<JointData> create_joint_data() const override;
  // [cos t, sin t] for t uniform in [0, 2 pi); the limits are not used.
  Configuration random_configuration(ThreadRng& rng) const override;
  SE3 transform(std::span<const double> q) const override;
  // (cos, sin) turned by the angle v.
  void integrate(std::span<const double> q, std::span<const double> v,
                 std::span<double> out) const override;
  // The angle from q0 to q1 in [-pi, pi].
  void difference(std::span<const double> q0, std::span<const double> q1,
                  std::span<double> out) const override;
  // Divides the pair by its length; a zero pair becomes (1, 0).
  void normalize(std::span<double> q) const override;
};

class JointDataContinuous final : public JointData {
 public:
  JointDataContinuous() = default;
  JointType get_joint_type() const override { return JointType::Continuous; }
  std::unique_ptr<JointData> clone_box() const override {
    return std::make_unique<JointDataContinuous>(*this);
  }
  explicit JointDataContinuous(const JointModelContinuous& model);

  SE3 get_joint_placement() const override { return placement; }
  std::expected<void, JointError> update(const JointModel& joint_model,
                                         std::span<const double> q) override;

  SE3 placement;
  double cos = 1.0;
  double sin = 0.0;
};

}  // namespace kinetra
