#pragma once

#include <cstddef>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/serial.hpp"
#include "joint/joint.hpp"
#include "model/articulated.hpp"
#include "model/frame.hpp"
#include "model/joint_motion.hpp"
#include "model/name_index.hpp"
#include "spatial/inertia.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

class Data;

// The error of add_joint and add_frame.
class ModelError {
 public:
  struct ParentJointDoesNotExist {
    std::size_t id;
  };
  struct JointNameAlreadyUsed {
    std::string name;
    std::size_t id;
  };

  static ModelError parent_joint_does_not_exist(std::size_t id) {
    return ModelError(ParentJointDoesNotExist{id});
  }
  static ModelError joint_name_already_used(std::string name, std::size_t id) {
    return ModelError(JointNameAlreadyUsed{std::move(name), id});
  }
  const std::variant<ParentJointDoesNotExist, JointNameAlreadyUsed>& kind() const { return kind_; }

 private:
  explicit ModelError(std::variant<ParentJointDoesNotExist, JointNameAlreadyUsed> kind)
      : kind_(std::move(kind)) {}
  std::variant<ParentJointDoesNotExist, JointNameAlreadyUsed> kind_;
};

// "Parent joint with id 7 does not exist." / "Joint name 'a' is already used by joint with id 1."
std::string display_text(const ModelError& error);
// ParentJointDoesNotExist(7) / JointNameAlreadyUsed("a", 1)
std::string debug_text(const ModelError& error);

inline constexpr std::size_t WORLD_ID = 0;

// A robot as a tree of joints, numbered in the order added; joint 0 is the world
// joint "__WORLD__", its own parent. Parents always have smaller ids than their
// children. The model only grows.
class Model {
 public:
  // One world joint and the world frame "__WORLD_FRAME__"; standard gravity.
  static Model new_empty();
  static Model new_named(std::string name);

  // Copies are deep: each copy owns its joint models.
  Model(const Model&) = default;
  Model(Model&&) noexcept = default;
  Model& operator=(const Model&) = default;
  Model& operator=(Model&&) noexcept = default;

  // Appends a joint under `parent_id`; returns its id. The model is unchanged on error.
  std::expected<std::size_t, ModelError> add_joint(std::size_t parent_id,
                                                   std::unique_ptr<JointModel> joint_model,
                                                   const SE3& placement, std::string name);
  // Appends a frame, or returns the id of the first frame with the same name and
  // type (adding nothing). With append_inertia, the frame's inertia moved into the
  // parent joint's frame is added to that joint's inertia.
  std::expected<std::size_t, ModelError> add_frame(const Frame& frame, bool append_inertia);

  // Adds `inertia` (already expressed in the joint's / frame's own frame) to the
  // inertia of joint `joint` / frame `frame`: merges rigidly attached bodies.
  void append_joint_inertia(std::size_t joint, const Inertia& inertia) {
    set_inertia(joint, inertias_.at(joint) + inertia);
  }
  void append_frame_inertia(std::size_t frame, const Inertia& inertia) {
    frames_.at(frame).inertia += inertia;
  }

  // Makes room for this many joints and frames in all, so that growing to them
  // does not move the lists again.
  void reserve(std::size_t joints, std::size_t frames);

  // The joint with this name (names are unique).
  std::optional<std::size_t> get_joint_id(std::string_view name) const;
  // The first frame with this name and, when given, this type.
  std::optional<std::size_t> get_frame_id(std::string_view name,
                                          std::optional<FrameType> frame_type) const;

  Data create_data() const;

  std::size_t njoints() const { return joint_names_.size(); }
  std::size_t nframes() const { return frames_.size(); }
  std::size_t nq() const { return nq_; }
  std::size_t nv() const { return nv_; }

  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }
  const Vector3D& gravity() const { return gravity_; }
  void set_gravity(const Vector3D& gravity) { gravity_ = gravity; }

  const std::vector<std::string>& joint_names() const { return joint_names_; }
  const std::vector<std::size_t>& joint_parents() const { return joint_parents_; }
  const std::vector<SE3>& joint_placements() const { return joint_placements_; }
  const std::vector<std::unique_ptr<JointModel>>& joint_models() const { return joint_models_; }
  const std::vector<Inertia>& inertias() const { return inertias_; }
  // Each joint's inertia as a 6x6 matrix about the joint's origin, kept for the dynamics.
  const std::vector<articulated::Matrix>& inertia_matrices() const { return inertia_matrices_; }
  // The joint placements and inertias as the dynamics passes read them.
  const std::vector<kernel::Placement<double>>& kernel_placements() const {
    return kernel_placements_;
  }
  const std::vector<kernel::Body>& kernel_bodies() const { return kernel_bodies_; }
  const std::vector<Frame>& frames() const { return frames_; }
  // Where each joint's block starts in q and in v (the world joint: 0).
  const std::vector<std::size_t>& joint_q_offsets() const { return joint_q_offsets_; }
  const std::vector<std::size_t>& joint_v_offsets() const { return joint_v_offsets_; }
  // The motion subspace columns of all joints (JointModel::motion_subspace), one per
  // velocity coordinate in velocity order, kept for the dynamics algorithms.
  std::span<const SpatialMotion> subspace_columns() const { return subspace_columns_; }
  // Per joint, what the dynamics passes read of it (kind of motion, axis, parent, offsets).
  const std::vector<JointMotion>& joint_motions() const { return joint_motions_; }

 private:
  friend struct serial::Codec<Model>;
  Model() = default;

  struct FrameKey {
    std::string_view name;
    FrameType type;
    bool operator==(const FrameKey&) const = default;
  };
  struct FrameKeyHash {
    std::size_t operator()(const FrameKey& key) const {
      return std::hash<std::string_view>()(key.name) * 31 + static_cast<std::size_t>(key.type);
    }
  };
  using NameIndex = FirstMatchIndex<std::string_view, std::hash<std::string_view>>;

  std::string name_;
  std::vector<std::string> joint_names_;
  std::vector<std::size_t> joint_parents_;
  std::vector<SE3> joint_placements_;
  CloneVector<JointModel> joint_models_;
  std::vector<Inertia> inertias_;
  std::vector<articulated::Matrix> inertia_matrices_;
  std::vector<kernel::Placement<double>> kernel_placements_;
  std::vector<kernel::Body> kernel_bodies_;
  void set_inertia(std::size_t joint, const Inertia& inertia) {
    inertias_[joint] = inertia;
    inertia_matrices_[joint] = articulated::body_matrix(inertia);
    kernel_bodies_[joint] = kernel::body_of(inertia);
  }
  std::vector<Frame> frames_;
  std::vector<std::size_t> joint_q_offsets_;
  std::vector<std::size_t> joint_v_offsets_;
  std::size_t nq_ = 0;
  std::size_t nv_ = 0;
  Vector3D gravity_;
  std::vector<SpatialMotion> subspace_columns_;
  std::vector<JointMotion> joint_motions_;

  // Name indexes; each keeps the first id inserted for a key.
  NameIndex joint_index_;
  NameIndex frame_index_;
  FirstMatchIndex<FrameKey, FrameKeyHash> frame_type_index_;

  auto joint_name_of() const {
    return [this](std::size_t id) { return std::string_view(joint_names_[id]); };
  }
  auto frame_name_of() const {
    return [this](std::size_t id) { return std::string_view(frames_[id].name); };
  }
  auto frame_key_of() const {
    return [this](std::size_t id) { return FrameKey{frames_[id].name, frames_[id].frame_type}; };
  }
};

// The indented multi-line rendering of repr(): name, joint names, parents, placements.
std::string debug_text(const Model& model);

}  // namespace kinetra
