#pragma once

// Cosine and sine of four angles at once for the dynamics passes, within two units in the
// last place of the C library's. One call replaces four library calls (which also spill
// every vector register), and it is the same lane by lane whatever the other lanes hold,
// so a joint's values are the same whether its angle shares a vector with other joints'
// (a single call) or with other samples' (a batch). Forward kinematics keeps the library's
// own bits.

#include <cstdint>

#include "model/kernel_math.hpp"
#include "spatial/trig.hpp"

namespace kinetra::kernel {

// Angles beyond this are left to the library: the reduction below is exact up to it.
inline constexpr double kLaneTrigLimit = 1e5;

KERNEL_INLINE void cos_sin(Packed x, Packed& c, Packed& s) {
  // k = x 2/pi rounded to the nearest integer: adding 1.5 2^52 leaves k in the low bits.
  constexpr double shift = 0x1.8p52;
  const Packed shifted = x * 0x1.45f306dc9c883p-1 + shift;
  const Packed k = shifted - shift;
  const Bits quadrant = Bits(shifted) & 3;
  // r = x - k pi/2 with pi/2 in three parts (Cody and Waite); k times either of the first
  // two, 36 significant bits each, is exact for |k| < 2^17.
  const Packed r =
      ((x - k * 0x1.921fb54440000p+0) - k * 0x1.68c234c4c0000p-39) - k * 0x1.98a2e03707345p-77;
  // Taylor series on |r| <= pi/4, to r^17 and r^16 (the next terms are below 2^-58).
  const Packed z = r * r;
  const Packed ps =
      -1.0 / 6 +
      z * (1.0 / 120 +
           z * (-1.0 / 5040 + z * (1.0 / 362880 + z * (-1.0 / 39916800 +
                                                       z * (1.0 / 6227020800 +
                                                            z * (-1.0 / 1307674368000 +
                                                                 z * (1.0 / 355687428096000)))))));
  const Packed sine = r + (r * z) * ps;
  const Packed pc =
      1.0 / 24 +
      z * (-1.0 / 720 +
           z * (1.0 / 40320 +
                z * (-1.0 / 3628800 + z * (1.0 / 479001600 + z * (-1.0 / 87178291200 +
                                                                  z * (1.0 / 20922789888000))))));
  // 1 - z/2 rounded, then what that rounding lost added back with the rest of the series.
  const Packed half = 0.5 * z;
  const Packed w = 1.0 - half;
  const Packed cosine = w + (((1.0 - w) - half) + (z * z) * pc);
  // Quadrant k mod 4: (sin, cos) is (S, C), (C, -S), (-S, -C) or (-C, S).
  constexpr Bits sign{INT64_MIN, INT64_MIN, INT64_MIN, INT64_MIN};
  const Bits swap = (quadrant & 1) == 1;
  const Bits sine_bits = (Bits(sine) & ~swap) | (Bits(cosine) & swap);
  const Bits cosine_bits = (Bits(cosine) & ~swap) | (Bits(sine) & swap);
  // sin(-0) is -0, which the sum above rounds to +0.
  const Bits zero = x == 0.0;
  s = Packed(((sine_bits ^ (((quadrant & 2) == 2) & sign)) & ~zero) | (Bits(x) & zero));
  c = Packed(cosine_bits ^ ((((quadrant + 1) & 2) == 2) & sign));
  // Every comparison with a not-a-number is false, so those lanes go to the library too.
  const Bits inside = (x >= -kLaneTrigLimit) & (x <= kLaneTrigLimit);
  if (((inside[0] & inside[1]) & (inside[2] & inside[3])) == 0) [[unlikely]] {
    for (int lane = 0; lane < 4; ++lane) {
      if (inside[lane] != 0) continue;
      double cl, sl;
      kinetra::cos_sin(x[lane], cl, sl);
      c[lane] = cl;
      s[lane] = sl;
    }
  }
}

}  // namespace kinetra::kernel
