#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "spatial/motion.hpp"
#include "spatial/rotation.hpp"
#include "spatial/se3.hpp"
#include "spatial/transform.hpp"

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;

void expect_near(const Vector3D& a, const Vector3D& b, double tol = 1e-15) {
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tol) << "component " << i;
}

SpatialMotion motion(double a, double b, double c, double d, double e, double f) {
  return SpatialMotion({a, b, c, d, e, f});
}

TEST(SpatialMotion, CrossAppliesTheMotionToAForce) {
  EXPECT_EQ(motion(0, 0, 1, 0, 0, 0).cross(motion(0, 0, 0, 1, 0, 0)), motion(0, 0, 0, 0, 1, 0));
  EXPECT_EQ(motion(0, 0, 1, 0, 0, 0).cross(motion(1, 0, 0, 0, 0, 0)), motion(0, 1, 0, 0, 0, 0));
  // the linear parts contribute to the angular result
  EXPECT_EQ(motion(0, 0, 0, 1, 0, 0).cross(motion(0, 0, 0, 0, 1, 0)), motion(0, 0, 1, 0, 0, 0));
  // general case against the formula written out by hand:
  // w = (1,2,3), v = (4,5,6), a = (-1,0,2), b = (3,-2,1)
  // w x a = (4,-5,2), v x b = (17,14,-23), w x b = (8,8,-8)
  EXPECT_EQ(motion(1, 2, 3, 4, 5, 6).cross(motion(-1, 0, 2, 3, -2, 1)),
            motion(21, 9, -21, 8, 8, -8));
}

TEST(SpatialMotion, InnerSumAndScale) {
  EXPECT_EQ(motion(1, 2, 3, 4, 5, 6).inner(motion(6, 5, 4, 3, 2, 1)), 56.0);
  EXPECT_EQ(motion(1, 2, 3, 4, 5, 6) + motion(1, 1, 1, 1, 1, 1), motion(2, 3, 4, 5, 6, 7));
  EXPECT_EQ(motion(1, 2, 3, 4, 5, 6) * 2.0, motion(2, 4, 6, 8, 10, 12));
  EXPECT_EQ(SpatialMotion::from_rotational_axis(Vector3D::x()), motion(1, 0, 0, 0, 0, 0));
  EXPECT_EQ(SpatialMotion::from_translational_axis(Vector3D::z()), motion(0, 0, 0, 0, 0, 1));
  EXPECT_EQ(motion(1, 2, 3, 4, 5, 6).rotation(), Vector3D(1, 2, 3));
  EXPECT_EQ(motion(1, 2, 3, 4, 5, 6).translation(), Vector3D(4, 5, 6));
}

TEST(SpatialRotation, AxisAngle) {
  const auto r = SpatialRotation::from_axis_angle(Vector3D(0, 0, 2), kPi / 2);
  expect_near(r * Vector3D::x(), Vector3D::y());
  expect_near(r * Vector3D::y(), -Vector3D::x());
  EXPECT_EQ(SpatialRotation::from_axis_angle(Vector3D::zeros(), 0.0), SpatialRotation::identity());
  EXPECT_TRUE(std::isnan(SpatialRotation::from_axis_angle(Vector3D::zeros(), 1.0)(0, 0)));
  // a third of a turn about (1,1,1) permutes the axes
  const auto third = SpatialRotation::from_axis_angle(Vector3D(1, 1, 1), 2 * kPi / 3);
  expect_near(third * Vector3D::x(), Vector3D::y(), 1e-15);
  expect_near(third * Vector3D::y(), Vector3D::z(), 1e-15);
}

TEST(SpatialRotation, EulerAngles) {
  for (double yaw : {-2.0, 0.3, 1.7}) {
    const auto a = SpatialRotation::from_euler_angles(0, 0, yaw);
    const auto b = SpatialRotation::from_axis_angle(Vector3D::z(), yaw);
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) EXPECT_NEAR(a(i, j), b(i, j), 1e-15);
    }
  }
  const auto r = SpatialRotation::from_euler_angles(0.3, 0.5, 0.7);
  EXPECT_EQ(r(2, 0), -std::sin(0.5));
  EXPECT_EQ(r(2, 1), std::cos(0.5) * std::sin(0.3));
  EXPECT_EQ(r(2, 2), std::cos(0.5) * std::cos(0.3));
  // roll about x first, then pitch about y, then yaw about z (fixed axes)
  const auto composed = SpatialRotation::from_axis_angle(Vector3D::z(), 0.7) *
                        SpatialRotation::from_axis_angle(Vector3D::y(), 0.5) *
                        SpatialRotation::from_axis_angle(Vector3D::x(), 0.3);
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) EXPECT_NEAR(r(i, j), composed(i, j), 1e-15);
  }
}

TEST(SE3, CompositionAndInverse) {
  const SE3 a(SpatialRotation::from_axis_angle(Vector3D(1, 2, 3), 0.4), Vector3D(1, -2, 0.5));
  const SE3 b(SpatialRotation::from_euler_angles(0.1, -0.2, 0.3), Vector3D(0, 3, -1));
  const Vector3D x(0.3, -0.7, 2.0);
  expect_near((a * b).act(x), a.act(b.act(x)), 1e-14);
  expect_near((a * a.inverse()).act(x), x, 1e-14);
  EXPECT_EQ(a.inverse().rotation(), a.rotation().transpose());
}

TEST(SE3, ActionMatrixAndItsTranspose) {
  const SE3 t(SpatialRotation::from_axis_angle(Vector3D(0.2, -1, 0.4), 1.1), Vector3D(1, 2, -3));
  const SpatialTransform x = t.action();
  const SpatialMotion m = motion(0.5, -1, 2, 3, 0.25, -4);
  const Vector3D a = m.rotation(), b = m.translation();
  const SpatialRotation& r = t.rotation();
  const Vector3D& p = t.translation();
  const SpatialMotion forward = x * m;  // (R a + p x (R b); R b)
  expect_near(forward.rotation(), r * a + p.cross(r * b), 1e-14);
  expect_near(forward.translation(), r * b, 1e-14);
  const SpatialMotion backward = x.transpose() * m;  // (R^T a; -R^T (p x a) + R^T b)
  const SpatialRotation rt = r.transpose();
  expect_near(backward.rotation(), rt * a, 1e-14);
  expect_near(backward.translation(), -(rt * p.cross(a)) + rt * b, 1e-14);
}

}  // namespace
}  // namespace kinetra
