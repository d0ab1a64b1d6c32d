#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "base/panic.hpp"
#include "base/random.hpp"
#include "joint/configuration.hpp"

namespace kinetra {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

Configuration values(std::initializer_list<double> list) {
  return Configuration::from_row_slice(std::span<const double>(list.begin(), list.size()));
}

void expect_panic(auto&& f, const std::string& fragment) {
  try {
    f();
    ADD_FAILURE() << "no panic";
  } catch (const Panic& panic) {
    EXPECT_NE(std::string(panic.what()).find(fragment), std::string::npos) << panic.what();
  }
}

TEST(Configuration, ConcatRowsAndUpdate) {
  const Configuration parts[] = {values({1}), values({}), values({2, 3})};
  Configuration c = Configuration::concat(parts);
  EXPECT_EQ(c, values({1, 2, 3}));
  EXPECT_EQ(c.rows(3, 0).len(), 0u);
  const double update[] = {9, 8};
  ASSERT_TRUE(c.update_rows(1, update).has_value());
  EXPECT_EQ(c, values({1, 9, 8}));
  expect_panic([&] { (void)c.update_rows(2, update); }, "Matrix slicing out of bounds.");
  EXPECT_EQ(c, values({1, 9, 8}));
}

TEST(Configuration, RandomRespectsBounds) {
  ThreadRng& rng = thread_rng();
  const Configuration lower = values({-kInf, 1, -1e-300, 5});
  const Configuration upper = values({kInf, 2, 1e-300, 5.000000000000001});
  const double turn = 2 * std::numbers::pi;  // what an infinite bound stands for
  for (int i = 0; i < 20000; ++i) {
    const Configuration q = Configuration::random(4, rng, lower, upper);
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_GE(q[k], k == 0 ? -turn : lower[k]) << k;
      EXPECT_LT(q[k], k == 0 ? turn : upper[k]) << k;
    }
  }
}

TEST(Configuration, RandomFailures) {
  ThreadRng& rng = thread_rng();
  for (const double low : {0.0, 2.0, std::nan("")}) {
    expect_panic([&] { Configuration::random(1, rng, values({low}), values({0})); },
                 "cannot sample empty range");
  }
  expect_panic([&] { Configuration::random(1, rng, values({-1e308}), values({1e308})); },
               "Non-finite");
  expect_panic([&] { Configuration::random(2, rng, values({0}), values({1})); },
               "Matrix index out of bounds.");
}

TEST(ThreadRng, ChaChaBlockMatchesTheReferenceVector) {
  // ChaCha20 block test vector (key 00..1f, block counter 1, nonce 00:00:00:09
  // 00:00:00:4a 00:00:00:00) in the 64-bit counter / 64-bit stream layout.
  std::array<std::uint32_t, 8> key;
  for (std::uint32_t i = 0; i < 8; ++i) {
    key[i] = (4 * i) | (4 * i + 1) << 8 | (4 * i + 2) << 16 | (4 * i + 3) << 24;
  }
  const auto block = chacha_block(key, (std::uint64_t{0x09000000} << 32) | 1, 0x4a000000, 20);
  EXPECT_EQ(block[0], 0xe4e7f110u);
  EXPECT_EQ(block[1], 0x15593bd1u);
  EXPECT_EQ(block[15], 0x4e3c50a2u);
}

TEST(ThreadRng, DrawsLookUniform) {
  ThreadRng& rng = thread_rng();
  constexpr int n = 200000;
  double sum = 0.0;
  int buckets[10] = {};
  for (int i = 0; i < n; ++i) {
    const double u = rng.next_f64();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    ++buckets[static_cast<int>(u * 10)];
  }
  EXPECT_NEAR(sum / n, 0.5, 0.005);
  for (int count : buckets) EXPECT_NEAR(count, n / 10, n / 100);
}

}  // namespace
}  // namespace kinetra
