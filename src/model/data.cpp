#include "model/data.hpp"

#include "model/model.hpp"

namespace kinetra {

Data::Data(const Model& model) {
  joint_data.reserve(model.njoints());
  for (const auto& joint_model : model.joint_models()) {
    joint_data.push_back(joint_model->create_joint_data());
  }
  joint_placements.assign(model.njoints(), SE3::identity());
}

}  // namespace kinetra
