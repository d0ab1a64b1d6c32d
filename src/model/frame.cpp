#include "model/frame.hpp"

namespace kinetra {

const char* debug_text(FrameType type) {
  switch (type) {
    case FrameType::Operational:
      return "Operational";
    case FrameType::Joint:
      return "Joint";
    case FrameType::Fixed:
      return "Fixed";
    case FrameType::Body:
      return "Body";
    case FrameType::Sensor:
      return "Sensor";
  }
  return "?";
}

std::string repr_text(const Frame& frame) {
  return "Frame (name='" + frame.name + "', parent joint=" + std::to_string(frame.parent_joint) +
         ", parent frame=" + std::to_string(frame.parent_frame) +
         ", frame_type=" + debug_text(frame.frame_type) +
         ")\n Placement=" + debug_text(frame.placement) + "\n Inertia=" + debug_text(frame.inertia);
}

}  // namespace kinetra
