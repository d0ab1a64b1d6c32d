#include "spatial/quaternion.hpp"

#include <cmath>
#include <numbers>

#include "base/random.hpp"

namespace kinetra {

namespace {

// Below this angle the closed forms lose digits to cancellation; the series are exact
// to rounding there.
constexpr double kSeriesAngle = 0.1;

// sin(h) / h, 1 at h = 0.
double sinc(double h) { return h == 0.0 ? 1.0 : std::sin(h) / h; }

}  // namespace

Quaternion operator*(const Quaternion& a, const Quaternion& b) {
  return {
      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

SpatialRotation Quaternion::to_rotation() const {
  const double n = squared_norm();
  if (n == 0.0) return SpatialRotation::identity();  // as normalising would make it
  const double s = 2.0 / n;
  const double xx = s * x * x, yy = s * y * y, zz = s * z * z;
  const double xy = s * x * y, xz = s * x * z, yz = s * y * z;
  const double xw = s * x * w, yw = s * y * w, zw = s * z * w;
  return SpatialRotation::from_rows({1.0 - (yy + zz), xy - zw, xz + yw,  //
                                     xy + zw, 1.0 - (xx + zz), yz - xw,  //
                                     xz - yw, yz + xw, 1.0 - (xx + yy)});
}

Quaternion Quaternion::random(ThreadRng& rng) {
  const double u1 = rng.next_f64(), u2 = rng.next_f64(), u3 = rng.next_f64();
  const double a = std::sqrt(1.0 - u1), b = std::sqrt(u1);
  const double t2 = 2.0 * std::numbers::pi * u2, t3 = 2.0 * std::numbers::pi * u3;
  return {a * std::sin(t2), a * std::cos(t2), b * std::sin(t3), b * std::cos(t3)};
}

Quaternion quaternion_exp(const Vector3D& w) {
  const double half = 0.5 * w.norm();
  const Vector3D v = w * (0.5 * sinc(half));
  return {v[0], v[1], v[2], std::cos(half)};
}

Vector3D quaternion_log(const Quaternion& q) {
  // q and -q are one rotation: take w >= 0 so that the angle 2 atan2(s, w) is at most pi.
  const double sign = q.w < 0.0 ? -1.0 : 1.0;
  const Vector3D v = q.vec() * sign;
  const double w = q.w * sign;
  const double s = v.norm();
  if (s == 0.0) return Vector3D::zeros();
  // angle / s = 2 atan2(s, w) / s; its series in r = s / w when s is tiny against w.
  double scale;
  if (s < 1e-4 * w) {
    const double r2 = (s / w) * (s / w);
    scale = 2.0 / w * (1.0 - r2 / 3.0 + r2 * r2 / 5.0);
  } else {
    scale = 2.0 * std::atan2(s, w) / s;
  }
  return v * scale;
}

Vector3D so3_left_jacobian_mul(const Vector3D& w, const Vector3D& p) {
  const double t = w.norm();
  const double h = 0.5 * t;
  const double s = sinc(h);
  const double a = 0.5 * s * s;  // (1 - cos t) / t^2 = 2 sin^2(t/2) / t^2
  double b;                      // (t - sin t) / t^3
  if (t < kSeriesAngle) {
    const double t2 = t * t;
    b = 1.0 / 6.0 - t2 / 120.0 + t2 * t2 / 5040.0 - t2 * t2 * t2 / 362880.0;
  } else {
    b = (t - std::sin(t)) / (t * t * t);
  }
  const Vector3D wp = w.cross(p);
  return p + wp * a + w.cross(wp) * b;
}

Vector3D so3_left_jacobian_inverse_mul(const Vector3D& w, const Vector3D& p) {
  const double t = w.norm();
  double c;  // 1 / t^2 - cot(t/2) / (2 t)
  if (t < kSeriesAngle) {
    const double t2 = t * t;
    c = 1.0 / 12.0 + t2 / 720.0 + t2 * t2 / 30240.0 + t2 * t2 * t2 / 1209600.0;
  } else {
    const double h = 0.5 * t;
    c = 1.0 / (t * t) - std::cos(h) / (2.0 * t * std::sin(h));
  }
  const Vector3D wp = w.cross(p);
  return p - wp * 0.5 + w.cross(wp) * c;
}

}  // namespace kinetra
