#pragma once

// The spatial arithmetic of the dynamics passes, written once over a number type: `double`
// for a single call, or a short vector of samples that the batches run side by side. Every
// operation is the same IEEE operation on every lane in the same order (the project
// compiles with -ffp-contract=off), so a lane's results are bitwise the single call's.
// Quantities that belong to the model (placements, inertias, axes) stay `double` and are
// used in every lane.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

#include "spatial/inertia.hpp"
#include "spatial/se3.hpp"

#define KERNEL_INLINE [[gnu::always_inline]] inline

namespace kinetra::kernel {

template <class R>
struct V3 {
  R e[3];
  KERNEL_INLINE const R& operator[](std::size_t i) const { return e[i]; }
  KERNEL_INLINE R& operator[](std::size_t i) { return e[i]; }
  KERNEL_INLINE void set(std::size_t i, const R& x) { e[i] = x; }
};

// A vector of doubles (the single call, and the model's values) is held in one short
// vector register, its fourth lane unused. The operations below do each component's
// scalar operations in the order the generic ones do, so the single call keeps the bits
// of the lanes.
using Packed = double __attribute__((vector_size(4 * sizeof(double))));

template <>
struct alignas(4 * sizeof(double)) V3<double> {
  Packed e;
  KERNEL_INLINE V3() : e{} {}
  KERNEL_INLINE V3(double x, double y, double z) : e{x, y, z, 0.0} {}
  KERNEL_INLINE V3(Packed packed) : e(packed) {}
  KERNEL_INLINE double operator[](std::size_t i) const { return e[i]; }
  // Written through set: clang binds no reference to a vector lane.
  KERNEL_INLINE void set(std::size_t i, double x) { e[i] = x; }
};

KERNEL_INLINE V3<double> operator+(const V3<double>& a, const V3<double>& b) { return {a.e + b.e}; }
KERNEL_INLINE V3<double> operator-(const V3<double>& a, const V3<double>& b) { return {a.e - b.e}; }
KERNEL_INLINE V3<double> operator*(const V3<double>& a, double s) { return {a.e * s}; }
// a x b of packed vectors: (a_y b_z - a_z b_y, ...) lane by lane. __builtin_shufflevector
// rather than GCC's __builtin_shuffle: clang builds this too (the fuzz target).
KERNEL_INLINE Packed cross(const Packed& a, const Packed& b) {
  return __builtin_shufflevector(a, a, 1, 2, 0, 3) * __builtin_shufflevector(b, b, 2, 0, 1, 3) -
         __builtin_shufflevector(a, a, 2, 0, 1, 3) * __builtin_shufflevector(b, b, 1, 2, 0, 3);
}
KERNEL_INLINE V3<double> cross(const V3<double>& a, const V3<double>& b) {
  return {cross(a.e, b.e)};
}
KERNEL_INLINE double dot(const V3<double>& a, const V3<double>& b) {
  const Packed t = a.e * b.e;
  return t[0] + t[1] + t[2];
}

template <class A, class B>
using Sum = decltype(A{} + B{});

template <class A, class B>
KERNEL_INLINE V3<Sum<A, B>> operator+(const V3<A>& a, const V3<B>& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
template <class A, class B>
KERNEL_INLINE V3<Sum<A, B>> operator-(const V3<A>& a, const V3<B>& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
template <class A, class S>
KERNEL_INLINE V3<Sum<A, S>> operator*(const V3<A>& a, const S& s) {
  return {a[0] * s, a[1] * s, a[2] * s};
}
template <class A, class B>
KERNEL_INLINE V3<Sum<A, B>> cross(const V3<A>& a, const V3<B>& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
template <class A, class B>
KERNEL_INLINE Sum<A, B> dot(const V3<A>& a, const V3<B>& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
// Component k of x. For packed vectors a switch reads a constant lane: a lane read at a
// computed index goes through memory, and stalls when the vector was just stored.
template <class R>
KERNEL_INLINE const R& component(const V3<R>& x, std::size_t k) {
  return x[k];
}
KERNEL_INLINE double component(const V3<double>& x, std::size_t k) {
  switch (k) {
    case 0:
      return x.e[0];
    case 1:
      return x.e[1];
    default:
      return x.e[2];
  }
}

// The axes after and before axis k in cyclic order.
inline constexpr std::size_t kNext[3] = {1, 2, 0}, kPrevious[3] = {2, 0, 1};
// a x e_k for the unit vector e_k along axis k. This and along() switch to constant
// indices (see component).
template <class R>
KERNEL_INLINE V3<R> cross_unit(const V3<R>& a, std::size_t k) {
  switch (k) {
    case 0:
      return {R{}, a[2], -a[1]};
    case 1:
      return {-a[2], R{}, a[0]};
    default:
      return {a[1], -a[0], R{}};
  }
}
// x along axis k: x in component k, +0 in the others.
template <class R>
KERNEL_INLINE V3<R> along(std::size_t k, const R& x) {
  switch (k) {
    case 0:
      return {x, R{}, R{}};
    case 1:
      return {R{}, x, R{}};
    default:
      return {R{}, R{}, x};
  }
}

// The same for packed vectors by shuffles and bit masks, without writing single lanes
// (a vector read of a lane just written stalls the load on its store).
using Bits = std::int64_t __attribute__((vector_size(4 * sizeof(std::int64_t))));
KERNEL_INLINE V3<double> cross_unit(const V3<double>& a, std::size_t k) {
  constexpr Packed zero{};
  constexpr std::int64_t sign = std::numeric_limits<std::int64_t>::min();
  switch (k) {
    case 0:  // (0, a_z, -a_y)
      return {Packed(Bits(__builtin_shufflevector(a.e, zero, 4, 2, 1, 3)) ^ Bits{0, 0, sign, 0})};
    case 1:  // (-a_z, 0, a_x)
      return {Packed(Bits(__builtin_shufflevector(a.e, zero, 2, 4, 0, 3)) ^ Bits{sign, 0, 0, 0})};
    default:  // (a_y, -a_x, 0)
      return {Packed(Bits(__builtin_shufflevector(a.e, zero, 1, 0, 4, 3)) ^ Bits{0, sign, 0, 0})};
  }
}
KERNEL_INLINE V3<double> along(std::size_t k, double x) {
  static constexpr Bits lane[3] = {{-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}};
  return {Packed(Bits(Packed{x, x, x, x}) & lane[k])};
}

KERNEL_INLINE V3<double> v3(const Vector3D& v) { return {v[0], v[1], v[2]}; }
// The same value in every lane.
template <class R>
KERNEL_INLINE V3<R> lift(const V3<double>& v) {
  if constexpr (std::is_same_v<R, double>) {
    return v;
  } else {
    return {R(v[0]), R(v[1]), R(v[2])};
  }
}

// A rigid transform (R, p), child to parent coordinates; R column by column.
template <class R>
struct Placement {
  V3<R> c[3];
  V3<R> p;
};

template <class R>
KERNEL_INLINE Placement<R> broadcast(const SE3& m) {
  Placement<R> out;
  for (std::size_t j = 0; j < 3; ++j) {
    for (std::size_t i = 0; i < 3; ++i) out.c[j].set(i, R(m.rotation()(i, j)));
  }
  for (std::size_t i = 0; i < 3; ++i) out.p.set(i, R(m.translation()[i]));
  return out;
}

// R x and R^T x.
template <class A, class B>
KERNEL_INLINE V3<Sum<A, B>> rotate(const Placement<A>& m, const V3<B>& x) {
  return (m.c[0] * x[0] + m.c[1] * x[1]) + m.c[2] * x[2];
}
template <class A, class B>
KERNEL_INLINE V3<Sum<A, B>> rotate_back(const Placement<A>& m, const V3<B>& x) {
  return {dot(m.c[0], x), dot(m.c[1], x), dot(m.c[2], x)};
}

// A spatial motion (angular; linear) or force (moment; force).
template <class R>
struct Spatial {
  V3<R> w, v;
};

template <class R>
KERNEL_INLINE Spatial<R> operator+(const Spatial<R>& a, const Spatial<R>& b) {
  return {a.w + b.w, a.v + b.v};
}
template <class R>
KERNEL_INLINE R dot(const Spatial<R>& m, const Spatial<R>& f) {
  return dot(m.w, f.w) + dot(m.v, f.v);
}
template <class R>
KERNEL_INLINE R dot(const SpatialMotion& s, const Spatial<R>& f) {
  return (s[0] * f.w[0] + s[1] * f.w[1] + s[2] * f.w[2]) +
         (s[3] * f.v[0] + s[4] * f.v[1] + s[5] * f.v[2]);
}

// iXp m: a parent-frame motion in child coordinates, (R^T w; R^T (v - p x w)).
template <class A, class B>
KERNEL_INLINE Spatial<Sum<A, B>> motion_to_child(const Placement<A>& m, const Spatial<B>& x) {
  return {rotate_back(m, x.w), rotate_back(m, x.v - cross(m.p, x.w))};
}
// iXp^T f: a child-frame force in parent coordinates, (R n + p x (R f); R f).
template <class A, class B>
KERNEL_INLINE Spatial<Sum<A, B>> force_to_parent(const Placement<A>& m, const Spatial<B>& f) {
  const auto rf = rotate(m, f.v);
  return {rotate(m, f.w) + cross(m.p, rf), rf};
}
// (w; v) x (a; b) = (w x a; w x b + v x a) and (w; v) x* (n; f) = (w x n + v x f; w x f).
template <class R>
KERNEL_INLINE Spatial<R> cross_motion(const Spatial<R>& m, const Spatial<R>& x) {
  return {cross(m.w, x.w), cross(m.w, x.v) + cross(m.v, x.w)};
}
template <class R>
KERNEL_INLINE Spatial<R> cross_force(const Spatial<R>& m, const Spatial<R>& f) {
  return {cross(m.w, f.w) + cross(m.v, f.v), cross(m.w, f.v)};
}

// A body inertia as the passes read it: mass, centre of mass c, and the columns of the
// rotational inertia I about c.
struct Body {
  double mass = 0.0;
  V3<double> com;
  V3<double> rotational[3];
};

inline Body body_of(const Inertia& inertia) {
  const auto& s = inertia.inertia().data();  // m11, m22, m33, m12, m13, m23
  return {inertia.mass(),
          v3(inertia.com()),
          {{s[0], s[3], s[4]}, {s[3], s[1], s[5]}, {s[4], s[5], s[2]}}};
}

// The momentum of a body moving with m: f = mass (v - c x w), n = I w + c x f.
template <class R>
KERNEL_INLINE Spatial<R> momentum(const Body& body, const Spatial<R>& m) {
  const V3<R> f = (m.v - cross(body.com, m.w)) * body.mass;
  const V3<R>& w = m.w;
  const V3<R> iw =
      (body.rotational[0] * w[0] + body.rotational[1] * w[1]) + body.rotational[2] * w[2];
  return {iw + cross(body.com, f), f};
}

// The parent's velocity and acceleration in the child's frame: motion_to_child of both.
template <class R>
KERNEL_INLINE void motions_to_child(const Placement<R>& m, const Spatial<R>& v, const Spatial<R>& a,
                                    Spatial<R>& v_out, Spatial<R>& a_out) {
  v_out = motion_to_child(m, v);
  a_out = motion_to_child(m, a);
}
// For doubles R^T x is summed from the rows of R, transposed by shuffles (the fourth lanes
// left unused): each component is dot(column i, x) with its sums in the same order.
struct Rows {
  V3<double> r[3];
};
KERNEL_INLINE Rows rows_of(const Placement<double>& m) {
  const Packed xy = __builtin_shufflevector(m.c[0].e, m.c[1].e, 0, 4, 1, 5);
  const Packed z = __builtin_shufflevector(m.c[0].e, m.c[1].e, 2, 6, 3, 7);
  return {{{__builtin_shufflevector(xy, m.c[2].e, 0, 1, 4, 7)},
           {__builtin_shufflevector(xy, m.c[2].e, 2, 3, 5, 7)},
           {__builtin_shufflevector(z, m.c[2].e, 0, 1, 6, 7)}}};
}
KERNEL_INLINE V3<double> rotate_back(const Rows& rows, const V3<double>& x) {
  return (rows.r[0] * x[0] + rows.r[1] * x[1]) + rows.r[2] * x[2];
}
KERNEL_INLINE Spatial<double> motion_to_child(const Placement<double>& m,
                                              const Spatial<double>& x) {
  const Rows rows = rows_of(m);
  return {rotate_back(rows, x.w), rotate_back(rows, x.v - cross(m.p, x.w))};
}
// Both motions from one transpose.
KERNEL_INLINE void motions_to_child(const Placement<double>& m, const Spatial<double>& v,
                                    const Spatial<double>& a, Spatial<double>& v_out,
                                    Spatial<double>& a_out) {
  const Rows rows = rows_of(m);
  v_out = {rotate_back(rows, v.w), rotate_back(rows, v.v - cross(m.p, v.w))};
  a_out = {rotate_back(rows, a.w), rotate_back(rows, a.v - cross(m.p, a.w))};
}

// The fields of the inverse-dynamics passes, one entry per joint: liMi, the body
// velocities and accelerations in each joint's frame (the base accelerating upwards at g
// instead of every body feeling gravity), and the forces (each body's, then after the
// backward pass the force its joint transmits to its subtree).
template <class R>
struct RneaFields {
  std::vector<Placement<R>> placements;
  std::vector<Spatial<R>> velocities, accelerations, forces;
  std::vector<double> cosines, sines;  // of the revolute joints' angles, in a single call
  void size_to(std::size_t njoints) {
    if (placements.size() >= njoints) return;
    placements.resize(njoints);
    cosines.resize(njoints);
    sines.resize(njoints);
    velocities.resize(njoints);
    accelerations.resize(njoints);
    forces.resize(njoints);
  }
};

}  // namespace kinetra::kernel
