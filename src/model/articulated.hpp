#pragma once

// Articulated-body inertias for forward dynamics: symmetric 6x6 matrices held as six
// columns of short vectors (angular half, linear half, each padded to four lanes), so that
// their updates and their moves to the parent frame run as column operations.

#include <cstddef>

#include "model/kernel_math.hpp"
#include "spatial/inertia.hpp"

namespace kinetra::articulated {

using Vec = kernel::Packed;

// A spatial vector (angular; linear), the fourth lane of each half unused.
struct alignas(4 * sizeof(double)) Six {
  Vec top, bottom;
};

// A symmetric 6x6 matrix, column by column, angular-first indices.
struct alignas(4 * sizeof(double)) Matrix {
  Six col[6];
};

// The matrix of a body inertia about the origin of its frame:
// [[Ic - m [c]x [c]x, m [c]x], [m [c]x^T, m 1]].
Matrix body_matrix(const Inertia& inertia);

KERNEL_INLINE Six operator+(const Six& a, const Six& b) {
  return {a.top + b.top, a.bottom + b.bottom};
}
KERNEL_INLINE Six operator-(const Six& a, const Six& b) {
  return {a.top - b.top, a.bottom - b.bottom};
}
KERNEL_INLINE Six operator*(const Six& a, double s) { return {a.top * s, a.bottom * s}; }

KERNEL_INLINE Six six(const kernel::Spatial<double>& s) { return {s.w.e, s.v.e}; }
KERNEL_INLINE kernel::Spatial<double> spatial(const Six& s) { return {s.top, s.bottom}; }
// Entry i of the six, angular first.
KERNEL_INLINE double entry(const Six& s, std::size_t i) {
  return i < 3 ? kernel::component(s.top, i) : kernel::component(s.bottom, i - 3);
}
KERNEL_INLINE double dot(const Six& a, const Six& b) {
  const Vec t = a.top * b.top, l = a.bottom * b.bottom;
  return (t[0] + t[1] + t[2]) + (l[0] + l[1] + l[2]);
}

using kernel::cross;

// to = from through vector registers: a plain copy of this size becomes rep movs, whose
// start-up cost was a third of aba's velocity pass when it copied every body's matrix.
KERNEL_INLINE void copy(const Matrix& from, Matrix& to) {
  for (std::size_t j = 0; j < 6; ++j) {
    to.col[j].top = from.col[j].top;
    to.col[j].bottom = from.col[j].bottom;
  }
}

// M x: M's columns weighted by the entries of x (read at constant lanes, see component).
KERNEL_INLINE Six apply(const Matrix& m, const Six& x) {
  return ((((m.col[0] * x.top[0] + m.col[1] * x.top[1]) + m.col[2] * x.top[2]) +
           m.col[3] * x.bottom[0]) +
          m.col[4] * x.bottom[1]) +
         m.col[5] * x.bottom[2];
}

// out = M - u (w u)^T, column j less u times w u_j.
KERNEL_INLINE void subtract_scaled_square(const Matrix& m, const Six& u, double w, Matrix& out) {
  const Six wu = {u.top * w, u.bottom * w};
  out.col[0] = m.col[0] - u * wu.top[0];
  out.col[1] = m.col[1] - u * wu.top[1];
  out.col[2] = m.col[2] - u * wu.top[2];
  out.col[3] = m.col[3] - u * wu.bottom[0];
  out.col[4] = m.col[4] - u * wu.bottom[1];
  out.col[5] = m.col[5] - u * wu.bottom[2];
}

// Placements are the passes' own (R column by column, then p, each one packed vector).
using Transform = kernel::Placement<double>;

KERNEL_INLINE Vec rotate(const Transform& x, const Vec& v) {
  return (x.c[0].e * v[0] + x.c[1].e * v[1]) + x.c[2].e * v[2];
}

// iXp^T f: a child-frame force in parent coordinates, (R n + p x (R f); R f).
KERNEL_INLINE Six force_to_parent(const Transform& x, const Six& f) {
  const Vec rf = rotate(x, f.bottom);
  return {rotate(x, f.top) + cross(x.p.e, rf), rf};
}

// parent += iXp^T I iXp. With iXp = [[R^T, 0], [-R^T S, R^T]], S = [p]x, and N = iXp^T I
// split into column halves [N1 N2]: N iXp = [(N1 - N2 [p']x) R^T, N2 R^T] with p' = R^T p,
// since R^T [p]x = [R^T p]x R^T.
KERNEL_INLINE void add_to_parent(const Transform& x, const Matrix& inertia, Matrix& parent) {
  Six n[6];
  for (std::size_t j = 0; j < 6; ++j) n[j] = force_to_parent(x, inertia.col[j]);
  const Vec pp = x.c[0].e * x.p.e, pq = x.c[1].e * x.p.e, pr = x.c[2].e * x.p.e;
  const double p0 = pp[0] + pp[1] + pp[2], p1 = pq[0] + pq[1] + pq[2], p2 = pr[0] + pr[1] + pr[2];
  const Six m[3] = {n[0] - (n[4] * p2 - n[5] * p1), n[1] - (n[5] * p0 - n[3] * p2),
                    n[2] - (n[3] * p1 - n[4] * p0)};
  for (std::size_t j = 0; j < 3; ++j) {
    const double r0 = x.c[0][j], r1 = x.c[1][j], r2 = x.c[2][j];  // row j of R
    parent.col[j] = parent.col[j] + ((m[0] * r0 + m[1] * r1) + m[2] * r2);
    parent.col[j + 3] = parent.col[j + 3] + ((n[3] * r0 + n[4] * r1) + n[5] * r2);
  }
}

}  // namespace kinetra::articulated
