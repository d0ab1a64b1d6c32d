// The algorithm functions: forward kinematics, inverse and forward dynamics.
#include "model/algorithms.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"

namespace kinetra::python {
namespace {

FunctionTable& algorithm_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

// The result is made first and the last pass writes into it: no vector is built and then
// copied. The stages run as inverse_dynamics / forward_dynamics run them.
Ref new_configuration(std::size_t size, std::span<double>& values) {
  Ref result = wrap(Configuration::zeros(size));
  values = as_object<Configuration>(result.get())->value.as_mut_slice();
  return result;
}

Ref run_rnea(const Model& model, Data& data, const ValuesN& q, const ValuesN& v, const ValuesN& a) {
  rnea_forward_pass(model, data, q.span(), v.span(), a.span());
  std::span<double> tau;
  Ref result = new_configuration(model.nv(), tau);
  rnea_backward_pass(model, data, tau);
  return result;
}

std::expected<Ref, std::string> run_aba(const Model& model, Data& data, const ValuesN& q,
                                        const ValuesN& v, const ValuesN& tau) {
  const auto failed = [](const ForwardDynamicsError& error) {
    return std::unexpected("Forward dynamics failed: " + display_text(error));
  };
  const auto wrong_size = [](const char* name, std::size_t expected, std::span<const double> x) {
    return x.size() != expected
               ? std::optional(ConfigurationError::invalid_size(name, expected, x.size()))
               : std::nullopt;
  };
  // forward_dynamics' checks, in its order.
  if (auto error = wrong_size("q", model.nq(), q.span())) return failed(*error);
  if (auto error = wrong_size("v", model.nv(), v.span())) return failed(*error);
  if (auto error = wrong_size("tau", model.nv(), tau.span())) return failed(*error);
  aba_velocity_pass(model, data, q.span(), v.span());
  if (auto factored = aba_articulated_pass(model, data, tau.span()); !factored) {
    return failed(factored.error());
  }
  std::span<double> qdd;
  Ref result = new_configuration(model.nv(), qdd);
  aba_acceleration_pass(model, data, qdd);
  return result;
}

}  // namespace

Ref forward_kinematics_function() {
  return algorithm_functions().function(
      "forward_kinematics", {"model", "data", "q"},
      [](const Model& model, Data& data, const Array1& q) -> std::expected<void, std::string> {
        const NdArrayView& view = q.view();
        const auto length = static_cast<std::size_t>(view.dim(0));
        if (length != model.nq()) {
          return std::unexpected("Invalid input size. Expected a configuration of size " +
                                 std::to_string(model.nq()) + ", got " + std::to_string(length));
        }
        if (model.nq() >= 2 && view.stride(0) != static_cast<std::ptrdiff_t>(sizeof(double))) {
          return std::unexpected("Failed to convert q to slice");
        }
        const RowMajorValues values(view);
        const auto done = forward_kinematics(model, data, values.span());
        if (!done)
          return std::unexpected("Forward kinematics failed: " + display_text(done.error()));
        return {};
      });
}

Ref forward_dynamics_function() {
  return algorithm_functions().function(
      "forward_dynamics", {"model", "data", "q", "v", "tau"},
      [](const Model& model, Data& data, const ValuesN& q, const ValuesN& v, const ValuesN& tau) {
        return run_aba(model, data, q, v, tau);
      });
}

Ref aba_function() {
  return algorithm_functions().function(
      "aba", {"model", "data", "q", "v", "tau"},
      [](const Model& model, Data& data, const ValuesN& q, const ValuesN& v, const ValuesN& tau) {
        return run_aba(model, data, q, v, tau);
      });
}

Ref inverse_dynamics_function() {
  return algorithm_functions().function(
      "inverse_dynamics", {"model", "data", "q", "v", "a"},
      [](const Model& model, Data& data, const ValuesN& q, const ValuesN& v, const ValuesN& a) {
        return run_rnea(model, data, q, v, a);
      });
}

Ref rnea_function() {
  return algorithm_functions().function(
      "rnea", {"model", "data", "q", "v", "a"},
      [](const Model& model, Data& data, const ValuesN& q, const ValuesN& v, const ValuesN& a) {
        return run_rnea(model, data, q, v, a);
      });
}

}  // namespace kinetra::python
