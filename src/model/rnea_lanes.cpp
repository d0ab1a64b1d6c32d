#include "model/rnea_lanes.hpp"

#include "base/panic.hpp"
#include "model/rnea_kernel.hpp"

namespace kinetra {

namespace {

using Vec = double __attribute__((vector_size(kLanes * sizeof(double))));

// kLanes doubles side by side, one sample per lane: +, -, * and negation act lane by lane
// with the IEEE rounding of the scalar operation, and a double operand is used in every
// lane. Wrapped in a struct so that the alignment holds wherever the type goes (GCC drops
// attributes of a vector type given as a template argument, and without AVX enabled
// would align it to 16 bytes only, while the AVX clone below moves it with aligned
// 32-byte loads and stores).
struct alignas(kLanes * sizeof(double)) L4 {
  Vec x;
  KERNEL_INLINE L4() : x{} {}
  KERNEL_INLINE explicit L4(double d) : x{d, d, d, d} {}
  KERNEL_INLINE static L4 of(Vec v) {
    L4 out;
    out.x = v;
    return out;
  }
};
static_assert(kLanes == 4);

KERNEL_INLINE L4 operator+(L4 a, L4 b) { return L4::of(a.x + b.x); }
KERNEL_INLINE L4 operator-(L4 a, L4 b) { return L4::of(a.x - b.x); }
KERNEL_INLINE L4 operator*(L4 a, L4 b) { return L4::of(a.x * b.x); }
KERNEL_INLINE L4 operator-(L4 a) { return L4::of(-a.x); }
KERNEL_INLINE L4 operator+(L4 a, double b) { return L4::of(a.x + b); }
KERNEL_INLINE L4 operator*(L4 a, double b) { return L4::of(a.x * b); }
KERNEL_INLINE L4 operator+(double a, L4 b) { return L4::of(a + b.x); }
KERNEL_INLINE L4 operator-(double a, L4 b) { return L4::of(a - b.x); }
KERNEL_INLINE L4 operator*(double a, L4 b) { return L4::of(a * b.x); }

// The values x[0], x[stride], ... one per lane, put together in registers (writing the
// lanes one by one through memory would stall the first read of the whole vector).
KERNEL_INLINE L4 gather(const double* x, std::size_t stride) {
  return L4::of(Vec{x[0], x[stride], x[2 * stride], x[3 * stride]});
}

// The rows source of kLanes consecutive rows of q, v and a.
struct LaneRows {
  const double* q_;
  const double* v_;
  const double* a_;
  std::size_t nq, nv;
  KERNEL_INLINE L4 q(std::size_t i) const { return gather(q_ + i, nq); }
  KERNEL_INLINE L4 v(std::size_t k) const { return gather(v_ + k, nv); }
  KERNEL_INLINE L4 a(std::size_t k) const { return gather(a_ + k, nv); }
  // Each lane's cosine and sine as the single call computes them.
  KERNEL_INLINE void cos_sin(std::size_t, const JointMotion& joint, L4& c, L4& s) const {
    kernel::cos_sin(q(joint.q_offset).x, c.x, s.x);
  }
  kernel::Placement<L4> own(const SE3& placement, const JointModel& joint,
                            const JointMotion& motion) const {
    kernel::Placement<L4> out;
    for (std::size_t l = 0; l < kLanes; ++l) {
      const SE3 m = placement * joint.transform({q_ + l * nq + motion.q_offset, motion.nq});
      for (std::size_t j = 0; j < 3; ++j) {
        for (std::size_t i = 0; i < 3; ++i) out.c[j][i].x[l] = m.rotation()(i, j);
      }
      for (std::size_t i = 0; i < 3; ++i) out.p[i].x[l] = m.translation()[i];
    }
    return out;
  }
};

struct LaneTorques {
  double* tau;
  std::size_t nv;
  KERNEL_INLINE void operator()(std::size_t k, const L4& value) const {
    for (std::size_t l = 0; l < kLanes; ++l) tau[l * nv + k] = value.x[l];
  }
};

// The two passes of the single call over kLanes rows. Cloned for AVX2, where the lanes
// fill one register; the default clone runs the same operations on narrower registers.
[[gnu::target_clones("avx2", "default")]] void lane_passes(const Model& model,
                                                           kernel::RneaFields<L4>& fields,
                                                           const LaneRows& rows, double* tau) {
  kernel::rnea_forward(model, fields, rows);
  kernel::rnea_backward(model, fields, LaneTorques{tau, model.nv()});
}

}  // namespace

struct RneaLanes::State {
  kernel::RneaFields<L4> fields;
};

RneaLanes::RneaLanes(const Model& model) : state_(std::make_unique<State>()) {
  state_->fields.size_to(model.njoints());
}

RneaLanes::~RneaLanes() = default;

void RneaLanes::run(const Model& model, std::span<const double> q, std::span<const double> v,
                    std::span<const double> a, std::span<double> tau) {
  const std::size_t nq = model.nq(), nv = model.nv();
  if (state_->fields.placements.size() < model.njoints() || q.size() != kLanes * nq ||
      v.size() != kLanes * nv || a.size() != kLanes * nv || tau.size() != kLanes * nv) {
    panic("rnea lanes given rows of another size than their model's");
  }
  lane_passes(model, state_->fields, LaneRows{q.data(), v.data(), a.data(), nq, nv}, tau.data());
}

}  // namespace kinetra
