#include "joint/joint.hpp"

#include <limits>

#include "base/panic.hpp"

namespace kinetra {

JointLimits JointLimits::new_unbounded(std::size_t n) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  return {Configuration::from_element(n, inf), Configuration::from_element(n, inf),
          Configuration::from_element(n, -inf), Configuration::from_element(n, inf)};
}

void JointModel::integrate(std::span<const double> q, std::span<const double> v,
                           std::span<double> out) const {
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = q[i] + v[i];
}

void JointModel::difference(std::span<const double> q0, std::span<const double> q1,
                            std::span<double> out) const {
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = q1[i] - q0[i];
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
