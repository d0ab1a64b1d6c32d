#pragma once

#include <array>
#include <span>
#include <string>

namespace kinetra {

// An RGBA colour of a geometry object.
class Color {
 public:
  constexpr Color() = default;
  constexpr Color(double red, double green, double blue, double alpha)
      : data_{red, green, blue, alpha} {}

  constexpr double red() const { return data_[0]; }
  constexpr double green() const { return data_[1]; }
  constexpr double blue() const { return data_[2]; }
  constexpr double alpha() const { return data_[3]; }
  std::span<const double, 4> as_slice() const { return data_; }

  friend bool operator==(const Color&, const Color&) = default;

 private:
  std::array<double, 4> data_{};
};

// "Color([[r, g, b, a]])", numbers in the debug format.
std::string debug_text(const Color& color);

}  // namespace kinetra
