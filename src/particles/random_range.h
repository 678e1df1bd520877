// The random values particles draw, all from the runner's one generator, and the triangle waves
// of the wiggles.
#pragma once

#include <cmath>
#include <cstdint>

#include "code/random.h"

namespace qv::particles {

enum Distribution : int32_t { kLinear = 0, kGaussian = 1, kInverseGaussian = 2 };

inline double Uniform() { return code::RandomReal(1.0); }

// A value between min and max with the distribution; min itself (and no draw) when max <= min.
inline double RandomInRange(double min, double max, int32_t distribution = kLinear) {
  if (!(max > min)) return min;
  if (distribution != kGaussian && distribution != kInverseGaussian) return min + Uniform() * (max - min);
  double x = 0;
  do {
    x = (Uniform() - 0.5) * 6;
  } while (!(std::exp(-x * x / 2) > Uniform()));
  if (distribution == kGaussian) return min + (x + 3) / 6 * (max - min);
  if (x < 0) x += 6;
  return min + x / 6 * (max - min);
}

// A whole number below n (n >= 1).
inline uint32_t RandomBelow(int64_t n) { return code::RandomInteger(uint32_t(n > 0xFFFFFFFFll ? 0xFFFFFFFFll : n)); }

// value / divisor, reflected above 2 as 4 - that, minus 1: from -1 to 1 and back as value runs
// through its period.
inline double TriangleWave(int64_t value, double divisor) {
  double w = double(value) / divisor;
  if (w > 2) w = 4 - w;
  return w - 1;
}

}  // namespace qv::particles
