#include "model/model_serial.hpp"

#include "joint/joint_serial.hpp"
#include "spatial/spatial_serial.hpp"

namespace kinetra::serial {

namespace {

constexpr std::size_t kInertiaBytes = 10 * 8;
// The least a joint entry takes: parent, name length, placement, kind, inertia.
constexpr std::size_t kJointBytes = 2 * kSizeBytes + kSE3Bytes + 1 + kInertiaBytes;
// Name length, parent joint, parent frame, placement, type, inertia.
constexpr std::size_t kFrameBytes = 3 * kSizeBytes + kSE3Bytes + 1 + kInertiaBytes;
constexpr std::size_t kJointDataBytes = 1 + kSE3Bytes;

}  // namespace

void Codec<Frame>::save(Writer& w, const Frame& frame) {
  w.text(frame.name);
  w.size(frame.parent_joint);
  w.size(frame.parent_frame);
  Codec<SE3>::save(w, frame.placement);
  Codec<FrameType>::save(w, frame.frame_type);
  Codec<Inertia>::save(w, frame.inertia);
}

Frame Codec<Frame>::load(Reader& r) {
  Frame frame;
  frame.name = r.text();
  frame.parent_joint = r.size();
  frame.parent_frame = r.size();
  frame.placement = Codec<SE3>::load(r);
  frame.frame_type = Codec<FrameType>::load(r);
  frame.inertia = Codec<Inertia>::load(r);
  return frame;
}

// The world joint and world frame are those of every new model: only their inertias,
// which bodies merged into them change, are stored.
void Codec<Model>::save(Writer& w, const Model& model) {
  w.text(model.name_);
  Codec<Vector3D>::save(w, model.gravity_);
  Codec<Inertia>::save(w, model.inertias_[WORLD_ID]);
  w.size(model.njoints() - 1);
  for (std::size_t j = 1; j < model.njoints(); ++j) {
    w.size(model.joint_parents_[j]);
    w.text(model.joint_names_[j]);
    Codec<SE3>::save(w, model.joint_placements_[j]);
    save_joint_model(w, *model.joint_models_[j]);
    Codec<Inertia>::save(w, model.inertias_[j]);
  }
  Codec<Inertia>::save(w, model.frames_[0].inertia);
  w.size(model.nframes() - 1);
  for (std::size_t f = 1; f < model.nframes(); ++f) Codec<Frame>::save(w, model.frames_[f]);
}

Model Codec<Model>::load(Reader& r) {
  Model model = Model::new_named(r.text());
  model.gravity_ = Codec<Vector3D>::load(r);
  model.set_inertia(WORLD_ID, Codec<Inertia>::load(r));
  const std::size_t joints = r.count(kJointBytes);
  for (std::size_t k = 0; k < joints && r.ok(); ++k) {
    const std::size_t parent = r.size();
    std::string name = r.text();
    const SE3 placement = Codec<SE3>::load(r);
    std::unique_ptr<JointModel> joint = load_joint_model(r);
    const Inertia inertia = Codec<Inertia>::load(r);
    if (!r.ok()) break;
    const auto id = model.add_joint(parent, std::move(joint), placement, std::move(name));
    if (!id) {
      r.fail(display_text(id.error()));
      break;
    }
    model.set_inertia(*id, inertia);
  }
  model.frames_[0].inertia = Codec<Inertia>::load(r);
  const std::size_t frames = r.count(kFrameBytes);
  for (std::size_t k = 0; k < frames && r.ok(); ++k) {
    const Frame frame = Codec<Frame>::load(r);
    if (!r.ok()) break;
    const std::size_t next = model.nframes();
    const auto id = model.add_frame(frame, false);
    if (!id) {
      r.fail(display_text(id.error()));
    } else if (*id != next) {
      r.fail("frame '" + frame.name + "' of type " + debug_text(frame.frame_type) +
             " appears twice");
    }
  }
  return model;
}

void Codec<Data>::save(Writer& w, const Data& data) {
  w.size(data.joint_data.size());
  for (const auto& joint_data : data.joint_data) save_joint_data(w, *joint_data);
  save_list(w, data.joint_placements);
  save_list(w, data.frame_placements);
}

Data Codec<Data>::load(Reader& r) {
  Data data;
  const std::size_t joints = r.count(kJointDataBytes);
  data.joint_data.reserve(joints);
  for (std::size_t j = 0; j < joints && r.ok(); ++j) data.joint_data.push_back(load_joint_data(r));
  data.joint_placements = load_list<SE3>(r, kSE3Bytes);
  data.frame_placements = load_list<SE3>(r, kSE3Bytes);
  // Forward kinematics keeps one placement per joint data object; the algorithms rely on it.
  if (r.ok() && data.joint_placements.size() != data.joint_data.size()) {
    r.fail(std::to_string(data.joint_placements.size()) + " joint placements for " +
           std::to_string(data.joint_data.size()) + " joints");
  }
  return data;
}

}  // namespace kinetra::serial
