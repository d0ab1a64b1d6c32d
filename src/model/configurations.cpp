#include "model/configurations.hpp"

#include "base/random.hpp"

namespace kinetra {

std::expected<Configuration, ConfigurationError> neutral(const Model& model) {
  Configuration q = Configuration::zeros(model.nq());
  std::size_t offset = 0;
  for (const auto& joint : model.joint_models()) {
    const Configuration block = joint->neutral();
    if (auto written = q.update_rows(offset, block.as_slice()); !written) {
      return std::unexpected(written.error());
    }
    offset += joint->nq();
  }
  return q;
}

Configuration random_configuration(const Model& model) {
  ThreadRng& rng = thread_rng();
  std::vector<Configuration> blocks;
  blocks.reserve(model.njoints());
  for (const auto& joint : model.joint_models()) blocks.push_back(joint->random_configuration(rng));
  return Configuration::concat(blocks);
}

}  // namespace kinetra
