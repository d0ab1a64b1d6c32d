#include "model/model.hpp"

#include "base/debug_string.hpp"
#include "base/pretty.hpp"
#include "joint/fixed.hpp"
#include "model/data.hpp"
#include "spatial/gravity.hpp"

namespace kinetra {

std::string display_text(const ModelError& error) {
  if (const auto* e = std::get_if<ModelError::ParentJointDoesNotExist>(&error.kind())) {
    return "Parent joint with id " + std::to_string(e->id) + " does not exist.";
  }
  const auto& e = std::get<ModelError::JointNameAlreadyUsed>(error.kind());
  return "Joint name '" + e.name + "' is already used by joint with id " + std::to_string(e.id) +
         ".";
}

std::string debug_text(const ModelError& error) {
  if (const auto* e = std::get_if<ModelError::ParentJointDoesNotExist>(&error.kind())) {
    return "ParentJointDoesNotExist(" + std::to_string(e->id) + ")";
  }
  const auto& e = std::get<ModelError::JointNameAlreadyUsed>(error.kind());
  std::string out = "JointNameAlreadyUsed(";
  append_quoted(out, e.name);
  return out + ", " + std::to_string(e.id) + ")";
}

Model Model::new_empty() {
  Model model;
  model.joint_names_.push_back("__WORLD__");
  model.joint_parents_.push_back(WORLD_ID);
  model.joint_placements_.push_back(SE3::identity());
  model.joint_models_.push_back(std::make_unique<JointModelFixed>());
  model.joint_motions_.push_back(classify_motion(*model.joint_models_.back()));
  model.inertias_.push_back(Inertia::zeros());
  model.inertia_matrices_.push_back(articulated::body_matrix(Inertia::zeros()));
  model.kernel_bodies_.push_back(kernel::body_of(Inertia::zeros()));
  model.kernel_placements_.push_back(kernel::broadcast<double>(SE3::identity()));
  model.joint_q_offsets_.push_back(0);
  model.joint_v_offsets_.push_back(0);
  model.joint_index_.reserve_one();
  model.joint_index_.insert_new("__WORLD__", WORLD_ID);
  model.gravity_ = standard_gravity();
  Frame world{"__WORLD_FRAME__", WORLD_ID, 0, SE3::identity(), FrameType::Fixed, Inertia::zeros()};
  model.frame_index_.reserve_one();
  model.frame_index_.insert_new(world.name, 0);
  model.frame_type_index_.reserve_one();
  model.frame_type_index_.insert_new(FrameKey{world.name, world.frame_type}, 0);
  model.frames_.push_back(std::move(world));
  return model;
}

Model Model::new_named(std::string name) {
  Model model = new_empty();
  model.name_ = std::move(name);
  return model;
}

std::expected<std::size_t, ModelError> Model::add_joint(std::size_t parent_id,
                                                        std::unique_ptr<JointModel> joint_model,
                                                        const SE3& placement, std::string name) {
  if (parent_id >= njoints()) {
    return std::unexpected(ModelError::parent_joint_does_not_exist(parent_id));
  }
  // Names are unique, so the first joint with this name is the only one.
  if (const auto existing = joint_index_.find(name, joint_name_of())) {
    return std::unexpected(ModelError::joint_name_already_used(std::move(name), *existing));
  }
  const std::size_t id = njoints();
  const MotionList subspace = joint_model->motion_subspace();
  JointMotion motion = classify_motion(*joint_model);
  motion.parent = parent_id;
  motion.q_offset = nq_;
  motion.v_offset = nv_;
  joint_index_.reserve_one();
  const std::size_t columns = subspace_columns_.size();
  try {
    for (std::size_t k = 0; k < subspace.size(); ++k) subspace_columns_.push_back(subspace[k]);
    joint_names_.push_back(std::move(name));
    joint_placements_.push_back(placement);
    joint_models_.push_back(std::move(joint_model));
    inertias_.push_back(Inertia::zeros());
    inertia_matrices_.push_back(articulated::body_matrix(Inertia::zeros()));
    kernel_bodies_.push_back(kernel::body_of(Inertia::zeros()));
    kernel_placements_.push_back(kernel::broadcast<double>(placement));
    joint_parents_.push_back(parent_id);
    joint_q_offsets_.push_back(nq_);
    joint_v_offsets_.push_back(nv_);
    joint_motions_.push_back(motion);
  } catch (...) {
    // Out of memory half way: restore the lists to their common length.
    subspace_columns_.resize(columns);
    joint_names_.resize(id);
    joint_placements_.resize(id);
    joint_models_.resize(id);
    inertias_.resize(id);
    inertia_matrices_.resize(id);
    kernel_bodies_.resize(id);
    kernel_placements_.resize(id);
    joint_parents_.resize(id);
    joint_q_offsets_.resize(id);
    joint_v_offsets_.resize(id);
    joint_motions_.resize(id);
    throw;
  }
  nq_ += joint_models_.back()->nq();
  nv_ += joint_models_.back()->nv();
  joint_index_.insert_new(joint_names_.back(), id);
  return id;
}

std::expected<std::size_t, ModelError> Model::add_frame(const Frame& frame, bool append_inertia) {
  if (frame.parent_joint >= njoints()) {
    return std::unexpected(ModelError::parent_joint_does_not_exist(frame.parent_joint));
  }
  const FrameKey key{frame.name, frame.frame_type};
  if (const auto existing = frame_type_index_.find(key, frame_key_of())) return *existing;
  const std::size_t id = frames_.size();
  const bool first_of_name = !frame_index_.find(frame.name, frame_name_of()).has_value();
  frame_type_index_.reserve_one();
  frame_index_.reserve_one();
  frames_.push_back(frame);
  frame_type_index_.insert_new(key, id);
  if (first_of_name) frame_index_.insert_new(frame.name, id);
  if (append_inertia) {
    set_inertia(frame.parent_joint,
                inertias_[frame.parent_joint] + frame.inertia.act(frame.placement));
  }
  return id;
}

void Model::reserve(std::size_t joints, std::size_t frames) {
  joint_names_.reserve(joints);
  joint_parents_.reserve(joints);
  joint_placements_.reserve(joints);
  joint_models_.reserve(joints);
  inertias_.reserve(joints);
  inertia_matrices_.reserve(joints);
  kernel_bodies_.reserve(joints);
  kernel_placements_.reserve(joints);
  subspace_columns_.reserve(joints);
  joint_motions_.reserve(joints);
  frames_.reserve(frames);
}

std::optional<std::size_t> Model::get_joint_id(std::string_view name) const {
  return joint_index_.find(name, joint_name_of());
}

std::optional<std::size_t> Model::get_frame_id(std::string_view name,
                                               std::optional<FrameType> frame_type) const {
  if (frame_type) return frame_type_index_.find(FrameKey{name, *frame_type}, frame_key_of());
  return frame_index_.find(name, frame_name_of());
}

Data Model::create_data() const { return Data(*this); }

std::string debug_text(const Model& model) {
  PrettyWriter w;
  w.line(0, "Model {");
  std::string name;
  append_quoted(name, model.name());
  w.line(1, "name: " + name + ",");
  w.line(1, "joint_names: [");
  for (const std::string& joint : model.joint_names()) {
    std::string quoted;
    append_quoted(quoted, joint);
    w.line(2, quoted + ",");
  }
  w.line(1, "],");
  w.line(1, "joint_parents: [");
  for (const std::size_t parent : model.joint_parents()) w.line(2, std::to_string(parent) + ",");
  w.line(1, "],");
  w.line(1, "joint_placements: [");
  for (const SE3& placement : model.joint_placements()) w.placement(2, "", placement, ",");
  w.line(1, "],");
  w.append("}");
  return w.take();
}

}  // namespace kinetra
