#include <algorithm>

#include "model/algorithms.hpp"
#include "model/dynamics_terms.hpp"
#include "model/origin_inertia.hpp"

namespace kinetra {

using namespace dynamics;

std::span<const double> crba(const Model& model, Data& data, std::span<const double> q) {
  update_local_placements(model, data, q);
  const std::size_t n = model.njoints();
  const std::size_t nv = model.nv();
  data.reserve_dynamics_terms(n, nv);
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const auto& offsets = model.joint_v_offsets();
  const auto columns = model.subspace_columns();
  const auto& inertias = model.inertias();
  auto& composite = data.composite_inertias;
  for (std::size_t i = 0; i < n; ++i) composite[i] = OriginInertia::of(inertias[i]);
  double* m = data.mass_matrix.data();
  std::fill(m, m + nv * nv, 0.0);  // entries of joints on different branches stay 0
  // The world joint moves nothing (nv 0): forces need not be carried into it.
  const bool world_moves = joints[0]->nv() > 0;
  for (std::size_t i = n; i-- > 0;) {
    // composite[i] is complete: every descendant has a larger id and was added.
    const std::size_t k = joints[i]->nv();
    const std::size_t oi = offsets[i];
    for (std::size_t c = 0; c < k; ++c) {
      const std::size_t col = oi + c;
      Force f = apply(composite[i], to_motion(columns[col]));
      for (std::size_t r = 0; r <= c; ++r) {  // joint i's own block, kept exactly symmetric
        const double value = dot(to_motion(columns[oi + r]), f);
        m[(oi + r) * nv + col] = value;
        m[col * nv + oi + r] = value;
      }
      // Up the support: the force Ic S seen by each ancestor joint j gives M[j, i].
      for (std::size_t j = i; j != 0 && (parents[j] != 0 || world_moves);) {
        f = force_to_parent(data.local_placements[j], f);
        j = parents[j];
        const std::size_t oj = offsets[j];
        for (std::size_t r = 0, kj = joints[j]->nv(); r < kj; ++r) {
          const double value = dot(to_motion(columns[oj + r]), f);
          m[(oj + r) * nv + col] = value;
          m[col * nv + oj + r] = value;
        }
      }
    }
    if (i > 0) composite[parents[i]] += to_parent(data.local_placements[i], composite[i]);
  }
  return {m, nv * nv};
}

}  // namespace kinetra
