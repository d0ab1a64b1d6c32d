// The frame, Jacobian and centre-of-mass functions.
#include "model/algorithms.hpp"
#include "model/argument_checks_py.hpp"
#include "model/center_of_mass.hpp"
#include "model/frame_kinematics.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"

namespace kinetra::python {
namespace {

FunctionTable& kinematics_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

// The placements for q (as forward_kinematics computes them) written into data.
void place_joints(const Model& model, Data& data, const Array1& q) {
  check_data(model, data);
  const RowMajorValues values(q.view());
  if (const auto placed = forward_kinematics(model, data, values.span()); !placed) {
    raise(PyExc_ValueError, display_text(placed.error()));
  }
}

Reference parse_reference(const std::optional<std::string>& name) {
  if (!name) return Reference::LocalWorldAligned;
  const auto reference = reference_from_name(*name);
  if (!reference) {
    raise(PyExc_ValueError,
          "reference must be 'local', 'world' or 'local_world_aligned', got '" + *name + "'");
  }
  return *reference;
}

Ref jacobian(const Model& model, Data& data, std::size_t joint_id, const SE3& oMf,
             Reference reference) {
  data.jacobian.resize(6 * model.nv());
  attached_frame_jacobian(model, data, joint_id, oMf, reference, data.jacobian);
  return new_matrix(6, model.nv(), data.jacobian);
}

constexpr const char* kReferenceDoc =
    "`reference` is 'local' (the frame's own coordinates), 'world' (world coordinates, linear "
    "part the velocity of the point at the world origin) or 'local_world_aligned' (world axes, "
    "linear part the velocity of the frame's origin). Runs forward kinematics for q first.";

}  // namespace

Ref update_frame_placements_function() {
  return kinematics_functions().function(
      "update_frame_placements", {"model", "data"},
      [](const Model& model, Data& data) {
        check_data(model, data);
        update_frame_placements(model, data);
      },
      "Computes the world placement of every frame from the joint placements of the last "
      "`forward_kinematics`; read them back as `data.frame_placements` (alias `data.oMf`).");
}

Ref frame_placement_function() {
  return kinematics_functions().function(
      "frame_placement", {"model", "data", "frame_id"},
      [](const Model& model, const Data& data, std::size_t frame_id) {
        check_data(model, data);
        check_index("frame_id", frame_id, model.nframes(), "frames");
        return frame_placement(model, data, frame_id);
      },
      "The world placement (SE3) of one frame from the joint placements of the last "
      "`forward_kinematics`.");
}

Ref joint_jacobian_function() {
  return kinematics_functions().function(
      "joint_jacobian", {"model", "data", "q", "joint_id", "reference='local_world_aligned'"},
      [](const Model& model, Data& data, Array1 q, std::size_t joint_id,
         std::optional<std::string> reference) {
        const Reference frame = parse_reference(reference);
        place_joints(model, data, q);
        check_index("joint_id", joint_id, model.njoints(), "joints");
        return jacobian(model, data, joint_id, data.joint_placements[joint_id], frame);
      },
      std::string("The (6, nv) Jacobian of a joint's frame, angular rows first. ") + kReferenceDoc);
}

Ref frame_jacobian_function() {
  return kinematics_functions().function(
      "frame_jacobian", {"model", "data", "q", "frame_id", "reference='local_world_aligned'"},
      [](const Model& model, Data& data, Array1 q, std::size_t frame_id,
         std::optional<std::string> reference) {
        const Reference frame = parse_reference(reference);
        place_joints(model, data, q);
        check_index("frame_id", frame_id, model.nframes(), "frames");
        return jacobian(model, data, model.frames()[frame_id].parent_joint,
                        frame_placement(model, data, frame_id), frame);
      },
      std::string("The (6, nv) Jacobian of a frame, angular rows first. ") + kReferenceDoc);
}

Ref center_of_mass_function() {
  return kinematics_functions().function(
      "center_of_mass", {"model", "data", "q"},
      [](const Model& model, Data& data, Array1 q) -> std::expected<Ref, std::string> {
        place_joints(model, data, q);
        const auto com = center_of_mass(model, data);
        if (!com) return std::unexpected("the model has no mass: its centre of mass is undefined");
        return new_vector(com->as_slice());
      },
      "The (3,) world position of the centre of mass for q. Runs forward kinematics first.");
}

Ref jacobian_center_of_mass_function() {
  return kinematics_functions().function(
      "jacobian_center_of_mass", {"model", "data", "q"},
      [](const Model& model, Data& data, Array1 q) -> std::expected<Ref, std::string> {
        place_joints(model, data, q);
        data.jacobian.resize(3 * model.nv());
        if (!jacobian_center_of_mass(model, data, data.jacobian)) {
          return std::unexpected("the model has no mass: its centre of mass is undefined");
        }
        return new_matrix(3, model.nv(), data.jacobian);
      },
      "The (3, nv) Jacobian of the centre of mass (world coordinates) for q. Runs forward "
      "kinematics first.");
}

}  // namespace kinetra::python
