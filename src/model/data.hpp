#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "base/serial.hpp"
#include "joint/joint.hpp"
#include "model/articulated.hpp"
#include "model/kernel_math.hpp"
#include "model/origin_inertia.hpp"
#include "model/spatial_dynamics.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

class Model;

// The workspace of the algorithms for one model. Each algorithm is a stage that fills
// named fields, so later stages read them instead of recomputing. It keeps no
// reference to the model; the dynamics stages size their fields to the model they
// are given, so a Data made for another model still serves them.
class Data {
 public:
  static constexpr std::size_t kMaxDof = MotionList::kCapacity;

  explicit Data(const Model& model);

  // Forward kinematics: a joint data object per joint, and the world placement of
  // every joint frame (oMi). Only forward kinematics writes these.
  CloneVector<JointData> joint_data;
  std::vector<SE3> joint_placements;

  // Frame placements (update_frame_placements): oMf, one per frame of the model.
  std::vector<SE3> frame_placements;
  // The last Jacobian computed (6 x nv or 3 x nv, row-major), and the centre-of-mass
  // stage's mass and mass-weighted world centre of each joint's subtree.
  std::vector<double> jacobian;
  std::vector<double> subtree_masses;
  std::vector<Vector3D> subtree_moments;

  // crba and the energies: joint i's frame in its parent's frame (liMi = placement in
  // the parent, then the joint's motion), and the kinetic energy's body velocities.
  std::vector<SE3> local_placements;
  std::vector<dynamics::Motion> velocities;
  // rnea and aba: liMi, body velocities and accelerations (the base accelerating upwards
  // at g instead of every body feeling gravity), forces.
  kernel::RneaFields<double> rnea;

  // Forward dynamics, pass 1: velocity-product accelerations c_i = v_i x (S_i qd_i).
  std::vector<kernel::Spatial<double>> bias_accelerations;
  // Pass 2: articulated inertias IA_i (of the joints with children) and bias forces pA_i
  // (leaves to root), and each joint's factors U_i = IA_i S_i, D_i^-1 = (S_i^T U_i)^-1,
  // u_i = tau_i - S_i^T pA_i, stored per velocity coordinate as pass 3 reads them: U_i in
  // the parent's frame (iXp^T U_i), u_i - U_i^T c_i and D_i^-1, the first two already
  // multiplied by D_i^-1 for a joint with one coordinate. Joint i's entries start at its
  // offset in v; row r of D_i^-1 is d_inverse_rows[offset + r] (joints of more than one
  // coordinate only).
  std::vector<articulated::Matrix> articulated_inertias;
  // Whether a child has added to IA_i yet in this pass (until then IA_i is the body's).
  std::vector<unsigned char> articulated_summed;
  std::vector<kernel::Spatial<double>> bias_forces;
  std::vector<kernel::Spatial<double>> u_columns;
  std::vector<std::array<double, kMaxDof>> d_inverse_rows;
  std::vector<double> u_values;

  // Makes every stage field hold at least njoints entries (nv for those kept per
  // velocity coordinate). The first stage run on a Data allocates them; later calls
  // on a model of the same size allocate nothing.
  void reserve_stages(std::size_t njoints, std::size_t nv);

  // Mass matrix: each subtree's composite inertia (leaves to root), then M(q), nv x nv,
  // row-major.
  std::vector<dynamics::OriginInertia> composite_inertias;
  std::vector<double> mass_matrix;
  // nv zeros: the velocity and acceleration given to rnea for the bias terms.
  std::vector<double> zeros;
  // Sizes the three fields above for a model of this size (allocating only when it
  // changes).
  void reserve_dynamics_terms(std::size_t njoints, std::size_t nv);

 private:
  friend struct serial::Codec<Data>;
  Data() = default;  // no joints: filled by the loader
};

}  // namespace kinetra
