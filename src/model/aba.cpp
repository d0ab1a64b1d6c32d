#include <cmath>
#include <vector>

#include "model/algorithms.hpp"
#include "model/spatial_dynamics.hpp"

namespace kinetra {

using namespace dynamics;

std::string display_text(const ForwardDynamicsError& error) {
  if (const auto* size = std::get_if<ConfigurationError>(&error)) return display_text(*size);
  const auto& singular = std::get<SingularJointError>(error);
  return "the articulated inertia of joint '" + singular.joint_name + "' (id " +
         std::to_string(singular.joint_id) +
         ") along its motion subspace is not positive and finite; its body and the bodies it "
         "carries need mass or rotational inertia";
}

namespace {

constexpr std::size_t kMaxDof = Data::kMaxDof;

// Inverts the k x k matrix d (row-major) through its Cholesky factor; false unless d
// is positive definite with finite entries.
bool invert_positive(const double* d, std::size_t k, double* inverse) {
  if (k == 1) {  // every joint kind of the library
    if (!(d[0] > 0.0) || !std::isfinite(d[0])) return false;
    inverse[0] = 1.0 / d[0];
    return true;
  }
  double l[kMaxDof * kMaxDof] = {};
  for (std::size_t j = 0; j < k; ++j) {
    double diagonal = d[j * k + j];
    for (std::size_t m = 0; m < j; ++m) diagonal -= l[j * k + m] * l[j * k + m];
    if (!(diagonal > 0.0) || !std::isfinite(diagonal)) return false;
    l[j * k + j] = std::sqrt(diagonal);
    for (std::size_t i = j + 1; i < k; ++i) {
      double value = d[i * k + j];
      for (std::size_t m = 0; m < j; ++m) value -= l[i * k + m] * l[j * k + m];
      l[i * k + j] = value / l[j * k + j];
    }
  }
  for (std::size_t c = 0; c < k; ++c) {  // solve L L^T x = e_c
    double x[kMaxDof] = {};
    x[c] = 1.0;
    for (std::size_t i = 0; i < k; ++i) {
      for (std::size_t m = 0; m < i; ++m) x[i] -= l[i * k + m] * x[m];
      x[i] /= l[i * k + i];
    }
    for (std::size_t i = k; i-- > 0;) {
      for (std::size_t m = i + 1; m < k; ++m) x[i] -= l[m * k + i] * x[m];
      x[i] /= l[i * k + i];
    }
    for (std::size_t r = 0; r < k; ++r) inverse[r * k + c] = x[r];
  }
  return true;
}

std::array<double, 6> as_array(const Force& f) {
  return {f.angular[0], f.angular[1], f.angular[2], f.linear[0], f.linear[1], f.linear[2]};
}

}  // namespace

void aba_velocity_pass(const Model& model, Data& data, std::span<const double> q,
                       std::span<const double> v) {
  update_local_placements(model, data, q);
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto columns = model.subspace_columns();
  std::size_t v_offset = 0;
  for (std::size_t i = 0; i < joints.size(); ++i) {
    const std::size_t nv = joints[i]->nv();
    const Motion vj = subspace_motion(columns.subspan(v_offset, nv), v.subspan(v_offset, nv));
    const SE3& pMi = data.local_placements[i];
    const Motion velocity = i == 0 ? vj : motion_to_child(pMi, data.velocities[parents[i]]) + vj;
    data.velocities[i] = velocity;
    data.bias_accelerations[i] = cross_motion(velocity, vj);
    const Inertia& body = model.inertias()[i];
    data.articulated_inertias[i] = inertia_matrix(body);
    data.bias_forces[i] = cross_force(velocity, apply(body, velocity));
    v_offset += nv;
  }
}

std::expected<void, SingularJointError> aba_articulated_pass(const Model& model, Data& data,
                                                             std::span<const double> tau) {
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto columns = model.subspace_columns();
  std::size_t v_offset = model.nv();
  for (std::size_t i = joints.size(); i-- > 0;) {
    const std::size_t k = joints[i]->nv();
    v_offset -= k;
    Force* u_columns = &data.u_columns[v_offset];
    double* u = &data.u_values[v_offset];
    double d[kMaxDof * kMaxDof], d_inverse[kMaxDof * kMaxDof];
    for (std::size_t c = 0; c < k; ++c) {
      const Motion s = to_motion(columns[v_offset + c]);
      u_columns[c] = apply(data.articulated_inertias[i], s);
      u[c] = tau[v_offset + c] - dot(s, data.bias_forces[i]);
    }
    for (std::size_t r = 0; r < k; ++r) {
      for (std::size_t c = 0; c < k; ++c)
        d[r * k + c] = dot(to_motion(columns[v_offset + r]), u_columns[c]);
    }
    if (!invert_positive(d, k, d_inverse)) {
      return std::unexpected(SingularJointError{i, model.joint_names()[i]});
    }
    for (std::size_t r = 0; r < k; ++r) {
      for (std::size_t c = 0; c < k; ++c)
        data.d_inverse_rows[v_offset + r][c] = d_inverse[r * k + c];
    }
    // A fixed world is never accelerated by its children: what they would pass to it
    // is not needed (this spares a floating base its 6x6 update).
    if (i == 0 || (parents[i] == 0 && joints[0]->nv() == 0)) continue;
    // Ia = IA - U D^-1 U^T and pa = pA + Ia c + U D^-1 u, then moved to the parent.
    // IA_i is overwritten by Ia_i: the acceleration pass needs only U, D^-1 and u.
    Matrix6& articulated = data.articulated_inertias[i];
    Force bias = data.bias_forces[i];
    for (std::size_t m = 0; m < k; ++m) {
      const auto um = as_array(u_columns[m]);
      double weight_u = 0.0;  // (D^-1 u)_m
      for (std::size_t c = 0; c < k; ++c) {
        weight_u += d_inverse[m * k + c] * u[c];
        const auto uc = as_array(u_columns[c]);
        const double w = d_inverse[m * k + c];
        for (std::size_t r = 0; r < 6; ++r) {
          const double scaled = um[r] * w;
          for (std::size_t col = r; col < 6; ++col) articulated(r, col) -= scaled * uc[col];
        }
      }
      bias = bias + Force{u_columns[m].angular * weight_u, u_columns[m].linear * weight_u};
    }
    for (std::size_t r = 1; r < 6; ++r) {  // the update above kept the upper triangle
      for (std::size_t col = 0; col < r; ++col) articulated(r, col) = articulated(col, r);
    }
    bias = bias + apply(articulated, data.bias_accelerations[i]);
    const std::size_t p = parents[i];
    add_inertia_to_parent(data.local_placements[i], articulated, data.articulated_inertias[p]);
    data.bias_forces[p] = data.bias_forces[p] + force_to_parent(data.local_placements[i], bias);
  }
  return {};
}

void aba_acceleration_pass(const Model& model, Data& data, std::span<double> qdd) {
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto columns = model.subspace_columns();
  std::size_t v_offset = 0;
  for (std::size_t i = 0; i < joints.size(); ++i) {
    const std::size_t k = joints[i]->nv();
    const Motion parent_acceleration =
        i == 0 ? Motion{Vector3D::zeros(), -model.gravity()}
               : motion_to_child(data.local_placements[i], data.accelerations[parents[i]]);
    const Motion a_prime = parent_acceleration + data.bias_accelerations[i];
    double rhs[kMaxDof];
    for (std::size_t c = 0; c < k; ++c)
      rhs[c] = data.u_values[v_offset + c] - dot(a_prime, data.u_columns[v_offset + c]);
    Motion acceleration = a_prime;
    for (std::size_t r = 0; r < k; ++r) {
      double x = 0.0;
      for (std::size_t c = 0; c < k; ++c) x += data.d_inverse_rows[v_offset + r][c] * rhs[c];
      acceleration = acceleration + to_motion(columns[v_offset + r]) * x;
      qdd[v_offset + r] = x;
    }
    data.accelerations[i] = acceleration;
    v_offset += k;
  }
}

Configuration aba_acceleration_pass(const Model& model, Data& data) {
  Configuration qdd = Configuration::zeros(model.nv());
  aba_acceleration_pass(model, data, qdd.as_mut_slice());
  return qdd;
}

std::expected<Configuration, ForwardDynamicsError> forward_dynamics(const Model& model, Data& data,
                                                                    std::span<const double> q,
                                                                    std::span<const double> v,
                                                                    std::span<const double> tau) {
  if (q.size() != model.nq()) {
    return std::unexpected(ConfigurationError::invalid_size("q", model.nq(), q.size()));
  }
  if (v.size() != model.nv()) {
    return std::unexpected(ConfigurationError::invalid_size("v", model.nv(), v.size()));
  }
  if (tau.size() != model.nv()) {
    return std::unexpected(ConfigurationError::invalid_size("tau", model.nv(), tau.size()));
  }
  aba_velocity_pass(model, data, q, v);
  if (auto factored = aba_articulated_pass(model, data, tau); !factored) {
    return std::unexpected(factored.error());
  }
  return aba_acceleration_pass(model, data);
}

}  // namespace kinetra
