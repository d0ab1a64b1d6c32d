#pragma once

#include <expected>
#include <string>

#include "spatial/motion.hpp"
#include "spatial/se3.hpp"
#include "spatial/symmetric3.hpp"
#include "spatial/vector3d.hpp"
#include "spatial/vector6d.hpp"

namespace kinetra {

// The error of Inertia::from_ellipsoid: names the parameter that is not positive.
struct InertiaError {
  std::string name;
};
// "Invalid parameter: '{name}' must be positive."
std::string display_text(const InertiaError& error);
// "InertiaError: " followed by the display text.
std::string debug_text(const InertiaError& error);

// Spatial inertia of a rigid body: mass, centre of mass, and rotational inertia
// about the centre of mass (axes parallel to the frame it is expressed in).
class Inertia {
 public:
  Inertia() = default;
  Inertia(double mass, const Vector3D& com, const Symmetric3& inertia)
      : mass_(mass), com_(com), inertia_(inertia) {}

  static Inertia zeros() { return {}; }
  // A solid ellipsoid with semi-axes a, b, c centred at the origin; every parameter
  // must be greater than 0 (checked in the order mass, x, y, z).
  static std::expected<Inertia, InertiaError> from_ellipsoid(double mass, double a, double b,
                                                             double c);

  double mass() const { return mass_; }
  const Vector3D& com() const { return com_; }
  const Vector3D& lever() const { return com_; }
  const Symmetric3& inertia() const { return inertia_; }

  // The same body expressed in the frame that `placement` maps into.
  Inertia act(const SE3& placement) const;

  // Two bodies merged about their common centre of mass; a total mass of zero or
  // below never divides by zero.
  friend Inertia operator+(const Inertia& a, const Inertia& b);
  Inertia& operator+=(const Inertia& other) { return *this = *this + other; }

  // The spatial momentum (n; f) of the body moving with `motion`.
  friend Vector6D operator*(const Inertia& inertia, const SpatialMotion& motion);

  friend bool operator==(const Inertia&, const Inertia&) = default;

 private:
  double mass_ = 0.0;
  Vector3D com_;
  Symmetric3 inertia_;
};

static_assert(ActSE3<Inertia>);

// "Inertia { mass: M, com: Vector3D([[...]]), inertia: Symmetric3 { data: [...] } }".
std::string debug_text(const Inertia& inertia);

}  // namespace kinetra
