#pragma once

// The Python classes of each subsystem, created on first use. Each subsystem's
// *_py.cpp defines its entries.

#include "python/ref.hpp"

namespace kinetra::python {

// spatial
Ref vector3d_class();
Ref vector6d_class();

}  // namespace kinetra::python
