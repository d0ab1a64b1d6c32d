#pragma once

// A body inertia kept about the origin of the frame it is expressed in: mass m,
// first moment h = m c and rotational inertia Io about the origin. In this form the
// inertias of bodies sharing a frame add field by field, and moving one to the
// parent frame needs one rotation of Io and a few products, not a 6x6 congruence.

#include "model/spatial_dynamics.hpp"
#include "spatial/inertia.hpp"
#include "spatial/symmetric3.hpp"

namespace kinetra::dynamics {

struct OriginInertia {
  double mass = 0.0;
  Vector3D first_moment;
  Symmetric3 rotational;

  // Io = Ic - m [c]x [c]x (parallel axes).
  static OriginInertia of(const Inertia& body) {
    const double m = body.mass();
    const Vector3D& c = body.com();
    return {m, c * m, body.inertia() - m * Symmetric3::skew_square(c)};
  }

  OriginInertia& operator+=(const OriginInertia& other) {
    mass += other.mass;
    first_moment = first_moment + other.first_moment;
    rotational = rotational + other.rotational;
    return *this;
  }
};

// (n; f) = (Io w + h x v; m v - h x w) for the motion (w; v).
inline Force apply(const OriginInertia& inertia, const Motion& m) {
  const Vector3D& h = inertia.first_moment;
  return {inertia.rotational * m.angular + h.cross(m.linear),
          m.linear * inertia.mass - h.cross(m.angular)};
}

// The same inertia in the parent frame, pMi = (R, p): points move to R x + p, so
//   h' = R h + m p,   Io' = R Io R^T + 2 (p . a) 1 - (p a^T + a p^T),  a = R h + m p / 2.
inline OriginInertia to_parent(const SE3& pMi, const OriginInertia& inertia) {
  const Vector3D& p = pMi.translation();
  const Vector3D rh = pMi.rotation() * inertia.first_moment;
  const Vector3D a = rh + p * (0.5 * inertia.mass);
  const double d = 2.0 * p.dot(a);
  const Symmetric3 shift(d - 2.0 * p[0] * a[0], d - 2.0 * p[1] * a[1], d - 2.0 * p[2] * a[2],
                         -(p[0] * a[1] + a[0] * p[1]), -(p[0] * a[2] + a[0] * p[2]),
                         -(p[1] * a[2] + a[1] * p[2]));
  return {inertia.mass, rh + p * inertia.mass, inertia.rotational.rotate(pMi.rotation()) + shift};
}

}  // namespace kinetra::dynamics
