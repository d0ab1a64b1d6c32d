#include "urdf/strict_checks.hpp"

#include <cmath>

namespace kinetra::urdf {

bool usable_axis(const Vector3D& axis) {
  const double length = axis.norm();
  return std::isfinite(length) && length != 0.0;
}

bool usable_mass(double mass) { return std::isfinite(mass) && mass >= 0.0; }

// A is positive semi-definite beyond rounding when B = A + t I, t = kInertiaTolerance *
// trace(A), is positive definite: its eigenvalues are those of A raised by t. B is
// positive definite exactly when its LDLᵀ factorisation (without pivoting) has positive
// pivots, and in floating point that factorisation is exact for a matrix within a few
// ε·trace of B, so the answer can only be wrong for a smallest eigenvalue within about
// 1e-15·trace of -t. The tolerance is a thousand times that: an inertia that is singular
// in exact arithmetic (a point mass, a thin rod, a rank-one tensor written with all six
// entries equal) comes out of the text with eigenvalues a few ε·trace below zero and
// passes, while a sign or unit mistake moves an eigenvalue by a fair share of the trace.
bool positive_semi_definite(const double (&entries)[6]) {
  const auto [xx, xy, xz, yy, yz, zz] = entries;
  if (xx == 0.0 && xy == 0.0 && xz == 0.0 && yy == 0.0 && yz == 0.0 && zz == 0.0) return true;
  const double trace = xx + yy + zz;
  if (!std::isfinite(trace) || !(trace > 0.0)) return false;  // no eigenvalue above zero
  const double t = kInertiaTolerance * trace;
  const double d1 = xx + t;
  if (!(d1 > 0.0)) return false;
  const double l21 = xy / d1, l31 = xz / d1;
  const double d2 = (yy + t) - l21 * xy;
  if (!(d2 > 0.0)) return false;
  const double e32 = yz - l31 * xy;  // d2 * l32
  const double d3 = ((zz + t) - l31 * xz) - (e32 / d2) * e32;
  return d3 > 0.0;
}

}  // namespace kinetra::urdf
