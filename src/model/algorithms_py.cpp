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

std::expected<Configuration, std::string> run_rnea(const Model& model, Data& data, ArrayN q,
                                                   ArrayN v, ArrayN a) {
  const RowMajorValues qs(q), vs(v), as(a);
  auto tau = inverse_dynamics(model, data, qs.span(), vs.span(), as.span());
  if (!tau) return std::unexpected("Error in inverse dynamics: " + display_text(tau.error()));
  return std::move(*tau);
}

std::expected<Configuration, std::string> run_aba(const Model& model, Data& data, ArrayN q,
                                                  ArrayN v, ArrayN tau) {
  const RowMajorValues qs(q), vs(v), taus(tau);
  auto qdd = forward_dynamics(model, data, qs.span(), vs.span(), taus.span());
  if (!qdd) return std::unexpected("Forward dynamics failed: " + display_text(qdd.error()));
  return std::move(*qdd);
}

}  // namespace

Ref forward_kinematics_function() {
  return algorithm_functions().function(
      "forward_kinematics", {"model", "data", "q"},
      [](const Model& model, Data& data, Array1 q) -> std::expected<void, std::string> {
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
  return algorithm_functions().function("forward_dynamics", {"model", "data", "q", "v", "tau"},
                                        [](const Model& model, Data& data, ArrayN q, ArrayN v,
                                           ArrayN tau) { return run_aba(model, data, q, v, tau); });
}

Ref aba_function() {
  return algorithm_functions().function("aba", {"model", "data", "q", "v", "tau"},
                                        [](const Model& model, Data& data, ArrayN q, ArrayN v,
                                           ArrayN tau) { return run_aba(model, data, q, v, tau); });
}

Ref inverse_dynamics_function() {
  return algorithm_functions().function("inverse_dynamics", {"model", "data", "q", "v", "a"},
                                        [](const Model& model, Data& data, ArrayN q, ArrayN v,
                                           ArrayN a) { return run_rnea(model, data, q, v, a); });
}

Ref rnea_function() {
  return algorithm_functions().function("rnea", {"model", "data", "q", "v", "a"},
                                        [](const Model& model, Data& data, ArrayN q, ArrayN v,
                                           ArrayN a) { return run_rnea(model, data, q, v, a); });
}

}  // namespace kinetra::python
