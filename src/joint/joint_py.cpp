// Python classes JointType and JointModel, and the joint factories.
#include <cmath>
#include <vector>

#include "base/number_format.hpp"
#include "joint/continuous.hpp"
#include "joint/fixed.hpp"
#include "joint/free_flyer.hpp"
#include "joint/joint.hpp"
#include "joint/joint_serial.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "python/module.hpp"

namespace kinetra::python {

Ref joint_type_class() {
  static ClassDef<JointType>& def = ClassDef<JointType>::define("JointType")
                                        .doc("Enum representing the type of joint.")
                                        .enumeration({{"Continuous", JointType::Continuous},
                                                      {"Fixed", JointType::Fixed},
                                                      {"Prismatic", JointType::Prismatic},
                                                      {"Revolute", JointType::Revolute},
                                                      {"FreeFlyer", JointType::FreeFlyer}});
  return def.type();
}

Ref joint_model_class() {
  static ClassDef<JointWrapper>& def =
      ClassDef<JointWrapper>::define("JointModel")
          .picklable(serial::save<JointWrapper>, serial::load<JointWrapper>)
          .doc("A Python wrapper for the `JointWrapper` type.")
          .property("joint_type",
                    [](const JointWrapper& self) { return self.get().get_joint_type(); })
          .property("nq", [](const JointWrapper& self) { return self.get().nq(); })
          .property("nv", [](const JointWrapper& self) { return self.get().nv(); })
          .property(
              "axis",
              [](const JointWrapper& self) -> std::optional<Ref> {
                const auto axis = self.get().stored_axis();
                if (!axis) return std::nullopt;
                return new_vector(axis->as_slice());
              },
              "The joint's axis as given (a copy), or None for joints without one.");
  return def.type();
}

namespace {

FunctionTable& joint_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

JointWrapper revolute(const Vector3D& axis) {
  return JointWrapper(std::make_unique<JointModelRevolute>(axis));
}

// The axis of a joint made from Python: three finite numbers, not all zero (rotations
// divide by its length).
std::expected<Vector3D, std::string> checked_axis(std::span<const double> values) {
  if (values.size() != 3) {
    return std::unexpected("Parameter 'axis' expected 3 values, but got " +
                           std::to_string(values.size()));
  }
  const Vector3D axis(values[0], values[1], values[2]);
  const double length = axis.norm();
  if (!std::isfinite(length) || length == 0.0) {
    std::string text = "Parameter 'axis' must be a finite non-zero vector, but got ";
    append_debug_list(text, values.data(), values.size());
    return std::unexpected(text);
  }
  return axis;
}

template <class Joint>
std::expected<JointWrapper, std::string> joint_about(const Array1& array) {
  const RowMajorValues values(array.view());
  const auto axis = checked_axis(values.span());
  if (!axis) return std::unexpected(axis.error());
  return JointWrapper(std::make_unique<Joint>(*axis));
}

}  // namespace

Ref joint_model_revolute_function() {
  return joint_functions().function(
      "JointModelRevolute", {"axis"},
      [](Array1 axis) { return joint_about<JointModelRevolute>(axis); },
      "Creates a revolute joint model turning about `axis` (a length-3 float64 array; rotations "
      "use it "
      "normalised, `axis` keeps it as given).");
}

Ref joint_model_continuous_function() {
  return joint_functions().function(
      "JointModelContinuous", {"axis"},
      [](Array1 axis) { return joint_about<JointModelContinuous>(axis); },
      "Creates a continuous joint model (a revolute joint without end stops) turning about "
      "`axis`;\nits angle is stored as (cos, sin), so nq = 2 and nv = 1.");
}

Ref joint_model_prismatic_function() {
  return joint_functions().function(
      "JointModelPrismatic", {"axis"},
      [](Array1 axis) { return joint_about<JointModelPrismatic>(axis); },
      "Creates a prismatic joint model sliding along `axis` as given (its length scales the "
      "motion).");
}

Ref joint_model_fixed_function() {
  return joint_functions().function(
      "JointModelFixed", {}, [] { return JointWrapper(std::make_unique<JointModelFixed>()); },
      "Creates a fixed joint model: attaches its child rigidly, with no coordinates.");
}

Ref joint_model_free_flyer_function() {
  return joint_functions().function(
      "JointModelFreeFlyer", {},
      [] { return JointWrapper(std::make_unique<JointModelFreeFlyer>()); },
      "Creates a free-flyer joint model (a floating base): q = (x, y, z, qx, qy, qz, qw), the\n"
      "child's position and unit quaternion (scalar last) in the parent, nq = 7; v = (w; v), the\n"
      "child's spatial velocity in its own frame, nv = 6. Move q with `integrate`.");
}

Ref joint_model_rx_function() {
  return joint_functions().function(
      "JointModelRX", {}, [] { return revolute(Vector3D::x()); },
      "Creates a new revolute joint model with `x` as axis of rotation.");
}

Ref joint_model_ry_function() {
  return joint_functions().function(
      "JointModelRY", {}, [] { return revolute(Vector3D::y()); },
      "Creates a new revolute joint model with `y` as axis of rotation.");
}

Ref joint_model_rz_function() {
  return joint_functions().function(
      "JointModelRZ", {}, [] { return revolute(Vector3D::z()); },
      "Creates a new revolute joint model with `z` as axis of rotation.");
}

}  // namespace kinetra::python
