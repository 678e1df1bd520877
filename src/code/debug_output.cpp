#include "code/debug_output.h"

#include <cmath>
#include <cstdio>

#include "code/real_to_string.h"

namespace qv::code {

namespace {
DebugMessageSink& debugSink() {
  static DebugMessageSink sink;
  return sink;
}
}  // namespace

void SetDebugMessageSink(DebugMessageSink sink) { debugSink() = std::move(sink); }

void ShowDebugMessage(const std::string& line) {
  if (debugSink()) debugSink()(line);
}

std::string DebugNumberText(double x) {
  if (!std::isfinite(x)) return RealToString(x);
  // Unlike `string`, no rounding to 10 significant digits first: every digit before the point
  // shows (a %.2f of a double has at most 309 of them).
  char text[400];
  if (x == std::floor(x)) std::snprintf(text, sizeof text, "%.0f", x == 0 ? 0.0 : x);
  else std::snprintf(text, sizeof text, "%.2f", x);
  return text;
}

}  // namespace qv::code
