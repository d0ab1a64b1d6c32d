#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <vector>

#include "spatial/array_view.hpp"
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

// A 3x4 row-major block of 0..11 viewed in several layouts.
class ArrayViewTest : public ::testing::Test {
 protected:
  std::array<double, 12> data{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const char* base() const { return reinterpret_cast<const char*>(data.data()); }
};

TEST_F(ArrayViewTest, ReadsByLogicalIndex) {
  const std::ptrdiff_t shape[] = {3, 4}, strides[] = {32, 8};
  const NdArrayView view(base(), shape, strides);
  EXPECT_EQ(view.size(), 12u);
  EXPECT_EQ(view.at(2, 1), 9.0);
  std::vector<double> seen;
  view.for_each([&](double x) { seen.push_back(x); });
  EXPECT_EQ(seen, std::vector<double>(data.begin(), data.end()));
}

TEST_F(ArrayViewTest, TransposedAndNegativeStrides) {
  const std::ptrdiff_t shape[] = {4, 3}, strides[] = {8, 32};
  const NdArrayView transposed(base(), shape, strides);
  EXPECT_EQ(transposed.at(1, 2), 9.0);
  std::vector<double> seen;
  transposed.for_each([&](double x) { seen.push_back(x); });
  EXPECT_EQ(seen, (std::vector<double>{0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11}));

  const std::ptrdiff_t rshape[] = {6}, rstrides[] = {-16};
  const NdArrayView reversed(base() + 11 * 8, rshape, rstrides);
  seen.clear();
  reversed.for_each([&](double x) { seen.push_back(x); });
  EXPECT_EQ(seen, (std::vector<double>{11, 9, 7, 5, 3, 1}));
}

TEST_F(ArrayViewTest, EmptyAndScalar) {
  const std::ptrdiff_t shape[] = {2, 0}, strides[] = {0, 8};
  int calls = 0;
  NdArrayView(base(), shape, strides).for_each([&](double) { ++calls; });
  EXPECT_EQ(calls, 0);
  NdArrayView(base() + 8, {}, {}).for_each([&](double x) { calls += static_cast<int>(x); });
  EXPECT_EQ(calls, 1);
}

TEST(Vector3D, FromArrayChecksTheShape) {
  const double values[] = {1, 0, 2, 0, 3};
  const std::ptrdiff_t strided[] = {3}, step[] = {16};
  const auto v = Vector3D::from_pyarray(
      NdArrayView(reinterpret_cast<const char*>(values), strided, step));
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(*v, Vector3D(1, 2, 3));
  const std::ptrdiff_t wrong[] = {4}, column[] = {3, 1}, unit[] = {8, 8};
  for (const auto& view : {NdArrayView(reinterpret_cast<const char*>(values), wrong, unit),
                           NdArrayView(reinterpret_cast<const char*>(values), column, unit)}) {
    const auto result = Vector3D::from_pyarray(view);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), "Input array must be one-dimensional with length 3.");
  }
}

}  // namespace
}  // namespace kinetra
