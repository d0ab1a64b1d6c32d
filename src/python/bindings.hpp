#pragma once

// The Python classes of each subsystem, created on first use. Each subsystem's
// *_py.cpp defines its entries.

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

}  // namespace kinetra::python
