// PyInit_kinetra: builds the module once per process, registering every class,
// function and constant in a fixed order (which is also the order of __all__).
#include <atomic>
#include <cstdint>

#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"
#include "python/pickle.hpp"
#include "spatial/gravity.hpp"

namespace kinetra::python {
namespace {

constexpr std::int64_t kNoInterpreter = -1;
std::atomic<std::int64_t> owner_interpreter{kNoInterpreter};
PyObject* cached_module = nullptr;

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "kinetra",
    "",  // empty docstring, not None
    0,   // no per-module state
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// The module works with one interpreter per process: the first one to import it.
void claim_interpreter() {
  PyInterpreterState* interpreter = PyInterpreterState_Get();
  const std::int64_t id = PyInterpreterState_GetID(interpreter);
  if (id < 0) throw_python_error();
  std::int64_t expected = kNoInterpreter;
  if (!owner_interpreter.compare_exchange_strong(expected, id) && expected != id) {
    raise(PyExc_ImportError,
          "kinetra does not support subinterpreters: it can only be imported once per process, "
          "in the interpreter that imported it first");
  }
}

Ref build_shapora() {
  Ref shapora = checked(PyModule_New("shapora"));
  PyObject* s = shapora.get();
  register_object(s, "Capsule", capsule_class());
  register_object(s, "Cone", cone_class());
  register_object(s, "Cuboid", cuboid_class());
  register_object(s, "Cylinder", cylinder_class());
  register_object(s, "Sphere", sphere_class());
  register_object(s, "PyMesh", mesh_class());
  register_object(s, "Shape", shape_class());
  register_object(s, "ShapeType", shape_type_class());
  return shapora;
}

void register_extensions(PyObject* m) {
  // The project's version (pyproject.toml), given by the build.
  register_extension(m, "__version__", checked(PyUnicode_FromString(KINETRA_VERSION)));

  // The reconstructor every class's __reduce__ names (pickle finds it as kinetra._restore).
  register_extension(m, "_restore", restore_function("kinetra"));

  // Joints and models.
  register_extension(m, "JointModelRevolute", joint_model_revolute_function());
  register_extension(m, "JointModelContinuous", joint_model_continuous_function());
  register_extension(m, "JointModelPrismatic", joint_model_prismatic_function());
  register_extension(m, "JointModelFixed", joint_model_fixed_function());
  register_extension(m, "JointModelFreeFlyer", joint_model_free_flyer_function());

  // Configuration space.
  register_extension(m, "integrate", integrate_function());
  register_extension(m, "difference", difference_function());
  register_extension(m, "interpolate", interpolate_function());
  register_extension(m, "normalize", normalize_function());

  // Kinematics.
  register_extension(m, "update_frame_placements", update_frame_placements_function());
  register_extension(m, "frame_placement", frame_placement_function());
  register_extension(m, "joint_jacobian", joint_jacobian_function());
  register_extension(m, "frame_jacobian", frame_jacobian_function());
  register_extension(m, "center_of_mass", center_of_mass_function());
  register_extension(m, "jacobian_center_of_mass", jacobian_center_of_mass_function());

  // Dynamics.
  register_extension(m, "crba", crba_function());
  register_extension(m, "nonlinear_effects", nonlinear_effects_function());
  register_extension(m, "generalized_gravity", generalized_gravity_function());
  register_extension(m, "kinetic_energy", kinetic_energy_function());
  register_extension(m, "potential_energy", potential_energy_function());
  register_extension(m, "total_mass", total_mass_function());

  // Batches.
  register_extension(m, "forward_kinematics_batch", forward_kinematics_batch_function());
  register_extension(m, "frame_placements_batch", frame_placements_batch_function());
  register_extension(m, "rnea_batch", rnea_batch_function());
  register_extension(m, "aba_batch", aba_batch_function());
}

Ref build_module() {
  init_numpy();
  if (panic_exception_type() == nullptr) throw_python_error();

  Ref module = checked(PyModule_Create(&module_def));
  PyObject* m = module.get();

  register_object(m, "Configuration", configuration_class());
  register_object(m, "Model", model_class());
  register_object(m, "Data", data_class());
  register_object(m, "Frame", frame_class());
  register_object(m, "FrameType", frame_type_class());
  register_object(m, "JointModel", joint_model_class());
  register_object(m, "GeometryModel", geometry_model_class());
  register_object(m, "GeometryData", geometry_data_class());
  register_object(m, "GeometryObject", geometry_object_class());
  register_object(m, "neutral", neutral_function());
  register_object(m, "random_configuration", random_configuration_function());
  register_object(m, "build_models_from_urdf", build_models_from_urdf_function());

  register_object(m, "WORLD_ID", checked(PyLong_FromLong(0)));
  register_object(m, "STANDARD_GRAVITY", new_vector(standard_gravity().as_slice()));

  register_object(m, "Inertia", inertia_class());
  register_object(m, "JointType", joint_type_class());
  register_object(m, "JointModelRX", joint_model_rx_function());
  register_object(m, "JointModelRY", joint_model_ry_function());
  register_object(m, "JointModelRZ", joint_model_rz_function());

  register_object(m, "SE3", se3_class());
  register_object(m, "Vector3D", vector3d_class());
  register_object(m, "Vector6D", vector6d_class());
  register_object(m, "Symmetric3", symmetric3_class());

  register_object(m, "forward_kinematics", forward_kinematics_function());
  register_object(m, "forward_dynamics", forward_dynamics_function());
  register_object(m, "aba", aba_function());
  register_object(m, "inverse_dynamics", inverse_dynamics_function());
  register_object(m, "rnea", rnea_function());

  // The extended API: module attributes outside __all__, which stays the core's list.
  register_extensions(m);

  Ref shapora = build_shapora();
  register_object(m, "shapora", shapora);
  const Ref sys = checked(PyImport_ImportModule("sys"));
  const Ref modules = checked(PyObject_GetAttrString(sys.get(), "modules"));
  const Ref key = checked(PyUnicode_FromString("kinetra.shapora"));
  checked(PyObject_SetItem(modules.get(), key.get(), shapora.get()));

  // Not in __all__: the class of internal failures, for `except kinetra.PanicException`.
  checked(PyObject_SetAttrString(m, "PanicException", panic_exception_type()));
  return module;
}

}  // namespace
}  // namespace kinetra::python

PyMODINIT_FUNC PyInit_kinetra() {
  using namespace kinetra::python;
  return guarded<PyObject*>(nullptr, [] {
    claim_interpreter();
    if (cached_module != nullptr) return Py_NewRef(cached_module);
    Ref module = build_module();
    cached_module = Py_NewRef(module.get());
    return module.release();
  });
}
