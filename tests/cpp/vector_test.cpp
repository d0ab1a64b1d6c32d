#include <gtest/gtest.h>

#include <array>
#include <cstddef>

#include "spatial/color.hpp"
#include "spatial/gravity.hpp"
#include "spatial/vector3d.hpp"
#include "spatial/vector6d.hpp"

namespace kinetra {
namespace {

TEST(Vector3D, CrossProductIsRightHanded) {
  EXPECT_EQ(Vector3D::x().cross(Vector3D::y()), Vector3D::z());
  EXPECT_EQ(Vector3D::y().cross(Vector3D::z()), Vector3D::x());
  EXPECT_EQ(Vector3D::z().cross(Vector3D::x()), Vector3D::y());
  EXPECT_EQ(Vector3D(1, 2, 3).cross(Vector3D(4, 5, 6)), Vector3D(-3, 6, -3));
}

TEST(Vector3D, ArithmeticAndNorm) {
  const Vector3D a(1, 2, 3), b(4, 5, 6);
  EXPECT_EQ(a + b, Vector3D(5, 7, 9));
  EXPECT_EQ(a - b, Vector3D(-3, -3, -3));
  EXPECT_EQ(a * 2.0, Vector3D(2, 4, 6));
  EXPECT_EQ(2.0 * a, a * 2.0);
  EXPECT_EQ(a.component_mul(b), Vector3D(4, 10, 18));
  EXPECT_EQ(a.dot(b), 32.0);
  EXPECT_EQ(Vector3D(3, 4, 0).norm(), 5.0);
}

TEST(Vector3D, DebugText) {
  EXPECT_EQ(debug_text(Vector3D(1, -0.0, 2.5e-7)), "Vector3D([[1.0, -0.0, 2.5e-7]])");
}

TEST(Vector6D, FromComponentsPutsTheAngularPartFirst) {
  const Vector6D v = Vector6D::from_components(Vector3D(1, 2, 3), Vector3D(4, 5, 6));
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(v[i], static_cast<double>(i + 1));
  EXPECT_EQ(v.angular(), Vector3D(1, 2, 3));
  EXPECT_EQ(v.linear(), Vector3D(4, 5, 6));
}

TEST(Color, DebugText) {
  EXPECT_EQ(debug_text(Color(0.9, 0.9, 0.9, 1.0)), "Color([[0.9, 0.9, 0.9, 1.0]])");
}

TEST(Gravity, IsTheSameConstantEveryTime) {
  EXPECT_EQ(&standard_gravity(), &standard_gravity());
  EXPECT_EQ(standard_gravity(), Vector3D(0.0, 0.0, -9.81));
}

}  // namespace
}  // namespace kinetra
