// The comparison of script values used by every find, sort, map order and priority.
//
// compare(a, b):
//  - two reals: 0 when |a - b| <= precision, else the sign of a - b; with precision 0 the
//    tolerance is relative: max(min(|a|, |b|) * 1e-12, 1e-12);
//  - two strings: byte-wise (ordinal) order;
//  - a real and a string: the real is smaller.
// Tolerance makes this comparison non-transitive (a ~ b and b ~ c, yet a < c), which is why the
// containers keep the exact probe sequences of their algorithms.
#pragma once

#include <algorithm>
#include <cmath>

#include "code/value.h"

namespace qv::datastructures {

using code::RValue;

namespace detail {
inline double precision = 1e-8;  // game-wide, like the containers themselves
}

// The global tolerance; starts at 1e-8, set by ds_set_precision (absolute value).
inline double Precision() { return detail::precision; }
inline void SetPrecision(double p) { detail::precision = std::fabs(p); }

// Inline: every search and sort of every container runs through it.
inline int CompareValues(const RValue& a, const RValue& b) {
  if (a.isReal()) {
    if (!b.isReal()) return -1;
    double p = detail::precision;
    double tolerance = p != 0 ? p : std::max(std::min(std::fabs(a.real), std::fabs(b.real)) * 1e-12, 1e-12);
    if (std::fabs(a.real - b.real) <= tolerance) return 0;
    return a.real < b.real ? -1 : 1;
  }
  if (b.isReal()) return 1;
  int c = a.str.compare(b.str);  // char_traits<char>::compare orders bytes as unsigned
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// A strict weak order without tolerance (reals by <, reals before strings, strings byte-wise), for
// sorting fast where it provably gives the same order as the tolerant comparison.
bool ExactLess(const RValue& a, const RValue& b);

}  // namespace qv::datastructures
