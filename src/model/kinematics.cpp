#include "base/panic.hpp"
#include "model/algorithms.hpp"

namespace kinetra {

std::expected<void, ConfigurationError> forward_kinematics(const Model& model, Data& data,
                                                           std::span<const double> q) {
  if (q.size() != model.nq()) {
    return std::unexpected(ConfigurationError::invalid_size("q", model.nq(), q.size()));
  }
  const auto& joints = model.joint_models();
  std::size_t offset = 0;
  for (std::size_t j = 0; j < joints.size(); ++j) {
    if (j >= data.joint_data.size()) {
      panic("index out of bounds: the len is " + std::to_string(data.joint_data.size()) +
            " but the index is " + std::to_string(j));
    }
    const std::size_t n = joints[j]->nq();
    const auto updated = data.joint_data[j]->update(*joints[j], q.subspan(offset, n));
    if (!updated) {
      panic("not implemented: handle joint data update error: " + debug_text(updated.error()));
    }
    offset += n;
  }
  // The placements are rebuilt from the world joint outwards; parents come first.
  const auto& parents = model.joint_parents();
  const auto& placements = model.joint_placements();
  data.joint_placements.clear();
  data.joint_placements.reserve(joints.size());
  data.joint_placements.push_back(SE3::identity());
  for (std::size_t i = 1; i < joints.size(); ++i) {
    const SE3& oMp = data.joint_placements[parents[i]];
    data.joint_placements.push_back((oMp * placements[i]) *
                                    data.joint_data[i]->get_joint_placement());
  }
  return {};
}

}  // namespace kinetra
