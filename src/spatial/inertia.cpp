#include "spatial/inertia.hpp"

#include <algorithm>
#include <limits>

#include "base/number_format.hpp"

namespace kinetra {

std::string display_text(const InertiaError& error) {
  return "Invalid parameter: '" + error.name + "' must be positive.";
}

std::string debug_text(const InertiaError& error) { return "InertiaError: " + display_text(error); }

std::expected<Inertia, InertiaError> Inertia::from_ellipsoid(double mass, double a, double b,
                                                             double c) {
  // "Not greater than 0" fails; NaN passes, as the comparisons are written.
  if (mass <= 0.0) return std::unexpected(InertiaError{"mass"});
  if (a <= 0.0) return std::unexpected(InertiaError{"x"});
  if (b <= 0.0) return std::unexpected(InertiaError{"y"});
  if (c <= 0.0) return std::unexpected(InertiaError{"z"});
  const double a2 = a * a, b2 = b * b, c2 = c * c;
  return Inertia(mass, Vector3D::zeros(),
                 Symmetric3(mass * (b2 + c2) / 5.0, mass * (a2 + c2) / 5.0, mass * (a2 + b2) / 5.0,
                            0.0, 0.0, 0.0));
}

Inertia Inertia::act(const SE3& placement) const {
  return {mass_, placement.rotation() * com_ + placement.translation(),
          inertia_.rotate(placement.rotation())};
}

Inertia operator+(const Inertia& a, const Inertia& b) {
  const double m = a.mass_ + b.mass_;
  const double w = 1.0 / std::max(m, std::numeric_limits<double>::epsilon());
  const Vector3D com = (a.mass_ * a.com_ + b.mass_ * b.com_) * w;
  const Vector3D d = a.com_ - b.com_;
  const double mu = a.mass_ * b.mass_ * w;
  const Symmetric3 inertia = a.inertia_ + b.inertia_ - mu * Symmetric3::skew_square(d);
  return {m, com, inertia};
}

Vector6D operator*(const Inertia& inertia, const SpatialMotion& motion) {
  const Vector3D omega = motion.rotation();
  const Vector3D v = motion.translation();
  const Vector3D f = inertia.mass_ * (v - inertia.com_.cross(omega));
  const Vector3D n = inertia.inertia_ * omega + inertia.com_.cross(f);
  return Vector6D::from_components(n, f);
}

std::string debug_text(const Inertia& inertia) {
  std::string out = "Inertia { mass: ";
  append_debug(out, inertia.mass());
  out +=
      ", com: " + debug_text(inertia.com()) + ", inertia: " + debug_text(inertia.inertia()) + " }";
  return out;
}

}  // namespace kinetra
