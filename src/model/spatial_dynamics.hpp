#pragma once

// The spatial-vector operations of the dynamics algorithms, written out in this
// library's angular-first convention. For the frame of joint i relative to its
// parent, pMi = (R, p):
//   motion, parent -> child:  iXp (w; v)    = (R^T w; R^T (v - p x w))
//   force,  child -> parent:  iXp^T (n; f)  = (R n + p x (R f); R f)
//   motion cross product:     (w; v) x (a; b)  = (w x a; w x b + v x a)
//   force cross product:      (w; v) x* (n; f) = (w x n + v x f; w x f)

#include <array>
#include <span>

#include "spatial/inertia.hpp"
#include "spatial/motion.hpp"
#include "spatial/se3.hpp"

namespace kinetra::dynamics {

struct Motion {
  Vector3D angular;
  Vector3D linear;
};
struct Force {
  Vector3D angular;  // moment
  Vector3D linear;   // force
};

inline Motion operator+(const Motion& a, const Motion& b) {
  return {a.angular + b.angular, a.linear + b.linear};
}
inline Force operator+(const Force& a, const Force& b) {
  return {a.angular + b.angular, a.linear + b.linear};
}
inline Force operator-(const Force& a, const Force& b) {
  return {a.angular - b.angular, a.linear - b.linear};
}
inline Motion operator*(const Motion& m, double s) { return {m.angular * s, m.linear * s}; }

inline Motion to_motion(const SpatialMotion& m) { return {m.rotation(), m.translation()}; }

// S x: the motion of a joint's subspace columns weighted by its coordinates x, summed
// column by column from zero.
inline Motion subspace_motion(std::span<const SpatialMotion> columns, std::span<const double> x) {
  Motion m{};
  for (std::size_t k = 0; k < columns.size(); ++k) m = m + to_motion(columns[k]) * x[k];
  return m;
}

// iXp m: a parent-frame motion in child coordinates.
inline Motion motion_to_child(const SE3& pMi, const Motion& m) {
  const SpatialRotation& r = pMi.rotation();
  return {r.transpose_mul(m.angular),
          r.transpose_mul(m.linear - pMi.translation().cross(m.angular))};
}

// iXp^T f: a child-frame force in parent coordinates.
inline Force force_to_parent(const SE3& pMi, const Force& f) {
  const Vector3D rf = pMi.rotation() * f.linear;
  return {pMi.rotation() * f.angular + pMi.translation().cross(rf), rf};
}

inline Motion cross_motion(const Motion& m, const Motion& x) {
  return {m.angular.cross(x.angular), m.angular.cross(x.linear) + m.linear.cross(x.angular)};
}

inline Force cross_force(const Motion& m, const Force& f) {
  return {m.angular.cross(f.angular) + m.linear.cross(f.linear), m.angular.cross(f.linear)};
}

inline double dot(const Motion& m, const Force& f) {
  return m.angular.dot(f.angular) + m.linear.dot(f.linear);
}

// The product of a body inertia and a motion (the momentum, moment first).
inline Force apply(const Inertia& inertia, const Motion& m) {
  const Vector6D h = inertia * SpatialMotion::from_parts(m.angular, m.linear);
  return {h.angular(), h.linear()};
}

}  // namespace kinetra::dynamics
