#include "model/data.hpp"

#include "model/model.hpp"

namespace kinetra {

Data::Data(const Model& model) {
  joint_data.reserve(model.njoints());
  for (const auto& joint_model : model.joint_models()) {
    joint_data.push_back(joint_model->create_joint_data());
  }
  joint_placements.assign(model.njoints(), SE3::identity());
  reserve_stages(model.njoints());
}

void Data::reserve_stages(std::size_t n) {
  if (local_placements.size() >= n) return;
  local_placements.resize(n);
  velocities.resize(n);
  accelerations.resize(n);
  forces.resize(n);
  bias_accelerations.resize(n);
  articulated_inertias.resize(n);
  bias_forces.resize(n);
  u_columns.resize(n);
  d_inverse.resize(n);
  u_values.resize(n);
}

}  // namespace kinetra
