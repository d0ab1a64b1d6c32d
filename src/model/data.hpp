#pragma once

#include <memory>
#include <vector>

#include "joint/joint.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

class Model;

// The workspace of the algorithms for one model: a joint data object per joint and
// the world placement of every joint frame. It keeps no reference to the model.
class Data {
 public:
  explicit Data(const Model& model);

  std::vector<std::unique_ptr<JointData>> joint_data;
  std::vector<SE3> joint_placements;
};

}  // namespace kinetra
