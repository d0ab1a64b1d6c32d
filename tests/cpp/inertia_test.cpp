#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "spatial/inertia.hpp"
#include "spatial/symmetric3.hpp"

namespace kinetra {
namespace {

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
  EXPECT_EQ(debug_text(InertiaError{"y"}),
            "InertiaError: Invalid parameter: 'y' must be positive.");
}

}  // namespace
}  // namespace kinetra
