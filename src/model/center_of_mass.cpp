#include "model/center_of_mass.hpp"

#include <algorithm>

namespace kinetra {

std::optional<Vector3D> center_of_mass(const Model& model, const Data& data) {
  const auto& inertias = model.inertias();
  double mass = 0.0;
  Vector3D moment = Vector3D::zeros();
  for (std::size_t i = 0; i < inertias.size(); ++i) {
    const double m = inertias[i].mass();
    mass += m;
    moment = moment + data.joint_placements[i].act(inertias[i].com()) * m;
  }
  if (mass == 0.0) return std::nullopt;
  return moment * (1.0 / mass);
}

bool jacobian_center_of_mass(const Model& model, Data& data, std::span<double> out) {
  const auto& inertias = model.inertias();
  const std::size_t n = inertias.size();
  data.subtree_masses.resize(n);
  data.subtree_moments.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double m = inertias[i].mass();
    data.subtree_masses[i] = m;
    data.subtree_moments[i] = data.joint_placements[i].act(inertias[i].com()) * m;
  }
  // Leaves to root: parents have smaller ids than their children.
  const auto& parents = model.joint_parents();
  for (std::size_t i = n; i-- > 1;) {
    data.subtree_masses[parents[i]] += data.subtree_masses[i];
    data.subtree_moments[parents[i]] = data.subtree_moments[parents[i]] + data.subtree_moments[i];
  }
  const double mass = data.subtree_masses[0];
  if (mass == 0.0) return false;

  // Moving joint j's coordinate k moves its whole subtree: the mass-weighted velocity
  // of the subtree's centre is ms (R b) + w x (h - ms p) for the column's world axis w
  // and translation R b, subtree mass ms and first moment h.
  const std::size_t nv = model.nv();
  std::fill(out.begin(), out.end(), 0.0);
  const auto columns = model.subspace_columns();
  const auto& offsets = model.joint_v_offsets();
  const auto& joints = model.joint_models();
  for (std::size_t j = 1; j < n; ++j) {
    const SE3& oMj = data.joint_placements[j];
    const double ms = data.subtree_masses[j];
    const Vector3D lever = data.subtree_moments[j] - oMj.translation() * ms;
    for (std::size_t k = 0; k < joints[j]->nv(); ++k) {
      const std::size_t c = offsets[j] + k;
      const Vector3D w = oMj.rotation() * columns[c].rotation();
      const Vector3D velocity =
          ((oMj.rotation() * columns[c].translation()) * ms + w.cross(lever)) * (1.0 / mass);
      for (std::size_t r = 0; r < 3; ++r) out[r * nv + c] = velocity[r];
    }
  }
  return true;
}

}  // namespace kinetra
