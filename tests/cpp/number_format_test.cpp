#include "base/number_format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace kinetra {
namespace {

struct Case {
  double value;
  const char* debug;
  const char* plain;
};

class NumberFormat : public ::testing::TestWithParam<Case> {};

TEST_P(NumberFormat, DebugAndPlain) {
  const Case& c = GetParam();
  EXPECT_EQ(format_debug(c.value), c.debug);
  if (c.plain != nullptr) {
    EXPECT_EQ(format_plain(c.value), c.plain);
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, NumberFormat,
    ::testing::Values(Case{-0.0, "-0.0", "-0"}, Case{123456.789, "123456.789", "123456.789"},
                      // exponent form from 1e16 upwards
                      Case{1e16, "1e16", "10000000000000000"},
                      Case{9999999999999998.0, "9999999999999998.0", "9999999999999998"},
                      Case{1.5e17, "1.5e17", "150000000000000000"},
                      Case{-2.5e300, "-2.5e300", nullptr},
                      // and below 1e-4
                      Case{1e-4, "0.0001", "0.0001"}, Case{1e-5, "1e-5", "0.00001"},
                      Case{9.999999999999999e-5, "9.999999999999999e-5", "0.00009999999999999999"},
                      Case{-2.5e-7, "-2.5e-7", "-0.00000025"},
                      Case{std::numeric_limits<double>::denorm_min(), "5e-324", nullptr},
                      Case{std::nan(""), "NaN", "NaN"}, Case{-std::nan(""), "NaN", "NaN"},
                      Case{kInf, "inf", "inf"}, Case{-kInf, "-inf", "-inf"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::to_string(info.index); });

TEST(NumberFormat, PlainNeverUsesExponents) {
  EXPECT_EQ(format_plain(-2.5e300), "-25" + std::string(299, '0'));
  const std::string tiny = format_plain(std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(tiny, "0." + std::string(323, '0') + "5");
  EXPECT_EQ(format_plain(std::numeric_limits<double>::max()).size(), 309u);
}

TEST(NumberFormat, RoundTripsRandomValues) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 20000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    double value;
    std::memcpy(&value, &state, sizeof value);
    if (!std::isfinite(value)) continue;
    EXPECT_EQ(std::strtod(format_debug(value).c_str(), nullptr), value) << format_debug(value);
    if (std::fabs(value) < 1e30 && std::fabs(value) > 1e-30) {
      EXPECT_EQ(std::strtod(format_plain(value).c_str(), nullptr), value) << format_plain(value);
    }
  }
}

}  // namespace
}  // namespace kinetra
