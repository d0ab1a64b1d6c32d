// The configuration-space functions: integrate, difference, interpolate, normalize.
#include "model/configuration_space.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/module.hpp"

namespace kinetra::python {
namespace {

FunctionTable& configuration_space_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

// A new float64 array, or ValueError with the size error's text.
std::expected<Ref, std::string> to_array(std::expected<Configuration, ConfigurationError> result) {
  if (!result) return std::unexpected(display_text(result.error()));
  return new_vector(result->as_slice());
}

}  // namespace

Ref integrate_function() {
  return configuration_space_functions().function(
      "integrate", {"model", "q", "v"},
      [](const Model& model, Array1 q, Array1 v) {
        const RowMajorValues qs(q.view()), vs(v.view());
        return to_array(integrate(model, qs.span(), vs.span()));
      },
      "The configuration reached from `q` by moving along the velocity `v` for unit time\n"
      "(q ⊕ v): revolute and prismatic coordinates add, continuous joints turn their\n"
      "(cos, sin) pair. Returns a new array of size nq.");
}

Ref difference_function() {
  return configuration_space_functions().function(
      "difference", {"model", "q0", "q1"},
      [](const Model& model, Array1 q0, Array1 q1) {
        const RowMajorValues q0s(q0.view()), q1s(q1.view());
        return to_array(difference(model, q0s.span(), q1s.span()));
      },
      "The velocity v (size nv) such that `integrate(model, q0, v)` gives `q1`, the shortest\n"
      "such motion: continuous joints turn by at most pi.");
}

Ref interpolate_function() {
  return configuration_space_functions().function(
      "interpolate", {"model", "q0", "q1", "t"},
      [](const Model& model, Array1 q0, Array1 q1, double t) {
        const RowMajorValues q0s(q0.view()), q1s(q1.view());
        return to_array(interpolate(model, q0s.span(), q1s.span(), t));
      },
      "`integrate(model, q0, t * difference(model, q0, q1))`: q0 at t = 0, q1 at t = 1,\n"
      "along the shortest motion in between.");
}

Ref normalize_function() {
  return configuration_space_functions().function(
      "normalize", {"model", "q"},
      [](const Model& model, Array1 q) {
        const RowMajorValues qs(q.view());
        return to_array(normalize(model, qs.span()));
      },
      "A copy of `q` with each continuous joint's (cos, sin) pair scaled to unit length\n"
      "(a zero pair becomes (1, 0)); other coordinates are unchanged.");
}

}  // namespace kinetra::python
