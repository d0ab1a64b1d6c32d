// The joint-space dynamics terms and energies: crba, nonlinear_effects,
// generalized_gravity, kinetic_energy, potential_energy, total_mass.
#include "model/argument_checks_py.hpp"
#include "model/dynamics_terms.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/module.hpp"

namespace kinetra::python {
namespace {

FunctionTable& dynamics_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

}  // namespace

Ref crba_function() {
  return dynamics_functions().function(
      "crba", {"model", "data", "q"},
      [](const Model& model, Data& data, Array1 q) {
        check_length("q", q, model.nq());
        const RowMajorValues qs(q.view());
        return new_matrix(model.nv(), model.nv(), crba(model, data, qs.span()));
      },
      "The joint-space mass matrix M(q), (nv, nv), full and symmetric, by the composite rigid "
      "body algorithm.");
}

Ref nonlinear_effects_function() {
  return dynamics_functions().function(
      "nonlinear_effects", {"model", "data", "q", "v"},
      [](const Model& model, Data& data, Array1 q, Array1 v) {
        check_length("q", q, model.nq());
        check_length("v", v, model.nv());
        const RowMajorValues qs(q.view()), vs(v.view());
        return new_vector(nonlinear_effects(model, data, qs.span(), vs.span()).as_slice());
      },
      "C(q, v) v + g(q), (nv,): the joint torques rnea(q, v, 0).");
}

Ref generalized_gravity_function() {
  return dynamics_functions().function(
      "generalized_gravity", {"model", "data", "q"},
      [](const Model& model, Data& data, Array1 q) {
        check_length("q", q, model.nq());
        const RowMajorValues qs(q.view());
        return new_vector(generalized_gravity(model, data, qs.span()).as_slice());
      },
      "g(q), (nv,): the joint torques that hold the robot still against gravity, rnea(q, 0, 0).");
}

Ref kinetic_energy_function() {
  return dynamics_functions().function(
      "kinetic_energy", {"model", "data", "q", "v"},
      [](const Model& model, Data& data, Array1 q, Array1 v) {
        check_length("q", q, model.nq());
        check_length("v", v, model.nv());
        const RowMajorValues qs(q.view()), vs(v.view());
        return kinetic_energy(model, data, qs.span(), vs.span());
      },
      "The kinetic energy 1/2 v^T M(q) v of the robot moving with velocity v.");
}

Ref potential_energy_function() {
  return dynamics_functions().function(
      "potential_energy", {"model", "data", "q"},
      [](const Model& model, Data& data, Array1 q) {
        check_data(model, data);
        const RowMajorValues qs(q.view());
        return potential_energy(model, data, qs.span());  // its size error is a ValueError
      },
      "The potential energy -sum m_i g^T c_i of the bodies in gravity (c_i the world centre of "
      "mass of body i), whose gradient is g(q). Runs forward kinematics: data.oMi holds the "
      "placements for q afterwards.");
}

Ref total_mass_function() {
  return dynamics_functions().function(
      "total_mass", {"model"}, [](const Model& model) { return total_mass(model); },
      "The sum of the body masses of the model.");
}

}  // namespace kinetra::python
