#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "model/kernel_trig.hpp"
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

// Units in the last place between a and b (same sign); huge when the signs differ.
std::int64_t ulps(double a, double b) {
  if (a == b) return std::signbit(a) == std::signbit(b) ? 0 : 1 << 30;
  const auto ia = std::bit_cast<std::int64_t>(a), ib = std::bit_cast<std::int64_t>(b);
  return (ia < 0) != (ib < 0) ? 1 << 30 : std::abs(ia - ib);
}

TEST(Trig, LaneCosSinIsWithinTwoUnitsOfTheLibraryInEveryLane) {
  std::mt19937_64 rng(11);
  std::vector<double> xs = {0.0, -0.0, 1e-300, -1e-310, 1e5, -1e5, 1.0000001e5, 1e300};
  for (int exponent = -30; exponent <= 16; exponent += 2) {
    std::uniform_real_distribution<double> uniform(-std::ldexp(1.0, exponent),
                                                   std::ldexp(1.0, exponent));
    for (int i = 0; i < 4000; ++i) xs.push_back(uniform(rng));
  }
  for (int k = -64; k <= 64; ++k) {  // next to multiples of pi/2, where reduction cancels
    const double x = k * 1.5707963267948966;
    xs.insert(xs.end(), {x, std::nextafter(x, 1e9), std::nextafter(x, -1e9)});
  }
  std::uniform_real_distribution<double> other(-10.0, 10.0);
  for (const double x : xs) {
    const int lane = static_cast<int>(rng() % 4);
    kinetra::kernel::Packed in = {other(rng), other(rng), other(rng), other(rng)}, c, s;
    in[lane] = x;
    kinetra::kernel::cos_sin(in, c, s);
    ASSERT_LE(ulps(c[lane], std::cos(x)), 2) << x;
    ASSERT_LE(ulps(s[lane], std::sin(x)), 2) << x;
    if (!(std::abs(x) <= kinetra::kernel::kLaneTrigLimit)) {  // the library's own bits
      ASSERT_EQ(ulps(c[lane], std::cos(x)), 0) << x;
    }
  }
  kinetra::kernel::Packed c, s;
  kinetra::kernel::cos_sin(kinetra::kernel::Packed{NAN, INFINITY, -INFINITY, 0.5}, c, s);
  for (int lane = 0; lane < 3; ++lane) EXPECT_TRUE(std::isnan(c[lane]) && std::isnan(s[lane]));
}
