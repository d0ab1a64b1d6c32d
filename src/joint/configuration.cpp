#include "joint/configuration.hpp"

#include <algorithm>
#include <limits>
#include <numbers>

#include "base/number_format.hpp"
#include "base/panic.hpp"
#include "base/random.hpp"

namespace kinetra {

Configuration Configuration::from_element(std::size_t n, double value) {
  return Configuration(std::vector<double>(n, value));
}

Configuration Configuration::from_row_slice(std::span<const double> values) {
  return Configuration(std::vector<double>(values.begin(), values.end()));
}

Configuration Configuration::concat(std::span<const Configuration> parts) {
  std::size_t total = 0;
  for (const Configuration& part : parts) total += part.len();
  std::vector<double> values;
  values.reserve(total);
  for (const Configuration& part : parts) {
    values.insert(values.end(), part.values_.begin(), part.values_.end());
  }
  return Configuration(std::move(values));
}

Configuration Configuration::random(std::size_t n, ThreadRng& rng, const Configuration& lower,
                                    const Configuration& upper) {
  constexpr double two_pi = 2.0 * std::numbers::pi;
  std::vector<double> values(n);
  for (std::size_t i = 0; i < n; ++i) {
    double lo = lower[i];
    double hi = upper[i];
    if (lo <= -std::numeric_limits<double>::infinity()) lo = -two_pi;
    if (hi >= std::numeric_limits<double>::infinity()) hi = two_pi;
    const auto value = sample_uniform(rng, lo, hi);
    if (!value) panic(display_text(value.error()));
    values[i] = *value;
  }
  return Configuration(std::move(values));
}

double Configuration::operator[](std::size_t i) const {
  if (i >= values_.size()) panic("Matrix index out of bounds.");
  return values_[i];
}

std::span<const double> slice_rows(std::span<const double> values, std::size_t start,
                                   std::size_t count) {
  if (start > values.size() || count > values.size() - start) {
    panic("Matrix slicing out of bounds.");
  }
  return values.subspan(start, count);
}

std::span<const double> Configuration::row_slice(std::size_t start, std::size_t count) const {
  return slice_rows(values_, start, count);
}

Configuration Configuration::rows(std::size_t start, std::size_t count) const {
  return from_row_slice(row_slice(start, count));
}

std::expected<void, ConfigurationError> Configuration::update_rows(std::size_t start,
                                                                   std::span<const double> values) {
  if (start > values_.size() || values.size() > values_.size() - start) {
    panic("Matrix slicing out of bounds.");
  }
  std::copy(values.begin(), values.end(), values_.begin() + static_cast<std::ptrdiff_t>(start));
  return {};
}

Configuration operator+(const Configuration& a, const Configuration& b) {
  if (a.len() != b.len()) {
    panic("Matrix addition/subtraction dimensions mismatch. Left: " + std::to_string(a.len()) +
          ", right: " + std::to_string(b.len()) + ".");
  }
  std::vector<double> values(a.len());
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = a.values_[i] + b.values_[i];
  return Configuration(std::move(values));
}

Configuration operator*(const Configuration& a, double s) {
  std::vector<double> values(a.len());
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = a.values_[i] * s;
  return Configuration(std::move(values));
}

std::string display_text(const ConfigurationError& error) {
  if (const auto* e = std::get_if<ConfigurationError::InvalidSize>(&error.kind())) {
    return "Parameter '" + e->name + "' expected configuration size " +
           std::to_string(e->expected) + ", but got " + std::to_string(e->got);
  }
  const auto& e = std::get<ConfigurationError::MismatchedUpdateSize>(error.kind());
  return "Mismatched sizes when updating configuration rows. Expected size " +
         std::to_string(e.expected) + ", got " + std::to_string(e.got) + ".";
}

std::string debug_text(const Configuration& configuration) {
  std::string out = "Configuration(\n    VecStorage {\n";
  if (configuration.len() == 0) {
    out += "        data: [],\n";
  } else {
    out += "        data: [\n";
    for (const double value : configuration.as_slice()) {
      out += "            ";
      append_debug(out, value);
      out += ",\n";
    }
    out += "        ],\n";
  }
  out += "        nrows: Dyn(\n            " + std::to_string(configuration.len()) +
         ",\n        ),\n        ncols: Const,\n    },\n)";
  return out;
}

}  // namespace kinetra
