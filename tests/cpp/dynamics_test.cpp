// Forward kinematics, inverse dynamics and forward dynamics checked against
// derivations that do not share the algorithms' formulas: homogeneous-matrix
// products, energies differentiated numerically and Lagrange's equations.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <random>

#include "joint/continuous.hpp"
#include "joint/fixed.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "model/algorithms.hpp"
#include "model/configurations.hpp"

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;
using Vec = std::vector<double>;
using Mat4 = std::array<double, 16>;  // row-major homogeneous matrix

// ---- an independent homogeneous-matrix kinematics -------------------------------

Mat4 mul(const Mat4& a, const Mat4& b) {
  Mat4 c{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) c[i * 4 + j] += a[i * 4 + k] * b[k * 4 + j];
  return c;
}

Mat4 identity4() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Mat4 from_se3(const SE3& t) {
  Mat4 h = identity4();
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) h[i * 4 + j] = t.rotation()(i, j);
    h[i * 4 + 3] = t.translation()[i];
  }
  return h;
}

// Rotation by `angle` about `axis` from the matrix exponential series, summed until
// it converges (independent of the closed form the library uses).
Mat4 rotation4(const Vector3D& axis, double angle) {
  const double n = std::sqrt(axis.dot(axis));
  const double k[3] = {axis[0] / n * angle, axis[1] / n * angle, axis[2] / n * angle};
  const double w[9] = {0, -k[2], k[1], k[2], 0, -k[0], -k[1], k[0], 0};
  double term[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, sum[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int order = 1; order < 40; ++order) {
    double next[9] = {};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        for (int m = 0; m < 3; ++m) next[i * 3 + j] += term[i * 3 + m] * w[m * 3 + j] / order;
    for (int i = 0; i < 9; ++i) {
      term[i] = next[i];
      sum[i] += next[i];
    }
  }
  Mat4 h = identity4();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) h[i * 4 + j] = sum[i * 3 + j];
  return h;
}

struct JointDescription {
  JointType kind;
  Vector3D axis;
};

std::unique_ptr<JointModel> make_joint(const JointDescription& joint) {
  switch (joint.kind) {
    case JointType::Revolute:
      return std::make_unique<JointModelRevolute>(joint.axis);
    case JointType::Continuous:
      return std::make_unique<JointModelContinuous>(joint.axis);
    case JointType::Prismatic:
      return std::make_unique<JointModelPrismatic>(joint.axis);
    case JointType::Fixed:
      return std::make_unique<JointModelFixed>();
    case JointType::FreeFlyer:  // the random robots have no floating joints
      break;
  }
  return nullptr;
}

struct Robot {
  Model model = Model::new_empty();
  std::vector<JointDescription> joints{{JointType::Fixed, {}}};  // index 0: the world joint

  std::size_t nq() const { return model.nq(); }
  std::size_t nv() const { return model.nv(); }

  // World placements by 4x4 products, with the joint motions computed here.
  std::vector<Mat4> world(const Vec& q) const {
    std::vector<Mat4> out{identity4()};
    std::size_t offset = 0;
    for (std::size_t i = 1; i < joints.size(); ++i) {
      const JointDescription& s = joints[i];
      Mat4 motion = identity4();
      if (s.kind == JointType::Revolute) motion = rotation4(s.axis, q[offset]);
      if (s.kind == JointType::Continuous)
        motion = rotation4(s.axis, std::atan2(q[offset + 1], q[offset]));
      if (s.kind == JointType::Prismatic) {
        for (int r = 0; r < 3; ++r) motion[r * 4 + 3] = s.axis[r] * q[offset];
      }
      out.push_back(
          mul(mul(out[model.joint_parents()[i]], from_se3(model.joint_placements()[i])), motion));
      offset += model.joint_models()[i]->nq();
    }
    return out;
  }

  // q moved by the velocity-space step dv (continuous joints turn their pair).
  Vec integrate(const Vec& q, const Vec& dv) const {
    Vec out = q;
    std::size_t iq = 0, iv = 0;
    for (std::size_t i = 1; i < joints.size(); ++i) {
      switch (joints[i].kind) {
        case JointType::Revolute:
        case JointType::Prismatic:
          out[iq] += dv[iv];
          break;
        case JointType::Continuous: {
          const double angle = std::atan2(q[iq + 1], q[iq]) + dv[iv];
          out[iq] = std::cos(angle);
          out[iq + 1] = std::sin(angle);
          break;
        }
        case JointType::Fixed:
        case JointType::FreeFlyer:
          break;
      }
      iq += model.joint_models()[i]->nq();
      iv += model.joint_models()[i]->nv();
    }
    return out;
  }
};

Vector3D random_vector(std::mt19937_64& rng, double scale) {
  std::uniform_real_distribution<double> u(-scale, scale);
  return {u(rng), u(rng), u(rng)};
}

SE3 random_se3(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> angle(-kPi, kPi);
  return {SpatialRotation::from_axis_angle(random_vector(rng, 1.0), angle(rng)),
          random_vector(rng, 0.5)};
}

Inertia random_body(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> mass(0.5, 2.0), moment(0.01, 0.1);
  const Symmetric3 principal(moment(rng), moment(rng), moment(rng), 0, 0, 0);
  return {mass(rng), random_vector(rng, 0.3), principal.rotate(random_se3(rng).rotation())};
}

// A chain or a branching tree mixing all four joint kinds; every body has mass,
// attached through a frame so that the inertia merge is exercised too.
Robot random_robot(std::uint64_t seed, std::size_t joints, bool chain) {
  std::mt19937_64 rng(seed);
  Robot robot;
  const JointType kinds[] = {JointType::Revolute, JointType::Continuous, JointType::Prismatic,
                             JointType::Fixed};
  for (std::size_t i = 1; i <= joints; ++i) {
    const JointType kind = kinds[(i - 1 + seed) % 4];
    Vector3D axis = random_vector(rng, 1.0);
    if (kind == JointType::Prismatic) axis = axis * 1.5;  // not of unit length
    if (i % 3 == 0) {  // along a coordinate axis, as most robots are built
      axis = Vector3D::zeros();
      axis[i % 9 / 3] = kind == JointType::Prismatic ? 1.0 : 2.0;
    }
    const std::size_t parent =
        chain ? i - 1 : std::uniform_int_distribution<std::size_t>(0, i - 1)(rng);
    robot.joints.push_back({kind, axis});
    EXPECT_TRUE(robot.model.add_joint(parent, make_joint(robot.joints.back()), random_se3(rng),
                                      "joint" + std::to_string(i)));
    const Frame body{
        "body" + std::to_string(i), i, 0, random_se3(rng), FrameType::Body, random_body(rng)};
    EXPECT_TRUE(robot.model.add_frame(body, true));
  }
  return robot;
}

Vec random_vec(std::size_t n, std::mt19937_64& rng, double scale = 1.0) {
  std::uniform_real_distribution<double> u(-scale, scale);
  Vec v(n);
  for (double& x : v) x = u(rng);
  return v;
}

// One workspace reused from call to call (as a control loop would): no result may
// depend on what an earlier call left in it.
Data& workspace(const Model& model) {
  static std::optional<Data> data;
  static const Model* owner = nullptr;
  if (owner != &model) data.emplace(model), owner = &model;
  return *data;
}

// Every coordinate moved from the neutral configuration by up to half a turn.
Vec random_q(const Robot& robot, std::mt19937_64& rng) {
  const Configuration zero = *neutral(robot.model);
  return robot.integrate(Vec(zero.as_slice().begin(), zero.as_slice().end()),
                         random_vec(robot.nv(), rng, kPi));
}

Vec rnea(const Robot& robot, const Vec& q, const Vec& v, const Vec& a) {
  const auto tau = inverse_dynamics(robot.model, workspace(robot.model), q, v, a);
  EXPECT_TRUE(tau.has_value());
  return Vec(tau->as_slice().begin(), tau->as_slice().end());
}

Vec aba(const Robot& robot, const Vec& q, const Vec& v, const Vec& tau) {
  const auto qdd = forward_dynamics(robot.model, workspace(robot.model), q, v, tau);
  EXPECT_TRUE(qdd.has_value());
  if (!qdd) return Vec(robot.nv());
  return Vec(qdd->as_slice().begin(), qdd->as_slice().end());
}

// ---- energies from world placements ------------------------------------------------

double potential_energy(const Robot& robot, const Vec& q) {
  const auto world = robot.world(q);
  const Vector3D g = robot.model.gravity();
  double energy = 0.0;
  for (std::size_t i = 1; i < world.size(); ++i) {
    const Inertia& body = robot.model.inertias()[i];
    const Mat4& h = world[i];
    const Vector3D& c = body.com();
    for (int r = 0; r < 3; ++r) {
      const double x = h[r * 4] * c[0] + h[r * 4 + 1] * c[1] + h[r * 4 + 2] * c[2] + h[r * 4 + 3];
      energy -= body.mass() * g[r] * x;
    }
  }
  return energy;
}

// The mass matrix from Jacobians of the bodies' world centres and orientations,
// obtained by central differences of the placements: M = sum m Jc^T Jc + Jw^T I_world Jw.
std::vector<Vec> mass_matrix_from_kinematics(const Robot& robot, const Vec& q) {
  const std::size_t nv = robot.nv();
  const double h = 1e-6;
  const auto world = robot.world(q);
  std::vector<std::vector<std::array<double, 6>>> jac(world.size(),
                                                      std::vector<std::array<double, 6>>(nv));
  for (std::size_t k = 0; k < nv; ++k) {
    Vec step(nv, 0.0);
    step[k] = h;
    const auto plus = robot.world(robot.integrate(q, step));
    step[k] = -h;
    const auto minus = robot.world(robot.integrate(q, step));
    for (std::size_t i = 1; i < world.size(); ++i) {
      const Vector3D& c = robot.model.inertias()[i].com();
      std::array<double, 9> rdot, r;
      for (int a = 0; a < 3; ++a) {
        double dx = 0.0;
        for (int b = 0; b < 3; ++b) {
          rdot[a * 3 + b] = (plus[i][a * 4 + b] - minus[i][a * 4 + b]) / (2 * h);
          r[a * 3 + b] = world[i][a * 4 + b];
          dx += rdot[a * 3 + b] * c[b];
        }
        jac[i][k][3 + a] = dx + (plus[i][a * 4 + 3] - minus[i][a * 4 + 3]) / (2 * h);
      }
      // [w]x = Rdot R^T, world angular velocity per unit velocity coordinate
      double w[9] = {};
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
          for (int m = 0; m < 3; ++m) w[a * 3 + b] += rdot[a * 3 + m] * r[b * 3 + m];
      jac[i][k][0] = 0.5 * (w[7] - w[5]);
      jac[i][k][1] = 0.5 * (w[2] - w[6]);
      jac[i][k][2] = 0.5 * (w[3] - w[1]);
    }
  }
  std::vector<Vec> m(nv, Vec(nv, 0.0));
  for (std::size_t i = 1; i < world.size(); ++i) {
    const Inertia& body = robot.model.inertias()[i];
    double r[9];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) r[a * 3 + b] = world[i][a * 4 + b];
    double iw[9] = {};  // R Ic R^T
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
        for (int x = 0; x < 3; ++x)
          for (int y = 0; y < 3; ++y)
            iw[a * 3 + b] += r[a * 3 + x] * body.inertia()(x, y) * r[b * 3 + y];
    for (std::size_t k = 0; k < nv; ++k) {
      for (std::size_t l = 0; l < nv; ++l) {
        double value = 0.0;
        for (int a = 0; a < 3; ++a) value += body.mass() * jac[i][k][3 + a] * jac[i][l][3 + a];
        for (int a = 0; a < 3; ++a)
          for (int b = 0; b < 3; ++b) value += jac[i][k][a] * iw[a * 3 + b] * jac[i][l][b];
        m[k][l] += value;
      }
    }
  }
  return m;
}

double quadratic(const std::vector<Vec>& m, const Vec& v) {
  double s = 0.0;
  for (std::size_t k = 0; k < v.size(); ++k)
    for (std::size_t l = 0; l < v.size(); ++l) s += v[k] * m[k][l] * v[l];
  return s;
}

double max_abs(const Vec& v) {
  double m = 0.0;
  for (double x : v) m = std::max(m, std::fabs(x));
  return m;
}

struct Case {
  std::uint64_t seed;
  std::size_t joints;
  bool chain;
};

class RandomRobot : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    robot = random_robot(GetParam().seed, GetParam().joints, GetParam().chain);
    rng.seed(GetParam().seed * 7 + 1);
  }
  Robot robot;
  std::mt19937_64 rng;
};

TEST_P(RandomRobot, ForwardKinematicsMatchesMatrixProducts) {
  Data data = robot.model.create_data();
  for (int trial = 0; trial < 5; ++trial) {
    const Vec q = random_q(robot, rng);
    ASSERT_TRUE(forward_kinematics(robot.model, data, q).has_value());
    const auto expected = robot.world(q);
    ASSERT_EQ(data.joint_placements.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Mat4 got = from_se3(data.joint_placements[i]);
      for (int k = 0; k < 16; ++k) EXPECT_NEAR(got[k], expected[i][k], 1e-12) << "joint " << i;
    }
  }
}

// The world placements keep the formula order of the joints' own placements:
// oMi = (oMi[parent] * placement) * (the joint data's placement), to the bit, and each
// joint data holds the placement its own update gives.
TEST_P(RandomRobot, ForwardKinematicsKeepsTheProductOrder) {
  Data data = robot.model.create_data();
  const auto& model = robot.model;
  std::uniform_real_distribution<double> wide(-40.0, 40.0);
  for (int trial = 0; trial < 5; ++trial) {
    Vec q = random_q(robot, rng);
    if (trial == 1) std::fill(q.begin(), q.end(), 0.0);
    if (trial == 2) {
      for (double& x : q) x = wide(rng);
    }
    ASSERT_TRUE(forward_kinematics(model, data, q).has_value());
    std::vector<SE3> expected{SE3::identity()};
    for (std::size_t i = 1; i < model.njoints(); ++i) {
      const JointMotion& joint = model.joint_motions()[i];
      auto joint_data = model.joint_models()[i]->create_joint_data();
      ASSERT_TRUE(joint_data->update(*model.joint_models()[i],
                                     std::span(q).subspan(joint.q_offset, joint.nq)));
      expected.push_back((expected[joint.parent] * model.joint_placements()[i]) *
                         joint_data->get_joint_placement());
      EXPECT_EQ(std::memcmp(&expected[i], &data.joint_placements[i], sizeof(SE3)), 0)
          << "joint " << i << ", trial " << trial;
      const SE3 own = joint_data->get_joint_placement();
      const SE3 kept = data.joint_data[i]->get_joint_placement();
      EXPECT_EQ(std::memcmp(&own, &kept, sizeof(SE3)), 0)
          << "joint data " << i << ", trial " << trial;
    }
  }
}

TEST_P(RandomRobot, SatisfiesLagrangesEquations) {
  const std::size_t nv = robot.nv();
  const Vec q = random_q(robot, rng), v = random_vec(nv, rng), a = random_vec(nv, rng);
  const double h = 1e-4;
  // d/dt (M v) along q(t) = q + v t + a t^2 / 2, v(t) = v + a t
  auto momentum = [&](double t) {
    Vec dv(nv), vt(nv);
    for (std::size_t k = 0; k < nv; ++k) {
      dv[k] = v[k] * t + 0.5 * a[k] * t * t;
      vt[k] = v[k] + a[k] * t;
    }
    const auto m = mass_matrix_from_kinematics(robot, robot.integrate(q, dv));
    Vec p(nv, 0.0);
    for (std::size_t r = 0; r < nv; ++r)
      for (std::size_t c = 0; c < nv; ++c) p[r] += m[r][c] * vt[c];
    return p;
  };
  const Vec p_plus = momentum(h), p_minus = momentum(-h);
  Vec expected(nv);
  for (std::size_t k = 0; k < nv; ++k) {
    Vec step(nv, 0.0);
    step[k] = h;
    const Vec q_plus = robot.integrate(q, step);
    step[k] = -h;
    const Vec q_minus = robot.integrate(q, step);
    const double dT = 0.5 *
                      (quadratic(mass_matrix_from_kinematics(robot, q_plus), v) -
                       quadratic(mass_matrix_from_kinematics(robot, q_minus), v)) /
                      (2 * h);
    const double dU =
        (potential_energy(robot, q_plus) - potential_energy(robot, q_minus)) / (2 * h);
    expected[k] = (p_plus[k] - p_minus[k]) / (2 * h) - dT + dU;
  }
  const Vec tau = rnea(robot, q, v, a);
  const double scale = 1 + max_abs(expected);
  for (std::size_t k = 0; k < nv; ++k) EXPECT_NEAR(tau[k], expected[k], 2e-5 * scale) << k;
}

TEST_P(RandomRobot, ForwardAndInverseDynamicsAreInverses) {
  const std::size_t nv = robot.nv();
  for (int trial = 0; trial < 5; ++trial) {
    const Vec q = random_q(robot, rng), v = random_vec(nv, rng, 2.0);
    const Vec a = random_vec(nv, rng, 5.0), tau = random_vec(nv, rng, 10.0);
    const Vec a_back = aba(robot, q, v, rnea(robot, q, v, a));
    const Vec tau_back = rnea(robot, q, v, aba(robot, q, v, tau));
    for (std::size_t k = 0; k < nv; ++k) {
      EXPECT_NEAR(a_back[k], a[k], 1e-9 * (1 + max_abs(a)));
      EXPECT_NEAR(tau_back[k], tau[k], 1e-9 * (1 + max_abs(tau)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Robots, RandomRobot,
                         ::testing::Values(Case{1, 5, true}, Case{2, 8, true}, Case{3, 9, false},
                                           Case{4, 12, false}),
                         [](const auto& info) {
                           return std::string(info.param.chain ? "chain" : "tree") +
                                  std::to_string(info.param.joints) + "_seed" +
                                  std::to_string(info.param.seed);
                         });

}  // namespace
}  // namespace kinetra
