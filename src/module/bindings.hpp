#pragma once

// The Python classes of each subsystem, created on first use. Each subsystem's
// *_py.cpp defines its entries; kinetra_module.cpp registers them.

#include "python/ref.hpp"

namespace kinetra::python {

// spatial
Ref configuration_class();
Ref se3_class();
Ref vector3d_class();
Ref vector6d_class();
Ref symmetric3_class();

// inertia
Ref inertia_class();

// joint
Ref joint_type_class();
Ref joint_model_class();
Ref joint_model_rx_function();
Ref joint_model_ry_function();
Ref joint_model_rz_function();

// model
Ref model_class();
Ref data_class();
Ref frame_class();
Ref frame_type_class();
Ref neutral_function();
Ref random_configuration_function();
Ref forward_kinematics_function();
Ref forward_dynamics_function();
Ref aba_function();
Ref inverse_dynamics_function();
Ref rnea_function();

// geometry
Ref geometry_object_class();
Ref geometry_model_class();
Ref geometry_data_class();

// urdf
Ref build_models_from_urdf_function();
Ref build_models_from_xml_function();  // an extension

// extensions: joints and models
Ref joint_model_revolute_function();
Ref joint_model_continuous_function();
Ref joint_model_prismatic_function();
Ref joint_model_fixed_function();
Ref joint_model_free_flyer_function();

// extensions: configuration space
Ref integrate_function();
Ref difference_function();
Ref interpolate_function();
Ref normalize_function();

// extensions: kinematics
Ref update_frame_placements_function();
Ref frame_placement_function();
Ref joint_jacobian_function();
Ref frame_jacobian_function();
Ref center_of_mass_function();
Ref jacobian_center_of_mass_function();

// extensions: dynamics
Ref crba_function();
Ref nonlinear_effects_function();
Ref generalized_gravity_function();
Ref kinetic_energy_function();
Ref potential_energy_function();
Ref total_mass_function();

// extensions: batches
Ref forward_kinematics_batch_function();
Ref frame_placements_batch_function();
Ref rnea_batch_function();
Ref aba_batch_function();

// shapora
Ref capsule_class();
Ref cone_class();
Ref cuboid_class();
Ref cylinder_class();
Ref sphere_class();
Ref mesh_class();
Ref shape_class();
Ref shape_type_class();

}  // namespace kinetra::python
