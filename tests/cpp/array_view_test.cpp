#include <gtest/gtest.h>

#include <vector>

#include "python/array_view.hpp"

namespace kinetra::python {
namespace {

std::vector<double> read(const NdArrayView& view) {
  const RowMajorValues values(view);
  return {values.span().begin(), values.span().end()};
}

TEST(ArrayView, ValuesInLogicalRowMajorOrder) {
  const double data[] = {1, 2, 3, 4};
  const std::ptrdiff_t shape[] = {2, 2}, rows[] = {16, 8}, cols[] = {8, 16};
  const char* base = reinterpret_cast<const char*>(data);
  EXPECT_EQ(read(NdArrayView(base, shape, rows)), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(read(NdArrayView(base, shape, cols)), (std::vector<double>{1, 3, 2, 4}));
}

}  // namespace
}  // namespace kinetra::python
