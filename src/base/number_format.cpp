#include "base/number_format.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace kinetra {
namespace {

// The shortest decimal digits that read back to |x|, and the decimal exponent of
// the first digit: |x| = d0.d1d2... * 10^exponent.
struct Decimal {
  char digits[24];
  int count = 0;
  int exponent = 0;
};

Decimal shortest_decimal(double magnitude) {
  char buffer[40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
  Decimal decimal;
  const char* p = buffer;
  for (; p != result.ptr && *p != 'e'; ++p) {
    if (*p != '.') decimal.digits[decimal.count++] = *p;
  }
  // p is at the 'e'; the exponent has a sign and no terminator follows it.
  const char* exponent = p + 2;
  std::from_chars(exponent, result.ptr, decimal.exponent);
  if (p[1] == '-') decimal.exponent = -decimal.exponent;
  while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0') --decimal.count;
  return decimal;
}

bool append_special(std::string& out, double x) {
  if (std::isnan(x)) {
    out += "NaN";
    return true;
  }
  if (std::isinf(x)) {
    out += x > 0 ? "inf" : "-inf";
    return true;
  }
  return false;
}

void append_fixed(std::string& out, const Decimal& d, bool force_fraction) {
  if (d.exponent >= 0) {
    for (int i = 0; i <= d.exponent; ++i) out += i < d.count ? d.digits[i] : '0';
    if (d.count > d.exponent + 1) {
      out += '.';
      out.append(d.digits + d.exponent + 1, d.digits + d.count);
    } else if (force_fraction) {
      out += ".0";
    }
  } else {
    out += "0.";
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out.append(d.digits, d.digits + d.count);
  }
}

void append_exponent(std::string& out, const Decimal& d) {
  out += d.digits[0];
  if (d.count > 1) {
    out += '.';
    out.append(d.digits + 1, d.digits + d.count);
  }
  out += 'e';
  out += std::to_string(d.exponent);
}

}  // namespace

void append_debug(std::string& out, double x) {
  if (append_special(out, x)) return;
  if (std::signbit(x)) out += '-';
  const double magnitude = std::fabs(x);
  if (magnitude == 0.0) {
    out += "0.0";
    return;
  }
  const Decimal d = shortest_decimal(magnitude);
  if (magnitude >= 1e16 || magnitude < 1e-4) {
    append_exponent(out, d);
  } else {
    append_fixed(out, d, true);
  }
}

void append_plain(std::string& out, double x) {
  if (append_special(out, x)) return;
  if (std::signbit(x)) out += '-';
  const double magnitude = std::fabs(x);
  if (magnitude == 0.0) {
    out += '0';
    return;
  }
  append_fixed(out, shortest_decimal(magnitude), false);
}

std::string format_debug(double x) {
  std::string out;
  append_debug(out, x);
  return out;
}

std::string format_plain(double x) {
  std::string out;
  append_plain(out, x);
  return out;
}

void append_debug_list(std::string& out, const double* values, std::size_t count) {
  out += '[';
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) out += ", ";
    append_debug(out, values[i]);
  }
  out += ']';
}

}  // namespace kinetra
