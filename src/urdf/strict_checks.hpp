#pragma once

#include "spatial/vector3d.hpp"

namespace kinetra::urdf {

// The values a strict reading refuses, which the plain reading takes as written.

// A joint axis: finite and not zero (rotations divide by its length).
bool usable_axis(const Vector3D& axis);

// A body's mass: finite and not negative.
bool usable_mass(double mass);

// How far below zero an eigenvalue of a rotational inertia may be, relative to its
// trace, and still count as rounding.
inline constexpr double kInertiaTolerance = 1e-12;

// Whether the symmetric rotational inertia with entries (xx, xy, xz, yy, yz, zz) is
// positive semi-definite beyond rounding: its smallest eigenvalue is at least
// -kInertiaTolerance * trace. Entries that are not finite fail.
bool positive_semi_definite(const double (&entries)[6]);

}  // namespace kinetra::urdf
