#pragma once

#include <cmath>

namespace kinetra {

// cos(x) and sin(x) from one library call: the C library's sincos shares the argument
// reduction of the two functions and returns their bits (a test checks it), for about
// three quarters of the time of calling both.
inline void cos_sin(double x, double& c, double& s) { ::sincos(x, &s, &c); }

}  // namespace kinetra
