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

}  // namespace kinetra::python
