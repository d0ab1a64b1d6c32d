#pragma once

#include <cstddef>
#include <expected>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kinetra {

class ThreadRng;
class ConfigurationError;

// A joint-space vector: q (length nq), v, a and tau (length nv).
class Configuration {
 public:
  Configuration() = default;

  static Configuration zeros(std::size_t n) { return from_element(n, 0.0); }
  static Configuration from_element(std::size_t n, double value);
  static Configuration from_row_slice(std::span<const double> values);
  static Configuration concat(std::span<const Configuration> parts);
  // n values, value i uniform in [lower[i], upper[i]) with infinite bounds replaced
  // by -2 pi / 2 pi. An empty or non-finite range is an internal failure.
  static Configuration random(std::size_t n, ThreadRng& rng, const Configuration& lower,
                              const Configuration& upper);

  std::size_t len() const { return values_.size(); }
  std::span<const double> as_slice() const { return values_; }
  std::span<double> as_mut_slice() { return values_; }
  // Internal failure "Matrix index out of bounds." when i >= len().
  double operator[](std::size_t i) const;
  // Internal failure "Matrix slicing out of bounds." when start + count > len().
  Configuration rows(std::size_t start, std::size_t count) const;
  std::span<const double> row_slice(std::size_t start, std::size_t count) const;
  // Overwrites positions start .. start + len(values) - 1 (internal failure past the end).
  std::expected<void, ConfigurationError> update_rows(std::size_t start,
                                                      std::span<const double> values);

  friend Configuration operator+(const Configuration& a, const Configuration& b);
  friend Configuration operator*(const Configuration& a, double s);
  friend bool operator==(const Configuration&, const Configuration&) = default;

 private:
  explicit Configuration(std::vector<double> values) : values_(std::move(values)) {}
  std::vector<double> values_;
};

// values[start .. start + count), or the internal failure "Matrix slicing out of bounds.".
std::span<const double> slice_rows(std::span<const double> values, std::size_t start,
                                   std::size_t count);

// Size errors of joint-space vectors.
class ConfigurationError {
 public:
  struct InvalidSize {
    std::string name;
    std::size_t expected;
    std::size_t got;
  };
  struct MismatchedUpdateSize {
    std::size_t expected;
    std::size_t got;
  };

  static ConfigurationError invalid_size(std::string name, std::size_t expected, std::size_t got) {
    return ConfigurationError(InvalidSize{std::move(name), expected, got});
  }
  static ConfigurationError mismatched_update_size(std::size_t expected, std::size_t got) {
    return ConfigurationError(MismatchedUpdateSize{expected, got});
  }
  const std::variant<InvalidSize, MismatchedUpdateSize>& kind() const { return kind_; }

 private:
  explicit ConfigurationError(std::variant<InvalidSize, MismatchedUpdateSize> kind)
      : kind_(std::move(kind)) {}
  std::variant<InvalidSize, MismatchedUpdateSize> kind_;
};

// Display and debug text (the same).
std::string display_text(const ConfigurationError& error);

// The multi-line pretty debug text used by repr().
std::string debug_text(const Configuration& configuration);

}  // namespace kinetra
