#include <gtest/gtest.h>

#include <cmath>

#include "spatial/motion.hpp"
#include "spatial/rotation.hpp"

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
