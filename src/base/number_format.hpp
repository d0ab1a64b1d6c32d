#pragma once

#include <string>

namespace kinetra {

// Debug format: shortest round-trip text, always with a fractional part; exponent
// form (1e16, 2.5e-7) when |x| >= 1e16 or 0 < |x| < 1e-4; NaN, inf, -inf.
void append_debug(std::string& out, double x);
std::string format_debug(double x);

// Plain format: shortest round-trip text, never in exponent form, no forced
// fractional part (1, -0, 0.25, 0.00001); NaN, inf, -inf.
void append_plain(std::string& out, double x);
std::string format_plain(double x);

// Writes "[a, b, c]" with each item in the debug format.
void append_debug_list(std::string& out, const double* values, std::size_t count);

}  // namespace kinetra
