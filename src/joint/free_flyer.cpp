#include "joint/free_flyer.hpp"

#include <cmath>

#include "base/panic.hpp"
#include "base/random.hpp"

namespace kinetra {

namespace {

constexpr const char* kExpectsSeven =
    "Free-flyer joint model expects seven values (position and quaternion).";

Quaternion quaternion_of(std::span<const double> q) { return {q[3], q[4], q[5], q[6]}; }

}  // namespace

Configuration JointModelFreeFlyer::neutral() const {
  const double rest[7] = {0, 0, 0, 0, 0, 0, 1};
  return Configuration::from_row_slice(rest);
}

std::unique_ptr<JointData> JointModelFreeFlyer::create_joint_data() const {
  return std::make_unique<JointDataFreeFlyer>();
}

MotionList JointModelFreeFlyer::get_axis() const {
  MotionList columns;
  for (std::size_t c = 0; c < 6; ++c) {
    Vector3D parts[2] = {Vector3D::zeros(), Vector3D::zeros()};
    parts[c / 3][c % 3] = 1.0;
    columns.push_back(SpatialMotion::from_parts(parts[0], parts[1]));
  }
  return columns;
}

Configuration JointModelFreeFlyer::random_configuration(ThreadRng& rng) const {
  double q[7];
  for (std::size_t i = 0; i < 3; ++i) {
    const auto x = sample_uniform(rng, -1.0, 1.0);
    if (!x) panic(display_text(x.error()));
    q[i] = *x;
  }
  const Quaternion r = Quaternion::random(rng);
  q[3] = r.x;
  q[4] = r.y;
  q[5] = r.z;
  q[6] = r.w;
  return Configuration::from_row_slice(q);
}

SE3 JointModelFreeFlyer::transform(std::span<const double> q) const {
  assert_coordinate_count(q.size(), 7, kExpectsSeven);
  return free_flyer_motion(q);
}

void JointModelFreeFlyer::integrate(std::span<const double> q, std::span<const double> v,
                                    std::span<double> out) const {
  const Vector3D w(v[0], v[1], v[2]), linear(v[3], v[4], v[5]);
  const Quaternion q0 = quaternion_of(q);
  const Vector3D step = q0.to_rotation() * so3_left_jacobian_mul(w, linear);
  const Quaternion q1 = q0 * quaternion_exp(w);
  const double values[7] = {q[0] + step[0], q[1] + step[1], q[2] + step[2], q1.x, q1.y, q1.z, q1.w};
  for (std::size_t i = 0; i < 7; ++i) out[i] = values[i];
}

void JointModelFreeFlyer::difference(std::span<const double> q0, std::span<const double> q1,
                                     std::span<double> out) const {
  const Quaternion r0 = quaternion_of(q0);
  const Vector3D w = quaternion_log(r0.conjugate() * quaternion_of(q1));
  const Vector3D offset(q1[0] - q0[0], q1[1] - q0[1], q1[2] - q0[2]);
  const Vector3D linear = so3_left_jacobian_inverse_mul(w, r0.to_rotation().transpose_mul(offset));
  const double values[6] = {w[0], w[1], w[2], linear[0], linear[1], linear[2]};
  for (std::size_t i = 0; i < 6; ++i) out[i] = values[i];
}

void JointModelFreeFlyer::normalize(std::span<double> q) const {
  const double norm = std::hypot(std::hypot(q[3], q[4]), std::hypot(q[5], q[6]));  // no overflow
  if (norm == 0.0) {
    q[3] = q[4] = q[5] = 0.0;
    q[6] = 1.0;
    return;
  }
  for (std::size_t i = 3; i < 7; ++i) q[i] /= norm;
}

std::expected<void, JointError> JointDataFreeFlyer::update(const JointModel&,
                                                           std::span<const double> q) {
  assert_coordinate_count(q.size(), 7, kExpectsSeven);
  placement = free_flyer_motion(q);
  return {};
}

}  // namespace kinetra
