// Python classes Model, Data, Frame and FrameType, and the configuration builders.
#include <algorithm>
#include <cmath>

#include "model/configurations.hpp"
#include "model/data.hpp"
#include "model/limits.hpp"
#include "model/model.hpp"
#include "model/model_serial.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"

namespace kinetra::python {
namespace {

// Python reports model errors by their debug text.
template <class T>
std::expected<T, std::string> debug_error(std::expected<T, ModelError> result) {
  if (!result) return std::unexpected(debug_text(result.error()));
  return std::move(*result);
}

template <class T>
std::vector<T> copies(const std::vector<T>& values) {
  return values;
}

}  // namespace

Ref model_class() {
  static ClassDef<Model>& def =
      ClassDef<Model>::define("Model")
          .picklable(serial::save<Model>, serial::load<Model>)
          .doc(
              "A [`Model`] is a data structure that contains the information about the robot "
              "model,\nincluding the joints models, placements, the link inertias, and the "
              "frames.")
          .constructor({}, [] { return Model::new_empty(); })
          .property(
              "name", [](const Model& self) { return self.name(); },
              [](Model& self, std::string name) { self.set_name(std::move(name)); })
          .property("nq", [](const Model& self) { return self.nq(); })
          .property("nv", [](const Model& self) { return self.nv(); })
          .property(
              "gravity", [](const Model& self) { return new_vector(self.gravity().as_slice()); },
              [](Model& self, Array1 array) {
                const auto length = array.view().dim(0);
                if (length != 3) {
                  raise(PyExc_ValueError,
                        "gravity needs 3 components (x, y, z), got " + std::to_string(length));
                }
                const RowMajorValues values(array.view());
                const auto gravity = values.span();
                if (!std::ranges::all_of(gravity, [](double g) { return std::isfinite(g); })) {
                  raise(PyExc_ValueError, "gravity must be finite");
                }
                self.set_gravity({gravity[0], gravity[1], gravity[2]});
              },
              "The gravity acceleration in world coordinates (a length-3 float64 array; "
              "settable).")
          .method(
              "add_joint", {"parent_id", "joint_model", "placement", "name"},
              [](Model& self, std::size_t parent_id, const JointWrapper& joint_model,
                 const SE3& placement, std::string name) {
                return debug_error(
                    self.add_joint(parent_id, joint_model.clone_box(), placement, std::move(name)));
              },
              "Adds a joint to the model.\n\n# Arguments\n\n* `parent_id` - The identifier of the "
              "parent joint.\n* `joint_model` - The joint model to add.\n* `placement` - The "
              "placement of the joint in the parent frame.\n* `name` - The name of the joint.")
          .property("njoints", [](const Model& self) { return self.njoints(); })
          .property("nframes", [](const Model& self) { return self.nframes(); })
          .method("get_joint_id", {"name"},
                  [](const Model& self, std::string name) { return self.get_joint_id(name); })
          .method(
              "get_frame_id", {"name"},
              [](const Model& self, std::string name) {
                return self.get_frame_id(name, std::nullopt);
              },
              "The id of the first frame with this name, or None.")
          .method("create_data", {}, [](const Model& self) { return self.create_data(); })
          .property("joint_names", [](const Model& self) { return copies(self.joint_names()); })
          .property("joint_parents", [](const Model& self) { return copies(self.joint_parents()); })
          .property("joint_placements",
                    [](const Model& self) { return copies(self.joint_placements()); })
          .property("joint_models",
                    [](const Model& self) {
                      std::vector<JointWrapper> models;
                      models.reserve(self.njoints());
                      for (const auto& joint : self.joint_models()) {
                        models.emplace_back(joint->clone_box());
                      }
                      return models;
                    })
          .property("inertias", [](const Model& self) { return copies(self.inertias()); })
          .property("frames", [](const Model& self) { return copies(self.frames()); })
          .method("add_frame", {"frame", "append_inertia"},
                  [](Model& self, const Frame& frame, bool append_inertia) {
                    return debug_error(self.add_frame(frame, append_inertia));
                  })
          .property(
              "joint_q_offsets", [](const Model& self) { return copies(self.joint_q_offsets()); },
              "Where each joint's block starts in q (the world joint: 0).")
          .property(
              "joint_v_offsets", [](const Model& self) { return copies(self.joint_v_offsets()); },
              "Where each joint's block starts in v (the world joint: 0).")
          .property(
              "lower_limits",
              [](const Model& self) { return new_vector(lower_limits(self).as_slice()); },
              "(nq,) the joints' lower position bounds as stored (-inf where unbounded).")
          .property(
              "upper_limits",
              [](const Model& self) { return new_vector(upper_limits(self).as_slice()); },
              "(nq,) the joints' upper position bounds as stored (+inf where unbounded).")
          .property(
              "velocity_limits",
              [](const Model& self) { return new_vector(velocity_limits(self).as_slice()); },
              "(nv,) each moving joint's velocity bound as stored (+inf where unbounded).")
          .property(
              "effort_limits",
              [](const Model& self) { return new_vector(effort_limits(self).as_slice()); },
              "(nv,) each moving joint's effort bound as stored (+inf where unbounded).")
          .repr([](const Model& self) { return debug_text(self); });
  return def.type();
}

Ref data_class() {
  static constexpr const char* kPlacementsDoc =
      "Returns the placements of the joints in the world frame.";
  static constexpr const char* kFramePlacementsDoc =
      "The world placements of the frames, one per frame of the model, as computed by the "
      "last `update_frame_placements` (empty before).";
  static ClassDef<Data>& def =
      ClassDef<Data>::define("Data")
          .picklable(serial::save<Data>, serial::load<Data>)
          .doc("A Python wrapper for the `Data` struct.")
          .constructor({"model"}, [](const Model& model) { return model.create_data(); })
          .property(
              "joint_placements", [](const Data& self) { return copies(self.joint_placements); },
              kPlacementsDoc)
          .property(
              "oMi", [](const Data& self) { return copies(self.joint_placements); },
              std::string(kPlacementsDoc) + "\n\nThis is an alias for `joint_placements`.")
          .property(
              "frame_placements", [](const Data& self) { return copies(self.frame_placements); },
              kFramePlacementsDoc)
          .property(
              "oMf", [](const Data& self) { return copies(self.frame_placements); },
              std::string(kFramePlacementsDoc) + "\n\nThis is an alias for `frame_placements`.");
  return def.type();
}

Ref frame_class() {
  static ClassDef<Frame>& def =
      ClassDef<Frame>::define("Frame")
          .picklable(serial::save<Frame>, serial::load<Frame>)
          .constructor(
              {"name", "parent_joint", "parent_frame", "placement", "frame_type", "inertia"},
              [](std::string name, std::size_t parent_joint, std::size_t parent_frame,
                 const SE3& placement, FrameType frame_type, const Inertia& inertia) {
                return Frame{std::move(name), parent_joint, parent_frame,
                             placement,       frame_type,   inertia};
              })
          .property("name", [](const Frame& self) { return self.name; })
          .property("parent_joint", [](const Frame& self) { return self.parent_joint; })
          .property("parent_frame", [](const Frame& self) { return self.parent_frame; })
          .property("frame_type", [](const Frame& self) { return self.frame_type; })
          .property("placement", [](const Frame& self) { return self.placement; })
          .property("inertia", [](const Frame& self) { return self.inertia; })
          .repr([](const Frame& self) { return repr_text(self); });
  return def.type();
}

Ref frame_type_class() {
  static ClassDef<FrameType>& def = ClassDef<FrameType>::define("FrameType")
                                        .enumeration({{"Operational", FrameType::Operational},
                                                      {"Joint", FrameType::Joint},
                                                      {"Fixed", FrameType::Fixed},
                                                      {"Body", FrameType::Body},
                                                      {"Sensor", FrameType::Sensor}});
  return def.type();
}

namespace {

FunctionTable& model_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

}  // namespace

Ref neutral_function() {
  return model_functions().function(
      "neutral", {"model"},
      [](Model& model) -> std::expected<Configuration, std::string> {
        auto q = neutral(model);
        if (!q) return std::unexpected(display_text(q.error()));
        return std::move(*q);
      },
      "Python wrapper for the `neutral` function.");
}

Ref random_configuration_function() {
  return model_functions().function("random_configuration", {"model"},
                                    [](Model& model) { return random_configuration(model); });
}

}  // namespace kinetra::python
