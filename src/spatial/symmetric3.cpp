#include "spatial/symmetric3.hpp"

#include <cmath>
#include <cstdio>

#include "base/number_format.hpp"

namespace kinetra {

std::expected<Symmetric3, std::string> Symmetric3::from_rows(std::span<const double, 9> rows) {
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      if (!(rows[i * 3 + j] == rows[j * 3 + i])) {
        return std::unexpected("Input array must be symmetric");
      }
    }
  }
  return Symmetric3(rows[0], rows[4], rows[8], rows[1], rows[2], rows[5]);
}

Symmetric3 Symmetric3::skew_square(const Vector3D& v) {
  const double x = v[0], y = v[1], z = v[2];
  return {-(y * y + z * z), -(x * x + z * z), -(x * x + y * y), x * y, x * z, y * z};
}

double Symmetric3::operator()(std::size_t row, std::size_t col) const {
  static constexpr std::size_t index[3][3] = {{0, 3, 4}, {3, 1, 5}, {4, 5, 2}};
  return data_[index[row][col]];
}

std::array<double, 9> Symmetric3::to_rows() const {
  std::array<double, 9> rows;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) rows[i * 3 + j] = (*this)(i, j);
  }
  return rows;
}

Symmetric3 Symmetric3::rotate(const SpatialRotation& r) const {
  double rs[3][3];  // R S
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      rs[i][j] = r(i, 0) * (*this)(0, j) + r(i, 1) * (*this)(1, j) + r(i, 2) * (*this)(2, j);
    }
  }
  auto entry = [&](std::size_t i, std::size_t j) {  // (R S R^T)(i, j)
    return rs[i][0] * r(j, 0) + rs[i][1] * r(j, 1) + rs[i][2] * r(j, 2);
  };
  return {entry(0, 0), entry(1, 1), entry(2, 2), entry(0, 1), entry(0, 2), entry(1, 2)};
}

Vector3D operator*(const Symmetric3& s, const Vector3D& v) {
  return {s(0, 0) * v[0] + s(0, 1) * v[1] + s(0, 2) * v[2],
          s(1, 0) * v[0] + s(1, 1) * v[1] + s(1, 2) * v[2],
          s(2, 0) * v[0] + s(2, 1) * v[1] + s(2, 2) * v[2]};
}

Symmetric3 operator+(const Symmetric3& a, const Symmetric3& b) {
  Symmetric3 r;
  for (std::size_t i = 0; i < 6; ++i) r.data_[i] = a.data_[i] + b.data_[i];
  return r;
}

Symmetric3 operator-(const Symmetric3& a, const Symmetric3& b) {
  Symmetric3 r;
  for (std::size_t i = 0; i < 6; ++i) r.data_[i] = a.data_[i] - b.data_[i];
  return r;
}

Symmetric3 operator*(double s, const Symmetric3& m) {
  Symmetric3 r;
  for (std::size_t i = 0; i < 6; ++i) r.data_[i] = s * m.data_[i];
  return r;
}

std::string debug_text(const Symmetric3& s) {
  std::string out = "Symmetric3 { data: ";
  append_debug_list(out, s.data().data(), 6);
  return out + " }";
}

namespace {

void append_fixed4(std::string& out, double x) {
  if (std::isnan(x)) {
    out += "NaN";
  } else if (std::isinf(x)) {
    out += x > 0 ? "inf" : "-inf";
  } else {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.4f", x);
    out += buffer;
  }
}

}  // namespace

std::string repr_text(const Symmetric3& s) {
  std::string out = "Symmetric3(\n";
  for (std::size_t i = 0; i < 3; ++i) {
    out += "  [";
    for (std::size_t j = 0; j < 3; ++j) {
      if (j != 0) out += ", ";
      append_fixed4(out, s(i, j));
    }
    out += i < 2 ? "],\n" : "]\n";
  }
  return out + ")";
}

}  // namespace kinetra
