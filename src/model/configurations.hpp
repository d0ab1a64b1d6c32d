#pragma once

#include <expected>

#include "joint/configuration.hpp"
#include "model/model.hpp"

namespace kinetra {

// Every joint at rest, blocks in joint order.
std::expected<Configuration, ConfigurationError> neutral(const Model& model);
// Every joint drawn within its limits from the calling thread's generator.
Configuration random_configuration(const Model& model);

}  // namespace kinetra
