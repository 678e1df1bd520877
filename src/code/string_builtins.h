// The strings family of built-in functions: conversions between reals and text, character codes
// and string manipulation. Positions are 1-based and a character is one byte (code page 1252).
#pragma once

#include <string>

#include "code/builtin.h"

namespace qv::code {

BuiltinFamily StringFunctions();

// `string_format`: fixed notation with `dec` decimals (0 to 18), blanks in front up to `tot`
// characters. False when the result would exceed kMaxFormattedLength.
bool FormatReal(double x, int64_t tot, int64_t dec, std::string& out);

// Longest string that string_repeat and string_format build: a larger one is a runaway request
// (a count read from a corrupt file, say) and is refused instead of exhausting memory.
inline constexpr size_t kMaxBuiltString = size_t{64} << 20;

}  // namespace qv::code
