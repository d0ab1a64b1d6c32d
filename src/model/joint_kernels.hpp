#pragma once

// A joint's part of the dynamics passes, per kind of motion, over a number type R (see
// kernel_math.hpp). A `Rows` source gives the coordinates:
//   R q(i), R v(k), R a(k)                the entries at index i of q, k of v and a;
//   void cos_sin(i, joint, R& c, R& s)     cosine and sine of revolute joint i's angle;
//   Placement<R> own(placement, joint, motion) placement * joint.transform(its q).

#include <span>

#include "model/joint_motion.hpp"
#include "model/kernel_math.hpp"

namespace kinetra::kernel {

// The columns of a rotation turned about its axis K: e_a -> c e_a + s e_b and
// e_b -> c e_b - s e_a, with (K, a, b) cyclic. K is a constant: stores to a computed
// column, read back at once, stall the loop (measured at half its time).
template <std::size_t K, class R>
KERNEL_INLINE void turn_columns(const V3<double> (&cols)[3], const R& c, const R& s,
                                Placement<R>& out) {
  constexpr std::size_t a = kNext[K], b = kPrevious[K];
  out.c[K] = lift<R>(cols[K]);
  out.c[a] = cols[a] * c + cols[b] * s;
  out.c[b] = cols[b] * c - cols[a] * s;
}

// liMi of joint i: the joint's frame in its parent's frame, placement * (the joint's
// motion); `given` is the placement as the model stores it.
template <class R, class Rows>
KERNEL_INLINE void local_placement(std::size_t i, const JointMotion& joint, const JointModel& model,
                                   const Placement<double>& placement, const SE3& given,
                                   const Rows& rows, Placement<R>& out) {
  const V3<double>(&cols)[3] = placement.c;
  const V3<double>&c0 = cols[0], &c1 = cols[1], &c2 = cols[2];
  const V3<double>& p = placement.p;
  const auto keep = [&] {
    out.c[0] = lift<R>(c0);
    out.c[1] = lift<R>(c1);
    out.c[2] = lift<R>(c2);
  };
  switch (joint.kind) {
    case MotionKind::constant:
      keep();
      out.p = lift<R>(p);
      return;
    case MotionKind::revolute_axis: {
      R c, s;
      rows.cos_sin(i, joint, c, s);
      switch (joint.axis_index) {
        case 0:
          turn_columns<0>(cols, c, s, out);
          break;
        case 1:
          turn_columns<1>(cols, c, s, out);
          break;
        default:
          turn_columns<2>(cols, c, s, out);
      }
      out.p = lift<R>(p);
      return;
    }
    case MotionKind::revolute: {
      // c I + s [k]x + (1 - c) k k^T, column by column, then the placement's rotation.
      R c, s;
      rows.cos_sin(i, joint, c, s);
      const V3<double> k = v3(joint.axis);
      const R t = 1.0 - c;
      const V3<R> turned[3] = {
          {c + t * (k[0] * k[0]), s * k[2] + t * (k[1] * k[0]), t * (k[2] * k[0]) - s * k[1]},
          {t * (k[0] * k[1]) - s * k[2], c + t * (k[1] * k[1]), s * k[0] + t * (k[2] * k[1])},
          {s * k[1] + t * (k[0] * k[2]), t * (k[1] * k[2]) - s * k[0], c + t * (k[2] * k[2])}};
      for (std::size_t j = 0; j < 3; ++j) {
        out.c[j] = (c0 * turned[j][0] + c1 * turned[j][1]) + c2 * turned[j][2];
      }
      out.p = lift<R>(p);
      return;
    }
    case MotionKind::prismatic_axis: {
      keep();
      out.p = p + cols[joint.axis_index] * rows.q(joint.q_offset);
      return;
    }
    case MotionKind::prismatic: {
      keep();
      const R x = rows.q(joint.q_offset);
      const V3<double> k = v3(joint.axis);
      out.p = p + ((c0 * (k[0] * x) + c1 * (k[1] * x)) + c2 * (k[2] * x));
      return;
    }
    case MotionKind::own:
      out = rows.own(given, model, joint);
      return;
  }
}

// The joint's coordinates x (nv of them, x[0] first) along its motion subspace S, added to m.
template <class R>
KERNEL_INLINE void add_subspace(const JointMotion& joint, std::span<const SpatialMotion> columns,
                                const R* x, Spatial<R>& m) {
  switch (joint.kind) {
    case MotionKind::constant:
      return;
    case MotionKind::revolute_axis:
      m.w = m.w + along(joint.axis_index, x[0]);
      return;
    case MotionKind::prismatic_axis:
      m.v = m.v + along(joint.axis_index, x[0]);
      return;
    case MotionKind::revolute:
      m.w = m.w + v3(joint.axis) * x[0];
      return;
    case MotionKind::prismatic:
      m.v = m.v + v3(joint.axis) * x[0];
      return;
    case MotionKind::own:
      for (std::size_t k = 0; k < joint.nv; ++k) {
        const SpatialMotion& s = columns[joint.v_offset + k];
        for (std::size_t i = 0; i < 3; ++i) {
          m.w.set(i, m.w[i] + s[i] * x[k]);
          m.v.set(i, m.v[i] + s[i + 3] * x[k]);
        }
      }
      return;
  }
}

// m x (S x): the velocity-product term of a body moving with m whose joint moves at x.
template <class R>
KERNEL_INLINE Spatial<R> cross_subspace(const JointMotion& joint,
                                        std::span<const SpatialMotion> columns, const R* x,
                                        const Spatial<R>& m) {
  switch (joint.kind) {
    case MotionKind::constant:
      return {};
    case MotionKind::revolute_axis:
      return {cross_unit(m.w, joint.axis_index) * x[0], cross_unit(m.v, joint.axis_index) * x[0]};
    case MotionKind::prismatic_axis:
      return {V3<R>{}, cross_unit(m.w, joint.axis_index) * x[0]};
    default: {
      Spatial<R> sx{};
      add_subspace(joint, columns, x, sx);
      return cross_motion(m, sx);
    }
  }
}

// Column k of the joint's motion subspace.
KERNEL_INLINE Spatial<double> subspace_column(const JointMotion& joint,
                                              std::span<const SpatialMotion> columns,
                                              std::size_t k) {
  if (joint.kind == MotionKind::own) {
    const SpatialMotion& m = columns[joint.v_offset + k];
    return {{m[0], m[1], m[2]}, {m[3], m[4], m[5]}};
  }
  Spatial<double> s{};
  const double one = 1.0;
  add_subspace(joint, columns, &one, s);  // the other kinds have one column
  return s;
}

// S_k^T f for the joint's velocity coordinate k.
template <class R>
KERNEL_INLINE R project(const JointMotion& joint, std::span<const SpatialMotion> columns,
                        std::size_t k, const Spatial<R>& f) {
  switch (joint.kind) {
    case MotionKind::revolute_axis:
      return component(f.w, joint.axis_index);
    case MotionKind::prismatic_axis:
      return component(f.v, joint.axis_index);
    case MotionKind::revolute:
      return dot(v3(joint.axis), f.w);
    case MotionKind::prismatic:
      return dot(v3(joint.axis), f.v);
    default:
      return dot(columns[joint.v_offset + k], f);
  }
}

}  // namespace kinetra::kernel
