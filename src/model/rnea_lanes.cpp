#include "model/rnea_lanes.hpp"

#include <array>
#include <cmath>
#include <vector>

#include "base/panic.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"

namespace kinetra {

namespace {

// kLanes doubles side by side; +, -, * act lane by lane with the IEEE rounding of the
// scalar operation, and a double operand is used in every lane. The alignment is given
// because without AVX enabled GCC would align the type to 16 bytes only, while the AVX
// clone below moves it with aligned 32-byte loads and stores. Containers hold it inside
// structs (a template argument drops the attribute).
using Lanes =
    double __attribute__((vector_size(kLanes * sizeof(double)), aligned(kLanes * sizeof(double))));

// Each helper below mirrors one scalar formula of spatial_dynamics.hpp, Vector3D,
// SpatialRotation, SE3 or Inertia operand for operand, so that no lane rounds
// differently from the single call. They are always inlined: the hot function is
// compiled once per instruction set and the vector values never cross a call.
#define LANE_INLINE [[gnu::always_inline]] inline

struct Lanes3 {
  Lanes e[3];
  LANE_INLINE const Lanes& operator[](std::size_t i) const { return e[i]; }
  LANE_INLINE Lanes& operator[](std::size_t i) { return e[i]; }
};

// A motion (angular; linear) or a force (moment; force).
struct LaneMotion {
  Lanes3 angular;
  Lanes3 linear;
};

// A transform (R, p); R column by column, as SpatialRotation stores it.
struct LanePlacement {
  Lanes r[9];
  Lanes3 p;
  LANE_INLINE const Lanes& operator()(std::size_t row, std::size_t col) const {
    return r[col * 3 + row];
  }
};

// A velocity coordinate's speeds, accelerations and torques.
struct LaneCoordinate {
  Lanes v, a, tau;
};

// A body inertia with its rotational inertia written out as a full matrix.
struct Body {
  double mass;
  Vector3D com;
  std::array<double, 9> rotational;  // row by row
};

LANE_INLINE Lanes3 operator+(const Lanes3& a, const Lanes3& b) {
  return {{a[0] + b[0], a[1] + b[1], a[2] + b[2]}};
}
LANE_INLINE Lanes3 operator-(const Lanes3& a, const Lanes3& b) {
  return {{a[0] - b[0], a[1] - b[1], a[2] - b[2]}};
}
LANE_INLINE LaneMotion operator+(const LaneMotion& a, const LaneMotion& b) {
  return {a.angular + b.angular, a.linear + b.linear};
}

// A and B are Lanes3 or Vector3D (the same double in every lane).
template <class A, class B>
LANE_INLINE Lanes3 cross(const A& a, const B& b) {
  return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}

// R x and R^T x.
LANE_INLINE Lanes3 rotate(const LanePlacement& m, const Lanes3& x) {
  return {{m(0, 0) * x[0] + m(0, 1) * x[1] + m(0, 2) * x[2],
           m(1, 0) * x[0] + m(1, 1) * x[1] + m(1, 2) * x[2],
           m(2, 0) * x[0] + m(2, 1) * x[1] + m(2, 2) * x[2]}};
}
LANE_INLINE Lanes3 rotate_back(const LanePlacement& m, const Lanes3& x) {
  return {{m(0, 0) * x[0] + m(1, 0) * x[1] + m(2, 0) * x[2],
           m(0, 1) * x[0] + m(1, 1) * x[1] + m(2, 1) * x[2],
           m(0, 2) * x[0] + m(1, 2) * x[1] + m(2, 2) * x[2]}};
}

// out = a * b for a placement `a` shared by every lane (written in place: the
// placements are too large to copy around).
LANE_INLINE void compose(const SE3& a, const LanePlacement& b, LanePlacement& out) {
  const SpatialRotation& ar = a.rotation();
  for (std::size_t j = 0; j < 3; ++j) {
    for (std::size_t i = 0; i < 3; ++i) {
      out.r[j * 3 + i] = ar(i, 0) * b(0, j) + ar(i, 1) * b(1, j) + ar(i, 2) * b(2, j);
    }
  }
  for (std::size_t i = 0; i < 3; ++i) {
    out.p[i] = (ar(i, 0) * b.p[0] + ar(i, 1) * b.p[1] + ar(i, 2) * b.p[2]) + a.translation()[i];
  }
}

// S x for the joint's coordinates x (their v or a): summed column by column from zero.
LANE_INLINE LaneMotion subspace_motion(std::span<const SpatialMotion> columns,
                                       const LaneCoordinate* coordinates,
                                       Lanes LaneCoordinate::* x) {
  LaneMotion m{};
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const Lanes& xk = coordinates[k].*x;
    for (std::size_t c = 0; c < 3; ++c) {
      m.angular[c] = m.angular[c] + columns[k][c] * xk;
      m.linear[c] = m.linear[c] + columns[k][c + 3] * xk;
    }
  }
  return m;
}

LANE_INLINE LaneMotion motion_to_child(const LanePlacement& m, const LaneMotion& x) {
  return {rotate_back(m, x.angular), rotate_back(m, x.linear - cross(m.p, x.angular))};
}

LANE_INLINE LaneMotion force_to_parent(const LanePlacement& m, const LaneMotion& f) {
  const Lanes3 rf = rotate(m, f.linear);
  return {rotate(m, f.angular) + cross(m.p, rf), rf};
}

LANE_INLINE LaneMotion cross_motion(const LaneMotion& m, const LaneMotion& x) {
  return {cross(m.angular, x.angular), cross(m.angular, x.linear) + cross(m.linear, x.angular)};
}

LANE_INLINE LaneMotion cross_force(const LaneMotion& m, const LaneMotion& f) {
  return {cross(m.angular, f.angular) + cross(m.linear, f.linear), cross(m.angular, f.linear)};
}

// The momentum of a body moving with m: f = mass (v - c x w), n = I w + c x f.
LANE_INLINE LaneMotion apply(const Body& body, const LaneMotion& m) {
  const Lanes3 d = m.linear - cross(body.com, m.angular);
  const Lanes3 f{{body.mass * d[0], body.mass * d[1], body.mass * d[2]}};
  const auto& s = body.rotational;
  const Lanes3& w = m.angular;
  const Lanes3 iw{{s[0] * w[0] + s[1] * w[1] + s[2] * w[2], s[3] * w[0] + s[4] * w[1] + s[5] * w[2],
                   s[6] * w[0] + s[7] * w[1] + s[8] * w[2]}};
  return {iw + cross(body.com, f), f};
}

// The values x[0], x[stride], ... one per lane, put together in registers (writing the
// lanes one by one through memory would stall the first read of the whole vector).
LANE_INLINE void gather(const double* x, std::size_t stride, Lanes& out) {
  static_assert(kLanes == 4);
  out = Lanes{x[0], x[stride], x[2 * stride], x[3 * stride]};
}

// rotation_motion(k, angle) lane by lane: from_unit_axis_angle's entries, each lane's
// sine and cosine from the same library calls, and the identity for an angle of exactly 0.
LANE_INLINE void turn(const Vector3D& k, const Lanes& angle, LanePlacement& out) {
  double cosines[kLanes], sines[kLanes];
  for (std::size_t l = 0; l < kLanes; ++l) {
    cosines[l] = std::cos(angle[l]);
    sines[l] = std::sin(angle[l]);
  }
  Lanes c, s;
  gather(cosines, 1, c);
  gather(sines, 1, s);
  const Lanes t = 1.0 - c;
  Lanes* r = out.r;  // column by column: r[col * 3 + row]
  r[0] = (c * 1.0 + s * 0.0) + t * (k[0] * k[0]);
  r[3] = (c * 0.0 + s * -k[2]) + t * (k[0] * k[1]);
  r[6] = (c * 0.0 + s * k[1]) + t * (k[0] * k[2]);
  r[1] = (c * 0.0 + s * k[2]) + t * (k[1] * k[0]);
  r[4] = (c * 1.0 + s * 0.0) + t * (k[1] * k[1]);
  r[7] = (c * 0.0 + s * -k[0]) + t * (k[1] * k[2]);
  r[2] = (c * 0.0 + s * -k[1]) + t * (k[2] * k[0]);
  r[5] = (c * 0.0 + s * k[0]) + t * (k[2] * k[1]);
  r[8] = (c * 1.0 + s * 0.0) + t * (k[2] * k[2]);
  for (std::size_t l = 0; l < kLanes; ++l) {
    if (angle[l] != 0.0) continue;
    for (std::size_t e = 0; e < 9; ++e) r[e][l] = e % 4 == 0 ? 1.0 : 0.0;
  }
  out.p = {};
}

// translation_motion(axis, distance) lane by lane.
LANE_INLINE void slide(const Vector3D& axis, const Lanes& distance, LanePlacement& out) {
  for (std::size_t e = 0; e < 9; ++e) out.r[e] = Lanes{} + (e % 4 == 0 ? 1.0 : 0.0);
  for (std::size_t i = 0; i < 3; ++i) out.p[i] = axis[i] * distance;
}

// A placement put into one lane.
void put(const SE3& m, std::size_t lane, LanePlacement& out) {
  const auto& r = m.rotation().column_major();
  for (std::size_t k = 0; k < 9; ++k) out.r[k][lane] = r[k];
  for (std::size_t k = 0; k < 3; ++k) out.p[k][lane] = m.translation()[k];
}

// How a joint's motion is found for a block of rows: turned or slid in lanes, the same
// for every row (no coordinates: found once), or the joint's own transform row by row.
enum class MotionKind { revolute, prismatic, constant, own };

// What the passes read of a joint, looked up once per batch.
struct LaneJoint {
  const JointModel* model;
  MotionKind kind;
  const Vector3D* axis;  // revolute: the unit axis; prismatic: the axis as given
  std::size_t parent, q_offset, nq, v_offset, nv;
};

}  // namespace

struct RneaLanes::State {
  std::vector<LaneJoint> joints;
  std::vector<Body> bodies;
  std::vector<LanePlacement> motions;     // each joint's motion for its coordinates
  std::vector<LanePlacement> placements;  // liMi
  std::vector<LaneMotion> velocities, accelerations, forces;
  std::vector<LaneCoordinate> coordinates;  // one per velocity coordinate
};

namespace {

// The joints' motions for the rows' q, then the speeds and accelerations, coordinate by
// coordinate.
LANE_INLINE void load_rows(RneaLanes::State& s, std::size_t nq, std::size_t nv,
                           std::span<const double> q, std::span<const double> v,
                           std::span<const double> a) {
  for (std::size_t i = 0; i < s.joints.size(); ++i) {
    const LaneJoint& joint = s.joints[i];
    LanePlacement& motion = s.motions[i];
    Lanes x;
    switch (joint.kind) {
      case MotionKind::revolute:
        gather(&q[joint.q_offset], nq, x);
        turn(*joint.axis, x, motion);
        break;
      case MotionKind::prismatic:
        gather(&q[joint.q_offset], nq, x);
        slide(*joint.axis, x, motion);
        break;
      case MotionKind::constant:
        break;
      case MotionKind::own:
        for (std::size_t l = 0; l < kLanes; ++l) {
          put(joint.model->transform(q.subspan(l * nq + joint.q_offset, joint.nq)), l, motion);
        }
        break;
    }
  }
  for (std::size_t k = 0; k < nv; ++k) {
    gather(&v[k], nv, s.coordinates[k].v);
    gather(&a[k], nv, s.coordinates[k].a);
  }
}

// The two passes of the single call over kLanes rows. Cloned for AVX2, where the lanes
// fill one register; the default clone runs the same operations on narrower registers.
[[gnu::target_clones("avx2", "default")]] void lane_passes(const Model& model, RneaLanes::State& s,
                                                           std::span<const double> q,
                                                           std::span<const double> v,
                                                           std::span<const double> a,
                                                           std::span<double> tau) {
  const auto& placements = model.joint_placements();
  const auto columns = model.subspace_columns();
  const std::size_t nv = model.nv(), njoints = s.joints.size();
  load_rows(s, model.nq(), nv, q, v, a);

  const Vector3D gravity = -model.gravity();
  for (std::size_t i = 0; i < njoints; ++i) {
    const LaneJoint& joint = s.joints[i];
    const auto joint_columns = columns.subspan(joint.v_offset, joint.nv);
    const LaneCoordinate* coordinates = s.coordinates.data() + joint.v_offset;
    const LaneMotion vj = subspace_motion(joint_columns, coordinates, &LaneCoordinate::v);
    const LaneMotion aj = subspace_motion(joint_columns, coordinates, &LaneCoordinate::a);
    LanePlacement& pMi = s.placements[i];
    compose(placements[i], s.motions[i], pMi);
    LaneMotion& velocity = s.velocities[i];
    LaneMotion& acceleration = s.accelerations[i];
    if (i == 0) {
      velocity = vj;
      for (std::size_t c = 0; c < 3; ++c) {
        acceleration.angular[c] = aj.angular[c] + 0.0;
        acceleration.linear[c] = aj.linear[c] + gravity[c];
      }
    } else {
      velocity = motion_to_child(pMi, s.velocities[joint.parent]) + vj;
      acceleration =
          motion_to_child(pMi, s.accelerations[joint.parent]) + aj + cross_motion(velocity, vj);
    }
    s.forces[i] =
        apply(s.bodies[i], acceleration) + cross_force(velocity, apply(s.bodies[i], velocity));
  }

  for (std::size_t j = njoints; j-- > 0;) {
    const LaneJoint& joint = s.joints[j];
    const LaneMotion& f = s.forces[j];
    for (std::size_t k = 0; k < joint.nv; ++k) {
      const SpatialMotion& column = columns[joint.v_offset + k];
      // dot(to_motion(column), f): the angular products summed, then the linear ones
      const Lanes3& n = f.angular;
      const Lanes3& l = f.linear;
      s.coordinates[joint.v_offset + k].tau =
          (column[0] * n[0] + column[1] * n[1] + column[2] * n[2]) +
          (column[3] * l[0] + column[4] * l[1] + column[5] * l[2]);
    }
    if (j > 0) {
      s.forces[joint.parent] = s.forces[joint.parent] + force_to_parent(s.placements[j], f);
    }
  }

  for (std::size_t l = 0; l < kLanes; ++l) {
    for (std::size_t k = 0; k < nv; ++k) tau[l * nv + k] = s.coordinates[k].tau[l];
  }
}

}  // namespace

RneaLanes::RneaLanes(const Model& model) : state_(std::make_unique<State>()) {
  const std::size_t njoints = model.njoints(), nv = model.nv();
  std::size_t q_offset = 0, v_offset = 0;
  for (std::size_t i = 0; i < njoints; ++i) {
    const JointModel& joint = *model.joint_models()[i];
    MotionKind kind = MotionKind::own;
    const Vector3D* axis = nullptr;
    if (dynamic_cast<const JointModelRevolute*>(&joint)) {
      kind = MotionKind::revolute;
      axis = joint.unit_rotation_axis();
    } else if (const auto* prismatic = dynamic_cast<const JointModelPrismatic*>(&joint)) {
      kind = MotionKind::prismatic;
      axis = &prismatic->axis;
    } else if (joint.nq() == 0) {
      kind = MotionKind::constant;
    }
    state_->joints.push_back(
        {&joint, kind, axis, model.joint_parents()[i], q_offset, joint.nq(), v_offset, joint.nv()});
    q_offset += joint.nq();
    v_offset += joint.nv();
  }
  for (const Inertia& inertia : model.inertias()) {
    Body body{inertia.mass(), inertia.com(), {}};
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) body.rotational[i * 3 + j] = inertia.inertia()(i, j);
    }
    state_->bodies.push_back(body);
  }
  state_->motions.resize(njoints);
  for (std::size_t i = 0; i < njoints; ++i) {
    const LaneJoint& joint = state_->joints[i];
    if (joint.kind != MotionKind::constant) continue;
    const SE3 motion = joint.model->transform({});
    for (std::size_t l = 0; l < kLanes; ++l) put(motion, l, state_->motions[i]);
  }
  state_->placements.resize(njoints);
  state_->velocities.resize(njoints);
  state_->accelerations.resize(njoints);
  state_->forces.resize(njoints);
  state_->coordinates.resize(nv);
}

RneaLanes::~RneaLanes() = default;

void RneaLanes::run(const Model& model, std::span<const double> q, std::span<const double> v,
                    std::span<const double> a, std::span<double> tau) {
  const std::size_t nq = model.nq(), nv = model.nv();
  if (state_->coordinates.size() != nv || q.size() != kLanes * nq || v.size() != kLanes * nv ||
      a.size() != kLanes * nv || tau.size() != kLanes * nv) {
    panic("rnea lanes given rows of another size than their model's");
  }
  lane_passes(model, *state_, q, v, a, tau);
}

}  // namespace kinetra
