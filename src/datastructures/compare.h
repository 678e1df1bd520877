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

#include "code/value.h"

namespace qv::datastructures {

using code::RValue;

// The global tolerance; starts at 1e-8, set by ds_set_precision (absolute value).
double Precision();
void SetPrecision(double precision);

int CompareValues(const RValue& a, const RValue& b);

// A strict weak order without tolerance (reals by <, reals before strings, strings byte-wise), for
// sorting fast where it provably gives the same order as the tolerant comparison.
bool ExactLess(const RValue& a, const RValue& b);

}  // namespace qv::datastructures
