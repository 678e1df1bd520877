// The conversion of text to reals used by `real()`.
//
// Grammar, after removing leading and trailing blanks and control characters (bytes 0..32):
//   number   -> [sign] mantissa [exponent]
//   mantissa -> digits ["." [digits]] | "." digits
//   exponent -> ("e" | "E") [sign] digits
// The separator is always "." whatever the host's locale. The empty text is 0. A number too large
// for a double is refused; one too small becomes 0 (or the nearest subnormal).
#pragma once

#include <string_view>

namespace qv::code {

// True and the value in `out` when `text` is a number; false (out = 0) otherwise.
bool StringToReal(std::string_view text, double& out);

}  // namespace qv::code
