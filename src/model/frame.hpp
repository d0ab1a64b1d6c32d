#pragma once

#include <string>

#include "spatial/inertia.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

enum class FrameType { Operational = 0, Joint = 1, Fixed = 2, Body = 3, Sensor = 4 };

// The bare member name: Operational, Joint, Fixed, Body or Sensor.
const char* debug_text(FrameType type);

// A named frame attached to a joint, with the inertia of a body rigidly attached
// at it (expressed in the frame).
struct Frame {
  std::string name;
  std::size_t parent_joint = 0;
  std::size_t parent_frame = 0;  // stored and reported, never examined
  SE3 placement;
  FrameType frame_type = FrameType::Operational;
  Inertia inertia;
};

// "Frame (name='..', parent joint=.., parent frame=.., frame_type=..)\n Placement=..\n Inertia=..".
std::string repr_text(const Frame& frame);

}  // namespace kinetra
