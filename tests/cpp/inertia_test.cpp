#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "spatial/inertia.hpp"
#include "spatial/symmetric3.hpp"

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;

// Coefficients of the characteristic polynomial: trace, sum of principal 2x2
// minors, determinant. Equal coefficients mean equal eigenvalues.
std::array<double, 3> invariants(const Symmetric3& s) {
  const double a = s.m11(), b = s.m22(), c = s.m33(), d = s.m12(), e = s.m13(), f = s.m23();
  return {a + b + c, a * b - d * d + a * c - e * e + b * c - f * f,
          a * (b * c - f * f) - d * (d * c - f * e) + e * (d * f - b * e)};
}

Symmetric3 random_symmetric(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  return {u(rng), u(rng), u(rng), u(rng), u(rng), u(rng)};
}

SE3 random_placement(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  return {SpatialRotation::from_axis_angle(Vector3D(u(rng), u(rng), u(rng)), u(rng)),
          Vector3D(u(rng), u(rng), u(rng))};
}

void expect_near(const Symmetric3& a, const Symmetric3& b, double tol) {
  for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(a.data()[i], b.data()[i], tol) << i;
}

TEST(Symmetric3, RotationPreservesEigenvalues) {
  std::mt19937_64 rng(11);
  for (int trial = 0; trial < 200; ++trial) {
    const Symmetric3 s = random_symmetric(rng);
    const Symmetric3 r = s.rotate(random_placement(rng).rotation());
    const auto before = invariants(s), after = invariants(r);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(before[i], after[i], 1e-12);
  }
}

TEST(Symmetric3, RotateQuarterTurnAboutZ) {
  const Symmetric3 s(1, 2, 3, 4, 5, 6);
  EXPECT_EQ(s.rotate(SpatialRotation::identity()), s);
  // swaps m11 and m22, negates m12, (m13, m23) -> (-m23, m13)
  expect_near(s.rotate(SpatialRotation::from_axis_angle(Vector3D::z(), kPi / 2)),
              Symmetric3(2, 1, 3, -4, -6, 5), 1e-14);
}

TEST(Symmetric3, SkewSquareAndProducts) {
  EXPECT_EQ(Symmetric3::skew_square(Vector3D(1, 0, 0)), Symmetric3(0, -1, -1, 0, 0, 0));
  // [v]x [v]x w = v x (v x w)
  const Vector3D v(1, -2, 0.5), w(0.3, 2, -1);
  const Vector3D expected = v.cross(v.cross(w));
  const Vector3D got = Symmetric3::skew_square(v) * w;
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(got[i], expected[i], 1e-14);
  EXPECT_EQ(Symmetric3(1, 2, 3, 4, 5, 6) * Vector3D(1, 0, 0), Vector3D(1, 4, 5));
}

TEST(Inertia, ActMovesTheCentreAndRotatesTheInertia) {
  const Inertia body(2.0, Vector3D(1, 0, 0), Symmetric3(1, 2, 3, 0, 0, 0));
  const Inertia moved = body.act(SE3(SpatialRotation::identity(), Vector3D(0, 1, 2)));
  EXPECT_EQ(moved.mass(), 2.0);
  EXPECT_EQ(moved.com(), Vector3D(1, 1, 2));
  EXPECT_EQ(moved.inertia(), body.inertia());
  const Inertia turned =
      body.act(SE3(SpatialRotation::from_axis_angle(Vector3D::z(), kPi / 2), Vector3D::zeros()));
  expect_near(turned.inertia(), Symmetric3(2, 1, 3, 0, 0, 0), 1e-15);
  EXPECT_NEAR(turned.com()[1], 1.0, 1e-15);
}

TEST(Inertia, ActThenSumEqualsSumThenAct) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> mass(0.1, 3.0);
  for (int trial = 0; trial < 100; ++trial) {
    const Inertia a(mass(rng), random_placement(rng).translation(), random_symmetric(rng));
    const Inertia b(mass(rng), random_placement(rng).translation(), random_symmetric(rng));
    const SE3 placement = random_placement(rng);
    const Inertia left = a.act(placement) + b.act(placement);
    const Inertia right = (a + b).act(placement);
    EXPECT_NEAR(left.mass(), right.mass(), 1e-14);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(left.com()[i], right.com()[i], 1e-12);
    expect_near(left.inertia(), right.inertia(), 1e-11);
  }
}

TEST(Inertia, ProductWithMotionGivesMomentum) {
  // Linear momentum m (v + w x c); kinetic energy 1/2 m |v + w x c|^2 + 1/2 w . Ic w.
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 100; ++trial) {
    const double m = 0.5 + u(rng) * u(rng);
    const Vector3D c(u(rng), u(rng), u(rng));
    const Symmetric3 ic(2 + u(rng), 2 + u(rng), 2 + u(rng), 0.1 * u(rng), 0.1 * u(rng), 0.1 * u(rng));
    const Inertia body(m, c, ic);
    const Vector3D w(u(rng), u(rng), u(rng)), v(u(rng), u(rng), u(rng));
    const Vector6D h = body * SpatialMotion::from_parts(w, v);
    const Vector3D velocity_of_com = v + w.cross(c);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(h.linear()[i], m * velocity_of_com[i], 1e-14);
    const double energy = 0.5 * (w.dot(h.angular()) + v.dot(h.linear()));
    const double expected = 0.5 * m * velocity_of_com.dot(velocity_of_com) + 0.5 * w.dot(ic * w);
    EXPECT_NEAR(energy, expected, 1e-13);
  }
}

TEST(Inertia, FromEllipsoid) {
  const auto e = Inertia::from_ellipsoid(5.0, 1.0, 2.0, 3.0);
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(e->inertia(), Symmetric3(13.0, 10.0, 5.0, 0, 0, 0));
  const std::pair<std::array<double, 4>, const char*> failures[] = {
      {{0, 1, 1, 1}, "mass"}, {{1, 0, 1, 1}, "x"}, {{1, 1, -1, 1}, "y"}, {{1, 1, 1, 0}, "z"}};
  for (const auto& [args, name] : failures) {
    const auto r = Inertia::from_ellipsoid(args[0], args[1], args[2], args[3]);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().name, name);
  }
  EXPECT_EQ(debug_text(InertiaError{"y"}), "InertiaError: Invalid parameter: 'y' must be positive.");
}

}  // namespace
}  // namespace kinetra
