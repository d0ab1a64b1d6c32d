#include "base/panic.hpp"
#include "model/algorithms.hpp"

namespace kinetra {

std::expected<void, ConfigurationError> forward_kinematics(const Model& model, Data& data,
                                                           std::span<const double> q) {
  if (q.size() != model.nq()) {
    return std::unexpected(ConfigurationError::invalid_size("q", model.nq(), q.size()));
  }
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto& placements = model.joint_placements();
  if (data.joint_data.size() < joints.size()) {  // a Data made for a smaller model
    panic("index out of bounds: the len is " + std::to_string(data.joint_data.size()) +
          " but the index is " + std::to_string(data.joint_data.size()));
  }
  if (data.joint_placements.size() != joints.size()) {
    data.joint_placements.assign(joints.size(), SE3::identity());
  }
  // One pass from the world joint outwards (parents come first): each joint's data takes
  // its coordinates, then its frame is the parent's placement, then the joint's
  // placement, then the joint's motion. The world joint stays at the identity.
  std::size_t offset = 0;
  for (std::size_t j = 0; j < joints.size(); ++j) {
    const std::size_t n = joints[j]->nq();
    JointData& joint_data = *data.joint_data[j];
    const auto updated = joint_data.update(*joints[j], q.subspan(offset, n));
    if (!updated) {
      panic("not implemented: handle joint data update error: " + debug_text(updated.error()));
    }
    offset += n;
    if (j == 0) continue;
    data.joint_placements[j] =
        (data.joint_placements[parents[j]] * placements[j]) * joint_data.get_joint_placement();
  }
  return {};
}

}  // namespace kinetra
