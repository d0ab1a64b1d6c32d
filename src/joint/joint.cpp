#include "joint/joint.hpp"

#include <limits>

#include "base/panic.hpp"

namespace kinetra {

JointLimits JointLimits::new_unbounded(std::size_t n) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  return {Configuration::from_element(n, inf), Configuration::from_element(n, inf),
          Configuration::from_element(n, -inf), Configuration::from_element(n, inf)};
}

std::string debug_text(const JointError& error) {
  return "MissingAttributeError(\"" + error.missing_attribute + "\")";
}

void assert_coordinate_count(std::size_t left, std::size_t right, const char* explanation) {
  if (left == right) return;
  panic(std::string("assertion `left == right` failed: ") + explanation +
        "\n  left: " + std::to_string(left) + "\n right: " + std::to_string(right));
}

}  // namespace kinetra
