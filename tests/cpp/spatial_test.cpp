#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "spatial/motion.hpp"
#include "spatial/rotation.hpp"
#include "spatial/trig.hpp"

namespace kinetra {
namespace {

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

// Random axes and angles are checked against a matrix exponential by the dynamics tests.
TEST(SpatialRotation, AxisAngleAboutNoAxis) {
  EXPECT_EQ(SpatialRotation::from_axis_angle(Vector3D::zeros(), 0.0), SpatialRotation::identity());
  EXPECT_TRUE(std::isnan(SpatialRotation::from_axis_angle(Vector3D::zeros(), 1.0)(0, 0)));
}

}  // namespace
}  // namespace kinetra

// The joints take cosine and sine from one sincos call; forward kinematics promises the
// bits of cos and sin, so the two must agree everywhere, also far from the origin.
TEST(Trig, SinCosGivesTheBitsOfCosAndSin) {
  std::mt19937_64 rng(7);
  for (int exponent = -40; exponent <= 40; exponent += 4) {
    std::uniform_real_distribution<double> uniform(-std::ldexp(1.0, exponent),
                                                   std::ldexp(1.0, exponent));
    for (int i = 0; i < 20000; ++i) {
      const double x = uniform(rng);
      double c, s;
      kinetra::cos_sin(x, c, s);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(c), std::bit_cast<std::uint64_t>(std::cos(x))) << x;
      ASSERT_EQ(std::bit_cast<std::uint64_t>(s), std::bit_cast<std::uint64_t>(std::sin(x))) << x;
    }
  }
}
