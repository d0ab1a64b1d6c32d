#include "joint/continuous.hpp"

#include <cmath>
#include <numbers>

#include "base/panic.hpp"
#include "base/random.hpp"

namespace kinetra {

namespace {
constexpr const char* kExpectsPair = "Continuous joint model expects two values (cosine and sine).";
}

JointModelContinuous::JointModelContinuous(const Vector3D& axis) : RotationalJointModel(axis, 2) {
  const double low[2] = {-1.01, -1.01}, high[2] = {1.01, 1.01};
  limits.lower = Configuration::from_row_slice(low);
  limits.upper = Configuration::from_row_slice(high);
}

Configuration JointModelContinuous::neutral() const {
  const double rest[2] = {1.0, 0.0};
  return Configuration::from_row_slice(rest);
}

std::unique_ptr<JointData> JointModelContinuous::create_joint_data() const {
  return std::make_unique<JointDataContinuous>(*this);
}

Configuration JointModelContinuous::random_configuration(ThreadRng& rng) const {
  const auto angle = sample_uniform(rng, 0.0, 2.0 * std::numbers::pi);
  if (!angle) panic(display_text(angle.error()));
  const double pair[2] = {std::cos(*angle), std::sin(*angle)};
  return Configuration::from_row_slice(pair);
}

SE3 JointModelContinuous::transform(std::span<const double> q) const {
  assert_coordinate_count(q.size(), 2, kExpectsPair);
  return turn(std::atan2(q[1], q[0]));
}

void JointModelContinuous::integrate(std::span<const double> q, std::span<const double> v,
                                     std::span<double> out) const {
  const double c = std::cos(v[0]), s = std::sin(v[0]);
  out[0] = q[0] * c - q[1] * s;
  out[1] = q[1] * c + q[0] * s;
}

void JointModelContinuous::difference(std::span<const double> q0, std::span<const double> q1,
                                      std::span<double> out) const {
  // atan2 of (sin, cos) of the angle between the pairs: the turn of at most pi.
  out[0] = std::atan2(q0[0] * q1[1] - q0[1] * q1[0], q0[0] * q1[0] + q0[1] * q1[1]);
}

void JointModelContinuous::normalize(std::span<double> q) const {
  const double length = std::hypot(q[0], q[1]);
  if (length == 0.0) {
    q[0] = 1.0;
    q[1] = 0.0;
    return;
  }
  q[0] /= length;
  q[1] /= length;
}

JointDataContinuous::JointDataContinuous(const JointModelContinuous& model) {
  const double zero[2] = {0.0, 0.0};
  (void)update(model, zero);
}

std::expected<void, JointError> JointDataContinuous::update(const JointModel& joint_model,
                                                            std::span<const double> q) {
  assert_coordinate_count(q.size(), 2, kExpectsPair);
  cos = q[0];
  sin = q[1];
  const auto turned = rotation_about(joint_model, std::atan2(sin, cos));
  if (!turned) return std::unexpected(turned.error());
  placement = *turned;
  return {};
}

}  // namespace kinetra
