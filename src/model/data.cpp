#include "model/data.hpp"

#include "model/model.hpp"

namespace kinetra {

Data::Data(const Model& model) {
  joint_data.reserve(model.njoints());
  for (const auto& joint_model : model.joint_models()) {
    joint_data.push_back(joint_model->create_joint_data());
  }
  joint_placements.assign(model.njoints(), SE3::identity());
}

void Data::reserve_stages(std::size_t njoints, std::size_t nv) {
  if (local_placements.size() < njoints) {
    local_placements.resize(njoints);
    velocities.resize(njoints);
    bias_accelerations.resize(njoints);
    articulated_inertias.resize(njoints);
    articulated_summed.resize(njoints);
    bias_forces.resize(njoints);
  }
  if (u_values.size() < nv) {
    u_columns.resize(nv);
    d_inverse_rows.resize(nv);
    u_values.resize(nv);
  }
}

void Data::reserve_dynamics_terms(std::size_t njoints, std::size_t nv) {
  if (composite_inertias.size() < njoints) composite_inertias.resize(njoints);
  if (mass_matrix.size() != nv * nv) mass_matrix.resize(nv * nv);
  if (zeros.size() < nv) zeros.resize(nv, 0.0);
}

}  // namespace kinetra
