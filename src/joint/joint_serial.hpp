#pragma once

// The binary layout of joint-space vectors, joint models and joint data (see
// base/serial.hpp): a joint is its kind, then its axis and limits when it has them.

#include <memory>

#include "base/serial.hpp"
#include "joint/joint.hpp"

namespace kinetra::serial {

template <>
struct Codec<Configuration> {
  static void save(Writer& w, const Configuration& c) { w.f64s(c.as_slice()); }
  static Configuration load(Reader& r) { return Configuration::from_row_slice(r.f64s()); }
};

template <>
struct Codec<JointType> {
  static void save(Writer& w, JointType type) { w.u8(static_cast<std::uint8_t>(type)); }
  static JointType load(Reader& r) { return static_cast<JointType>(r.tag(5, "joint type")); }
};

void save_joint_model(Writer& w, const JointModel& joint);
// A fixed joint once the reader has failed. Limits must have the kind's own sizes.
std::unique_ptr<JointModel> load_joint_model(Reader& r);

template <>
struct Codec<JointWrapper> {
  static void save(Writer& w, const JointWrapper& joint) { save_joint_model(w, joint.get()); }
  static JointWrapper load(Reader& r) { return JointWrapper(load_joint_model(r)); }
};

// A joint data object: its kind and the coordinates and placement it last computed.
void save_joint_data(Writer& w, const JointData& data);
std::unique_ptr<JointData> load_joint_data(Reader& r);

}  // namespace kinetra::serial
