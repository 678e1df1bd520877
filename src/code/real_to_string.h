// The conversion of reals to text used by `string`, `show_debug_message` and every function that
// shows a value as text.
//
// A real whose rounding equals it exactly is written as a decimal integer; any other real is rounded
// to 10 significant decimal digits and written with 2 decimals ("." always), or in scientific form
// "d.dddddddddE+xx" when it has more than 10 digits before the point.
#pragma once

#include <string>

namespace qv::code {

std::string RealToString(double x);

}  // namespace qv::code
