#include "joint/revolute.hpp"

namespace kinetra {

namespace {
constexpr const char* kExpectsAngle = "Revolute joint model expects a single angle.";
}

std::unique_ptr<JointData> JointModelRevolute::create_joint_data() const {
  return std::make_unique<JointDataRevolute>(*this);
}

Configuration JointModelRevolute::random_configuration(ThreadRng& rng) const {
  return Configuration::random(1, rng, limits.lower, limits.upper);
}

SE3 JointModelRevolute::transform(std::span<const double> q) const {
  assert_coordinate_count(q.size(), 1, kExpectsAngle);
  return turn(q[0]);
}

JointDataRevolute::JointDataRevolute(const JointModelRevolute& model) {
  const double zero[1] = {0.0};
  (void)update(model, zero);
}

std::expected<void, JointError> JointDataRevolute::update(const JointModel& joint_model,
                                                          std::span<const double> coordinates) {
  assert_coordinate_count(coordinates.size(), 1, kExpectsAngle);
  q = coordinates[0];
  const auto turned = rotation_about(joint_model, q);
  if (!turned) return std::unexpected(turned.error());
  placement = *turned;
  return {};
}

}  // namespace kinetra
