// The operators of the language, shared by constant folding and execution so that both give the
// same results and the same messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "code/value.h"

namespace qv::code {

// Largest string an operator may build (repetition, concatenation): a game never needs more,
// and an unchecked `1e12 * "ab"` would ask for terabytes.
inline constexpr size_t kMaxStringLength = size_t{64} << 20;
inline constexpr const char* kStringTooLongMessage = "String too long.";

// Applies `left op right` into `left` (the accumulator). Returns nullptr on success, else the
// message to record; `left` is then unspecified.
const char* ApplyBinary(int32_t op, RValue& left, const RValue& right);
// Applies a prefix operator to `value` in place; nullptr on success, else the message.
const char* ApplyUnary(int32_t op, RValue& value);

// The comparison tolerance of `==`, `<` and the others.
inline constexpr double kCompareEpsilon = 1e-13;

}  // namespace qv::code
