#include "model/frame_kinematics.hpp"

#include <algorithm>

namespace kinetra {

std::optional<Reference> reference_from_name(std::string_view name) {
  if (name == "local_world_aligned") return Reference::LocalWorldAligned;
  if (name == "local") return Reference::Local;
  if (name == "world") return Reference::World;
  return std::nullopt;
}

SE3 frame_placement(const Model& model, const Data& data, std::size_t frame_id) {
  const Frame& frame = model.frames()[frame_id];
  return data.joint_placements[frame.parent_joint] * frame.placement;
}

void update_frame_placements(const Model& model, Data& data) {
  data.frame_placements.resize(model.nframes());
  for (std::size_t f = 0; f < model.nframes(); ++f) {
    data.frame_placements[f] = frame_placement(model, data, f);
  }
}

void attached_frame_jacobian(const Model& model, const Data& data, std::size_t joint_id,
                             const SE3& oMf, Reference reference, std::span<double> out) {
  const std::size_t nv = model.nv();
  std::fill(out.begin(), out.end(), 0.0);
  const auto columns = model.subspace_columns();
  const auto& offsets = model.joint_v_offsets();
  const auto& joints = model.joint_models();
  const auto& parents = model.joint_parents();
  const Vector3D& p_f = oMf.translation();
  // Walk the support from the frame's joint to the root; joint 0 never moves.
  for (std::size_t j = joint_id; j != WORLD_ID; j = parents[j]) {
    const SE3& oMj = data.joint_placements[j];
    for (std::size_t k = 0; k < joints[j]->nv(); ++k) {
      const std::size_t c = offsets[j] + k;
      const SpatialMotion& s = columns[c];
      const Vector3D w = oMj.rotation() * s.rotation();
      const Vector3D b = oMj.rotation() * s.translation();
      Vector3D angular = w, linear;
      switch (reference) {
        case Reference::World:  // velocity of the point at the world origin
          linear = b + oMj.translation().cross(w);
          break;
        case Reference::LocalWorldAligned:  // velocity of the frame's origin
          linear = b + w.cross(p_f - oMj.translation());
          break;
        case Reference::Local:
          angular = oMf.rotation().transpose_mul(w);
          linear = oMf.rotation().transpose_mul(b + w.cross(p_f - oMj.translation()));
          break;
      }
      for (std::size_t r = 0; r < 3; ++r) {
        out[r * nv + c] = angular[r];
        out[(r + 3) * nv + c] = linear[r];
      }
    }
  }
}

}  // namespace kinetra
