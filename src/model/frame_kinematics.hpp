#pragma once

// Frames and Jacobians, read from the joint placements of the last forward kinematics.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "model/data.hpp"
#include "model/model.hpp"

namespace kinetra {

// The coordinates of a 6-row result (twist or Jacobian), angular rows first.
enum class Reference {
  Local,              // the frame's own coordinates
  World,              // world coordinates; linear part = velocity of the point at the world origin
  LocalWorldAligned,  // world axes; linear part = velocity of the frame's origin
};

// "local", "world" or "local_world_aligned"; nullopt for any other name.
std::optional<Reference> reference_from_name(std::string_view name);

// oMf for every frame into data.frame_placements; data must hold a placement per joint.
void update_frame_placements(const Model& model, Data& data);
// One frame's world placement from data.joint_placements.
SE3 frame_placement(const Model& model, const Data& data, std::size_t frame_id);

// The 6 x nv Jacobian, row-major into `out` (6 * nv entries), of a frame rigidly
// attached to joint `joint_id` whose world placement is oMf, from data's joint
// placements: column k maps v_k to the frame's twist in `reference` coordinates.
// Columns of joints outside the frame's support are zero.
void attached_frame_jacobian(const Model& model, const Data& data, std::size_t joint_id,
                             const SE3& oMf, Reference reference, std::span<double> out);

}  // namespace kinetra
