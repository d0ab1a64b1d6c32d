#include "model/algorithms.hpp"
#include "model/dynamics_terms.hpp"
#include "model/spatial_dynamics.hpp"

namespace kinetra {

using namespace dynamics;

double kinetic_energy(const Model& model, Data& data, std::span<const double> q,
                      std::span<const double> v) {
  update_local_placements(model, data, q);
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto& inertias = model.inertias();
  const auto columns = model.subspace_columns();
  double twice = 0.0;
  std::size_t v_offset = 0;
  for (std::size_t i = 0; i < joints.size(); ++i) {
    const std::size_t nv = joints[i]->nv();
    // S qd, then plus the parent's velocity
    Motion velocity = subspace_motion(columns.subspan(v_offset, nv), v.subspan(v_offset, nv));
    if (i > 0) {
      velocity = motion_to_child(data.local_placements[i], data.velocities[parents[i]]) + velocity;
    }
    data.velocities[i] = velocity;
    twice += dot(velocity, apply(inertias[i], velocity));
    v_offset += nv;
  }
  return 0.5 * twice;
}

std::expected<double, ConfigurationError> potential_energy(const Model& model, Data& data,
                                                           std::span<const double> q) {
  if (auto placed = forward_kinematics(model, data, q); !placed) {
    return std::unexpected(placed.error());
  }
  const Vector3D& g = model.gravity();
  double energy = 0.0;
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    const Inertia& body = model.inertias()[i];
    energy -= body.mass() * g.dot(data.joint_placements[i].act(body.com()));
  }
  return energy;
}

double total_mass(const Model& model) {
  double mass = 0.0;
  for (const Inertia& body : model.inertias()) mass += body.mass();
  return mass;
}

}  // namespace kinetra
