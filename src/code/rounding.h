// Conversions of reals to integers, the one place where game reals become indices, ids and counts.
//
// Rule: a real used as an integer is rounded to the nearest integer with ties to even (2.5 -> 2,
// 3.5 -> 4) into a 64-bit signed integer; a 32-bit target takes the low 32 bits. NaN, the
// infinities and values beyond the 64-bit range give INT64_MIN, whose low 32 bits are 0: a defined
// result that fails every range check instead of undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

namespace qv::code {

inline constexpr int64_t kIndefiniteInteger = INT64_MIN;

// Nearest integer, ties to even (the default rounding mode; never std::round, which rounds ties away).
inline int64_t roundToInt64(double x) {
  if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0)) return kIndefiniteInteger;
  return static_cast<int64_t>(std::nearbyint(x));
}

// The low 32 bits of roundToInt64, for specifiers, ids, indices and colours.
inline int32_t roundToInt32(double x) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(roundToInt64(x))));
}

// Truncation toward zero into 64 bits with the same treatment of values out of range.
inline int64_t truncToInt64(double x) {
  if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0)) return kIndefiniteInteger;
  return static_cast<int64_t>(x);
}

// The largest integer not above x, into 64 bits with the same treatment of values out of range.
inline int64_t floorToInt64(double x) {
  if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0)) return kIndefiniteInteger;
  return static_cast<int64_t>(std::floor(x));
}

// floor(x) modulo `count` (count > 0), made non-negative: the frame that an image index selects.
// Huge reals keep their exact remainder; NaN and the infinities select 0.
inline int32_t floorModulo(double x, int32_t count) {
  if (count <= 0) return 0;
  const double n = count;
  double r = std::fmod(std::floor(x), n);
  if (r < 0) r += n;
  if (!(r >= 0 && r < n)) return 0;
  return static_cast<int32_t>(r);
}

// Saturation of a 64-bit integer to the 32-bit range, for sums and differences of 32-bit values
// that game data or code chose (room sizes, view positions).
inline int32_t saturateToInt32(int64_t v) {
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// Truncation toward zero to a 32-bit signed integer (low 32 bits), as `div`, `mod` and floor-like results use.
inline int32_t truncToInt32(double x) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(truncToInt64(x))));
}

}  // namespace qv::code
