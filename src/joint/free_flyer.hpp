#pragma once

#include "joint/joint.hpp"
#include "spatial/quaternion.hpp"

namespace kinetra {

// The placement of a free-flyer configuration (x, y, z, qx, qy, qz, qw): the one
// formula behind the model's transform and the joint data's update.
inline SE3 free_flyer_motion(std::span<const double> q) {
  return {Quaternion{q[3], q[4], q[5], q[6]}.to_rotation(), Vector3D(q[0], q[1], q[2])};
}

// A floating base: the child moves freely. q = (x, y, z, qx, qy, qz, qw), the position
// and unit quaternion (scalar last) of the child in the parent; v = (w; v), the child's
// spatial velocity in its own frame, so the motion subspace is the identity.
class JointModelFreeFlyer final : public JointModel {
 public:
  JointType get_joint_type() const override { return JointType::FreeFlyer; }
  std::unique_ptr<JointModel> clone_box() const override {
    return std::make_unique<JointModelFreeFlyer>();
  }
  std::size_t nq() const override { return 7; }
  std::size_t nv() const override { return 6; }
  // (0, 0, 0, 0, 0, 0, 1): the identity placement.
  Configuration neutral() const override;
  std::unique_ptr<JointData> create_joint_data() const override;
  MotionList get_axis() const override;
  // Translation uniform in [-1, 1]^3, rotation uniform over SO(3).
  Configuration random_configuration(ThreadRng& rng) const override;
  SE3 transform(std::span<const double> q) const override;
  // M(q) exp(v): the SE(3) exponential of the twist, composed in the child frame.
  void integrate(std::span<const double> q, std::span<const double> v,
                 std::span<double> out) const override;
  // log(M(q0)^-1 M(q1)) with a rotation of at most pi.
  void difference(std::span<const double> q0, std::span<const double> q1,
                  std::span<double> out) const override;
  // Divides the quaternion by its norm; a zero quaternion becomes the identity.
  void normalize(std::span<double> q) const override;
};

class JointDataFreeFlyer final : public JointData {
 public:
  JointType get_joint_type() const override { return JointType::FreeFlyer; }
  std::unique_ptr<JointData> clone_box() const override {
    return std::make_unique<JointDataFreeFlyer>(*this);
  }
  SE3 get_joint_placement() const override { return placement; }
  // Reads any 7 coordinates; it needs nothing of the model.
  std::expected<void, JointError> update(const JointModel& joint_model,
                                         std::span<const double> q) override;

  SE3 placement;
};

}  // namespace kinetra
