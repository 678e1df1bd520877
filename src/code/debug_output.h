// Where `show_debug_message` sends its lines, and how it writes numbers. Without a sink (outside
// debug mode in a window) the messages go nowhere; qvscript sets a sink to stdout, the runner one
// to the debugger's message list (and, headless, to stderr).
#pragma once

#include <functional>
#include <string>

namespace qv::code {

using DebugMessageSink = std::function<void(const std::string& line)>;
void SetDebugMessageSink(DebugMessageSink sink);
void ShowDebugMessage(const std::string& line);

// A number as a debug message shows it: a whole real as an integer ("3", "-12",
// "100000000000000000000"), any other in fixed notation with exactly 2 decimals, rounded
// ("123456789.99", "0.33"); "." is the decimal separator. Infinities and NaN as `string` writes them.
std::string DebugNumberText(double x);

}  // namespace qv::code
