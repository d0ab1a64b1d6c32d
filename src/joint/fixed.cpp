#include "joint/fixed.hpp"

namespace kinetra {

std::unique_ptr<JointData> JointModelFixed::create_joint_data() const {
  return std::make_unique<JointDataFixed>();
}

SE3 JointModelFixed::transform(std::span<const double> q) const {
  assert_coordinate_count(q.size(), 0, "Fixed joint model expects no configuration.");
  return SE3::identity();
}

}  // namespace kinetra
