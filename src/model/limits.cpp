#include "model/limits.hpp"

#include <algorithm>
#include <limits>

namespace kinetra {

namespace {

// Copies `count` entries of the chosen bound of each joint, or `fallback` for joints
// without limits, at the joint's offset in `offsets`.
template <class Bound>
Configuration gather(const Model& model, std::size_t length,
                     const std::vector<std::size_t>& offsets,
                     std::size_t (JointModel::*count)() const, Bound bound, double fallback) {
  Configuration out = Configuration::from_element(length, fallback);
  const std::span<double> values = out.as_mut_slice();
  const auto& joints = model.joint_models();
  for (std::size_t j = 0; j < joints.size(); ++j) {
    const JointLimits* limits = joints[j]->get_limits();
    if (limits == nullptr) continue;
    const std::size_t n = ((*joints[j]).*count)();
    const std::span<const double> stored = bound(*limits).row_slice(0, n);
    std::copy(stored.begin(), stored.end(),
              values.begin() + static_cast<std::ptrdiff_t>(offsets[j]));
  }
  return out;
}

constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

Configuration lower_limits(const Model& model) {
  return gather(
      model, model.nq(), model.joint_q_offsets(), &JointModel::nq,
      [](const JointLimits& l) -> const Configuration& { return l.lower; }, -kInf);
}

Configuration upper_limits(const Model& model) {
  return gather(
      model, model.nq(), model.joint_q_offsets(), &JointModel::nq,
      [](const JointLimits& l) -> const Configuration& { return l.upper; }, kInf);
}

Configuration velocity_limits(const Model& model) {
  return gather(
      model, model.nv(), model.joint_v_offsets(), &JointModel::nv,
      [](const JointLimits& l) -> const Configuration& { return l.velocity; }, kInf);
}

Configuration effort_limits(const Model& model) {
  return gather(
      model, model.nv(), model.joint_v_offsets(), &JointModel::nv,
      [](const JointLimits& l) -> const Configuration& { return l.effort; }, kInf);
}

}  // namespace kinetra
