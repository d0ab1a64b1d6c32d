#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "model/algorithms.hpp"
#include "model/articulated.hpp"
#include "model/rnea_kernel.hpp"

namespace kinetra {

using kernel::SingleRow;
using Spatial = kernel::Spatial<double>;

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
// is positive definite with finite entries. (One-coordinate joints divide by D instead.)
bool invert_positive(const double* d, std::size_t k, double* inverse) {
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

// The index (angular first) of the single nonzero entry of an axis-aligned joint's
// motion subspace.
std::size_t unit_column(const JointMotion& joint) {
  return joint.kind == MotionKind::revolute_axis ? joint.axis_index : 3 + joint.axis_index;
}

bool axis_aligned(const JointMotion& joint) {
  return joint.kind == MotionKind::revolute_axis || joint.kind == MotionKind::prismatic_axis;
}

}  // namespace

// The passes below are cloned for AVX2, where a vector of three fills one register.
[[gnu::target_clones("avx2", "default")]] static void velocity_loop(const Model& model, Data& data,
                                                                    std::span<const double> q,
                                                                    std::span<const double> v) {
  const SingleRow rows = kernel::single_row(model, data.rnea, q, v, {});
  const std::size_t n = model.njoints();
  const JointMotion* joints = model.joint_motions().data();
  const auto columns = model.subspace_columns();
  kernel::Placement<double>* local = data.rnea.placements.data();
  Spatial* velocities = data.rnea.velocities.data();
  Spatial* bias_accelerations = data.bias_accelerations.data();
  Spatial* bias_forces = data.bias_forces.data();
  velocities[0] = {};
  for (std::size_t i = 1; i < n; ++i) {
    const JointMotion& joint = joints[i];
    kernel::Placement<double>& X = local[i];
    kernel::local_placement(i, joint, *model.joint_models()[i], model.kernel_placements()[i],
                            model.joint_placements()[i], rows, X);
    const double* speeds = v.data() + joint.v_offset;
    Spatial velocity = kernel::motion_to_child(X, velocities[joint.parent]);
    kernel::add_subspace(joint, columns, speeds, velocity);
    velocities[i] = velocity;
    bias_accelerations[i] = kernel::cross_subspace(joint, columns, speeds, velocity);
    const kernel::Body& body = model.kernel_bodies()[i];
    bias_forces[i] = kernel::cross_force(velocity, kernel::momentum(body, velocity));
  }
}

void aba_velocity_pass(const Model& model, Data& data, std::span<const double> q,
                       std::span<const double> v) {
  data.reserve_stages(model.njoints(), model.nv());
  data.rnea.size_to(model.njoints());
  velocity_loop(model, data, q, v);
}

namespace {

// qdd_i = D^-1 (u - U^T a'_i) with a'_i = iXp a_parent + c_i, so U^T a'_i =
// (iXp^T U)^T a_parent + U^T c_i: the acceleration pass reads U in the parent's frame and
// u less U^T c, and finds qdd_i from the parent's acceleration directly, beside the
// transform of that acceleration rather than after it. A one-coordinate joint's factors
// are scaled by its 1 / D, so that its qdd is one difference.
KERNEL_INLINE void acceleration_factors(const articulated::Transform& x, const articulated::Six& c,
                                        const articulated::Six& column, double u, double scale,
                                        Data& data, std::size_t index) {
  data.u_columns[index] = articulated::spatial(articulated::force_to_parent(x, column) * scale);
  data.u_values[index] = (u - articulated::dot(column, c)) * scale;
}

// What a joint passes to its parent: Ia = IA - U D^-1 U^T and U D^-1 u.
struct Passed {
  articulated::Matrix inertia;
  articulated::Six weighted{};
};

// A joint's view of the articulated pass: its IA, bias force pA, liMi and velocity product c.
struct JointState {
  const articulated::Matrix& inertia;
  articulated::Six bias_force, c;
  const articulated::Transform& x;
};

// One coordinate: U one column and D one number, kept in registers. Stores the factors
// for the acceleration pass and, when `passes`, fills `out`. False when D is not
// positive and finite.
KERNEL_INLINE bool factor_one(const JointMotion& joint, std::span<const SpatialMotion> columns,
                              const JointState& state, double tau, bool passes, Data& data,
                              Passed& out) {
  const articulated::Matrix& inertia = state.inertia;
  articulated::Six column;
  double u, d;
  if (axis_aligned(joint)) {  // U is a column of IA, D one of its diagonal entries
    const std::size_t c = unit_column(joint);
    column = inertia.col[c];
    u = tau - articulated::entry(state.bias_force, c);
    d = articulated::entry(column, c);
  } else {
    const articulated::Six s = articulated::six(kernel::subspace_column(joint, columns, 0));
    column = articulated::apply(inertia, s);
    u = tau - articulated::dot(s, state.bias_force);
    d = articulated::dot(s, column);
  }
  if (!(d > 0.0) || !std::isfinite(d)) return false;
  const double w = 1.0 / d;
  acceleration_factors(state.x, state.c, column, u, w, data, joint.v_offset);
  if (passes) {
    articulated::subtract_scaled_square(inertia, column, w, out.inertia);
    out.weighted = column * (0.0 + w * u);
  }
  return true;
}

// Any number of coordinates: U = IA S and D = S^T U through small arrays, D inverted by
// its Cholesky factor.
KERNEL_INLINE bool factor_many(const JointMotion& joint, std::span<const SpatialMotion> columns,
                               const JointState& state, const double* tau, bool passes, Data& data,
                               Passed& out) {
  const std::size_t k = joint.nv, offset = joint.v_offset;
  articulated::Six u_columns[kMaxDof], s[kMaxDof];
  double u[kMaxDof], d[kMaxDof * kMaxDof], d_inverse[kMaxDof * kMaxDof];
  for (std::size_t c = 0; c < k; ++c) {
    s[c] = articulated::six(kernel::subspace_column(joint, columns, c));
    u_columns[c] = articulated::apply(state.inertia, s[c]);
    u[c] = tau[c] - articulated::dot(s[c], state.bias_force);
  }
  for (std::size_t r = 0; r < k; ++r) {
    for (std::size_t c = 0; c < k; ++c) d[r * k + c] = articulated::dot(s[r], u_columns[c]);
  }
  if (!invert_positive(d, k, d_inverse)) return false;
  for (std::size_t r = 0; r < k; ++r) {
    acceleration_factors(state.x, state.c, u_columns[r], u[r], 1.0, data, offset + r);
    for (std::size_t c = 0; c < k; ++c) data.d_inverse_rows[offset + r][c] = d_inverse[r * k + c];
  }
  if (!passes) return true;
  articulated::copy(state.inertia, out.inertia);
  for (std::size_t m = 0; m < k; ++m) {
    double weight_u = 0.0;  // (D^-1 u)_m
    for (std::size_t c = 0; c < k; ++c) {
      const double w = d_inverse[m * k + c];
      weight_u += w * u[c];
      for (std::size_t j = 0; j < 6; ++j) {
        out.inertia.col[j] =
            out.inertia.col[j] - u_columns[m] * (w * articulated::entry(u_columns[c], j));
      }
    }
    out.weighted = out.weighted + u_columns[m] * weight_u;
  }
  return true;
}

// Leaves to root: each joint's factors, then, but for a joint on the fixed world (which
// its children never accelerate: this spares a floating base its 6x6 update), Ia moved
// to its parent's IA and pa = pA + Ia c + U D^-1 u to its parent's pA. Cloned for AVX2,
// where a column half fills one register. Returns the id of a joint whose D is not
// positive definite, or 0.
//
// IA_i is the body's inertia until a child adds to it: the first child to do so (the last
// one in id order) writes the sum, so no pass copies every body's 6x6 matrix. A child
// whose parent comes next (every joint of a chain) adds to `carried` instead, which stays
// in the cache: long chains then write no matrix to Data at all.
[[gnu::target_clones("avx2", "default")]] std::size_t articulated_loop(
    const Model& model, Data& data, std::span<const double> tau) {
  const JointMotion* joints = model.joint_motions().data();
  const auto columns = model.subspace_columns();
  const articulated::Matrix* bodies = model.inertia_matrices().data();
  articulated::Matrix* inertias = data.articulated_inertias.data();
  unsigned char* summed = data.articulated_summed.data();
  std::fill(summed, summed + model.njoints(), static_cast<unsigned char>(0));
  Spatial* bias_forces = data.bias_forces.data();
  articulated::Matrix carried;
  bool carrying = false;  // whether `carried` is IA of the joint processed next
  for (std::size_t i = model.njoints(); i-- > 1;) {
    const JointMotion& joint = joints[i];
    const std::size_t p = joint.parent;
    const bool from_carried = std::exchange(carrying, false);
    const JointState state{from_carried ? carried : (summed[i] != 0 ? inertias[i] : bodies[i]),
                           articulated::six(bias_forces[i]),
                           articulated::six(data.bias_accelerations[i]), data.rnea.placements[i]};
    Passed passed;
    const bool factored =
        joint.nv == 1
            ? factor_one(joint, columns, state, tau[joint.v_offset], p != 0, data, passed)
            : factor_many(joint, columns, state, tau.data() + joint.v_offset, p != 0, data, passed);
    if (!factored) return i;
    if (p == 0) continue;
    const articulated::Six bias =
        (state.bias_force + articulated::apply(passed.inertia, state.c)) + passed.weighted;
    // state.inertia is not read below: `carried` may be overwritten.
    articulated::Matrix* target = &carried;
    if (p + 1 == i) {
      articulated::copy(summed[p] != 0 ? inertias[p] : bodies[p], carried);
      carrying = true;
    } else {
      if (summed[p] == 0) articulated::copy(bodies[p], inertias[p]);
      summed[p] = 1;
      target = &inertias[p];
    }
    articulated::add_to_parent(state.x, passed.inertia, *target);
    bias_forces[p] =
        bias_forces[p] + articulated::spatial(articulated::force_to_parent(state.x, bias));
  }
  return 0;
}

}  // namespace

std::expected<void, SingularJointError> aba_articulated_pass(const Model& model, Data& data,
                                                             std::span<const double> tau) {
  if (const std::size_t i = articulated_loop(model, data, tau); i != 0) {
    return std::unexpected(SingularJointError{i, model.joint_names()[i]});
  }
  return {};
}

[[gnu::target_clones("avx2", "default")]] static void acceleration_loop(const Model& model,
                                                                        Data& data,
                                                                        std::span<double> qdd) {
  const JointMotion* joints = model.joint_motions().data();
  const auto columns = model.subspace_columns();
  const kernel::Placement<double>* local = data.rnea.placements.data();
  Spatial* accelerations = data.rnea.accelerations.data();
  const Spatial* bias_accelerations = data.bias_accelerations.data();
  const Spatial* u_columns = data.u_columns.data();
  const double* u_values = data.u_values.data();
  const auto* d_inverse_rows = data.d_inverse_rows.data();
  accelerations[0] = {{}, kernel::v3(-model.gravity())};
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const JointMotion& joint = joints[i];
    const std::size_t k = joint.nv, offset = joint.v_offset;
    const Spatial& parent = accelerations[joint.parent];
    Spatial acceleration = kernel::motion_to_child(local[i], parent) + bias_accelerations[i];
    double x[kMaxDof];
    if (k == 1) {  // one number, kept in a register
      x[0] = u_values[offset] - kernel::dot(parent, u_columns[offset]);
      qdd[offset] = x[0];
    } else {
      double rhs[kMaxDof];
      for (std::size_t c = 0; c < k; ++c)
        rhs[c] = u_values[offset + c] - kernel::dot(parent, u_columns[offset + c]);
      for (std::size_t r = 0; r < k; ++r) {
        double value = 0.0;
        for (std::size_t c = 0; c < k; ++c) value += d_inverse_rows[offset + r][c] * rhs[c];
        x[r] = value;
        qdd[offset + r] = value;
      }
    }
    kernel::add_subspace(joint, columns, x, acceleration);
    accelerations[i] = acceleration;
  }
}

void aba_acceleration_pass(const Model& model, Data& data, std::span<double> qdd) {
  acceleration_loop(model, data, qdd);
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
