#include "joint/joint_serial.hpp"

#include "joint/continuous.hpp"
#include "joint/fixed.hpp"
#include "joint/free_flyer.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "spatial/spatial_serial.hpp"

namespace kinetra::serial {

namespace {

void save_limits(Writer& w, const JointLimits& limits) {
  for (const Configuration* c : {&limits.effort, &limits.velocity, &limits.lower, &limits.upper}) {
    Codec<Configuration>::save(w, *c);
  }
}

// Overwrites `limits`, whose sizes are those the joint was made with: the joints read
// their first nq or nv entries without checking.
void load_limits(Reader& r, JointLimits& limits) {
  for (Configuration* c : {&limits.effort, &limits.velocity, &limits.lower, &limits.upper}) {
    Configuration loaded = Codec<Configuration>::load(r);
    if (!r.ok()) return;
    if (loaded.len() != c->len()) {
      r.fail("joint limits of " + std::to_string(loaded.len()) + " values, expected " +
             std::to_string(c->len()));
      return;
    }
    *c = std::move(loaded);
  }
}

template <class Joint>
std::unique_ptr<JointModel> load_axis_joint(Reader& r) {
  auto joint = std::make_unique<Joint>(Codec<Vector3D>::load(r));
  load_limits(r, joint->limits);
  return joint;
}

}  // namespace

void save_joint_model(Writer& w, const JointModel& joint) {
  Codec<JointType>::save(w, joint.get_joint_type());
  if (const auto axis = joint.stored_axis()) Codec<Vector3D>::save(w, *axis);
  if (const JointLimits* limits = joint.get_limits()) save_limits(w, *limits);
}

std::unique_ptr<JointModel> load_joint_model(Reader& r) {
  switch (Codec<JointType>::load(r)) {
    case JointType::Revolute:
      return load_axis_joint<JointModelRevolute>(r);
    case JointType::Continuous:
      return load_axis_joint<JointModelContinuous>(r);
    case JointType::Prismatic:
      return load_axis_joint<JointModelPrismatic>(r);
    case JointType::FreeFlyer:
      return std::make_unique<JointModelFreeFlyer>();
    case JointType::Fixed:
      break;
  }
  return std::make_unique<JointModelFixed>();
}

void save_joint_data(Writer& w, const JointData& data) {
  const JointType type = data.get_joint_type();
  Codec<JointType>::save(w, type);
  Codec<SE3>::save(w, data.get_joint_placement());
  if (type == JointType::Revolute) {
    w.f64(static_cast<const JointDataRevolute&>(data).q);
  } else if (type == JointType::Continuous) {
    const auto& continuous = static_cast<const JointDataContinuous&>(data);
    w.f64(continuous.cos);
    w.f64(continuous.sin);
  }
}

std::unique_ptr<JointData> load_joint_data(Reader& r) {
  const JointType type = Codec<JointType>::load(r);
  const SE3 placement = Codec<SE3>::load(r);
  switch (type) {
    case JointType::Revolute: {
      auto data = std::make_unique<JointDataRevolute>();
      data->placement = placement;
      data->q = r.f64();
      return data;
    }
    case JointType::Continuous: {
      auto data = std::make_unique<JointDataContinuous>();
      data->placement = placement;
      data->cos = r.f64();
      data->sin = r.f64();
      return data;
    }
    case JointType::Prismatic: {
      auto data = std::make_unique<JointDataPrismatic>();
      data->placement = placement;
      return data;
    }
    case JointType::FreeFlyer: {
      auto data = std::make_unique<JointDataFreeFlyer>();
      data->placement = placement;
      return data;
    }
    case JointType::Fixed:
      break;
  }
  return std::make_unique<JointDataFixed>();  // always at the identity
}

}  // namespace kinetra::serial
