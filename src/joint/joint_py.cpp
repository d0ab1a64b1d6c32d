// Python classes JointType and JointModel, and the joint factories.
#include "joint/joint.hpp"
#include "joint/revolute.hpp"
#include "module/bindings.hpp"
#include "python/class_def.hpp"
#include "python/module.hpp"

namespace kinetra::python {

Ref joint_type_class() {
  static ClassDef<JointType>& def = ClassDef<JointType>::define("JointType")
                                        .doc("Enum representing the type of joint.")
                                        .enumeration({{"Continuous", JointType::Continuous},
                                                      {"Fixed", JointType::Fixed},
                                                      {"Prismatic", JointType::Prismatic},
                                                      {"Revolute", JointType::Revolute}});
  return def.type();
}

Ref joint_model_class() {
  static ClassDef<JointWrapper>& def =
      ClassDef<JointWrapper>::define("JointModel")
          .doc("A Python wrapper for the `JointWrapper` type.")
          .property("joint_type",
                    [](const JointWrapper& self) { return self.get().get_joint_type(); })
          .property("nq", [](const JointWrapper& self) { return self.get().nq(); })
          .property("nv", [](const JointWrapper& self) { return self.get().nv(); });
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

}  // namespace

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
