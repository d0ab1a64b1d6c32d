// The row scheduler of the batches: the failure reported is that of the smallest failing
// row however the workers interleave, also when it is an exception thrown in a worker
// thread (the Python tests cover the rows' results).
#include <gtest/gtest.h>

#include <string>

#include "base/panic.hpp"
#include "model/batch.hpp"

namespace kinetra {
namespace {

// Rows 12, 37 and 80 of 100 fail, each either with an error value or by throwing.
struct Failures {
  bool row12_throws;
  bool row37_throws;
};

class SmallestFailure : public testing::TestWithParam<Failures> {};

TEST_P(SmallestFailure, IsReportedWhateverTheThreads) {
  const Model model = Model::new_empty();
  const Failures f = GetParam();
  const auto row = [&](Data&, std::size_t i) -> std::expected<void, std::size_t> {
    if ((i == 12 && f.row12_throws) || (i == 37 && f.row37_throws))
      panic("row " + std::to_string(i));
    if (i == 12 || i == 37 || i == 80) return std::unexpected(i);
    return {};
  };
  for (int repeat = 0; repeat < 20; ++repeat) {
    for (const std::size_t threads : {1, 2, 3, 8}) {
      if (f.row12_throws) {
        EXPECT_THROW((void)for_each_row<std::size_t>(model, 100, threads, row), Panic);
      } else {
        const auto done = for_each_row<std::size_t>(model, 100, threads, row);
        ASSERT_FALSE(done.has_value());
        EXPECT_EQ(done.error().row, 12u);
        EXPECT_EQ(done.error().error, 12u);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Batch, SmallestFailure,
                         testing::Values(Failures{false, false}, Failures{false, true},
                                         Failures{true, false}));

}  // namespace
}  // namespace kinetra
