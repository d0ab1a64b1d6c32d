#pragma once

#include "joint/joint.hpp"

namespace kinetra {

// Attaches the child rigidly to its parent; the world joint is one.
class JointModelFixed final : public JointModel {
 public:
  JointType get_joint_type() const override { return JointType::Fixed; }
  std::unique_ptr<JointModel> clone_box() const override {
    return std::make_unique<JointModelFixed>();
  }
  std::size_t nq() const override { return 0; }
  std::size_t nv() const override { return 0; }
  Configuration neutral() const override { return {}; }
  std::unique_ptr<JointData> create_joint_data() const override;
  Configuration random_configuration(ThreadRng&) const override { return {}; }
  SE3 transform(std::span<const double> q) const override;
};

class JointDataFixed final : public JointData {
 public:
  JointType get_joint_type() const override { return JointType::Fixed; }
  std::unique_ptr<JointData> clone_box() const override {
    return std::make_unique<JointDataFixed>(*this);
  }
  SE3 get_joint_placement() const override { return {}; }
  // Always succeeds and changes nothing.
  std::expected<void, JointError> update(const JointModel&, std::span<const double>) override {
    return {};
  }
};

}  // namespace kinetra
