#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "joint/configuration.hpp"
#include "base/panic.hpp"
#include "base/random.hpp"

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
  EXPECT_EQ(Configuration::concat({}).len(), 0u);
  EXPECT_EQ(c.rows(1, 2), values({2, 3}));
  EXPECT_EQ(c.rows(3, 0).len(), 0u);
  const double update[] = {9, 8};
  ASSERT_TRUE(c.update_rows(1, update).has_value());
  EXPECT_EQ(c, values({1, 9, 8}));
  expect_panic([&] { (void)c.rows(2, 2); }, "Matrix slicing out of bounds.");
  expect_panic([&] { (void)c.update_rows(2, update); }, "Matrix slicing out of bounds.");
  expect_panic([&] { (void)c[3]; }, "Matrix index out of bounds.");
  EXPECT_EQ(c, values({1, 9, 8}));
}

TEST(Configuration, Arithmetic) {
  EXPECT_EQ(values({1, 2}) + values({3, 4}), values({4, 6}));
  EXPECT_EQ(values({1, 2}) * 2.0, values({2, 4}));
  expect_panic([] { (void)(values({1, 2}) + values({1})); },
               "Matrix addition/subtraction dimensions mismatch.");
}

TEST(Configuration, RandomRespectsBounds) {
  ThreadRng& rng = thread_rng();
  const Configuration lower = values({-kInf, 1, -1e-300, 5});
  const Configuration upper = values({kInf, 2, 1e-300, 5.000000000000001});
  double low_seen = 0, high_seen = 0;
  for (int i = 0; i < 20000; ++i) {
    const Configuration q = Configuration::random(4, rng, lower, upper);
    EXPECT_GE(q[0], -2 * std::numbers::pi);
    EXPECT_LT(q[0], 2 * std::numbers::pi);
    EXPECT_GE(q[1], 1.0);
    EXPECT_LT(q[1], 2.0);
    EXPECT_GE(q[2], -1e-300);
    EXPECT_LT(q[2], 1e-300);
    EXPECT_GE(q[3], 5.0);
    EXPECT_LT(q[3], 5.000000000000001);
    low_seen = std::min(low_seen, q[0]);
    high_seen = std::max(high_seen, q[0]);
  }
  EXPECT_LT(low_seen, -6.0);  // the whole range is used
  EXPECT_GT(high_seen, 6.0);
}

TEST(Configuration, RandomFailures) {
  ThreadRng& rng = thread_rng();
  expect_panic([&] { Configuration::random(1, rng, values({0}), values({0})); },
               "cannot sample empty range");
  expect_panic([&] { Configuration::random(1, rng, values({2}), values({1})); },
               "cannot sample empty range");
  expect_panic([&] { Configuration::random(1, rng, values({std::nan("")}), values({1})); },
               "cannot sample empty range");
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
  EXPECT_NE(rng.next_u64(), rng.next_u64());
}

}  // namespace
}  // namespace kinetra
