#include "joint/prismatic.hpp"

#include "base/panic.hpp"

namespace kinetra {

std::unique_ptr<JointData> JointModelPrismatic::create_joint_data() const {
  return std::make_unique<JointDataPrismatic>();
}

Configuration JointModelPrismatic::random_configuration(ThreadRng& rng) const {
  return Configuration::random(1, rng, limits.lower, limits.upper);
}

SE3 JointModelPrismatic::transform(std::span<const double> q) const {
  if (q.empty()) panic("Matrix index out of bounds.");
  return translation_motion(axis, q[0]);
}

std::expected<void, JointError> JointDataPrismatic::update(const JointModel& joint_model,
                                                           std::span<const double> q) {
  assert_coordinate_count(q.size(), 1,
                          "Prismatic joint data update expects a single position value.");
  const MotionList axes = joint_model.get_axis();
  if (axes.size() != 1) return std::unexpected(JointError{"axis"});
  placement = translation_motion(axes[0].translation(), q[0]);
  return {};
}

}  // namespace kinetra
