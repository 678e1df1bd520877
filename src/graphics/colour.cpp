#include "graphics/colour.h"

#include <algorithm>
#include <cmath>

#include "code/rounding.h"

namespace qv::graphics {

uint32_t ScriptToDevice(int32_t c, double alpha) {
  double a = 255.0 * alpha;
  if (!(a > 0.0)) a = 0.0;
  if (a > 255.0) a = 255.0;
  const uint32_t alphaByte = uint32_t(code::roundToInt32(a));
  const uint32_t u = uint32_t(c);
  return alphaByte << 24 | (u & 0xFF) << 16 | ((u >> 8) & 0xFF) << 8 | ((u >> 16) & 0xFF);
}

int32_t DeviceToScript(uint32_t argb) {
  return int32_t(((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16));
}

int32_t MakeScriptColour(int red, int green, int blue) {
  return int32_t((uint32_t(red) & 0xFF) | (uint32_t(green) & 0xFF) << 8 | (uint32_t(blue) & 0xFF) << 16);
}

Hsv RgbToHsv(int red, int green, int blue) {
  const double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const double delta = mx - mn;
  const double s = mx == 0.0 ? 0.0 : delta / mx;
  double h = 0.0;
  if (s != 0.0) {
    if (r == mx) {
      h = 60.0 * (g - b) / delta;
    } else if (g == mx) {
      h = 60.0 * (b - r) / delta + 120.0;
    } else {
      h = 60.0 * (r - g) / delta + 240.0;
    }
    if (h < 0.0) h += 360.0;
  }
  return Hsv{int(std::trunc(h * 255.0 / 360.0)), int(std::trunc(s * 255.0)), int(std::trunc(mx * 255.0))};
}

void HsvToRgb(int hue, int saturation, int value, int& red, int& green, int& blue) {
  double h = hue * 360.0 / 255.0;
  if (h == 360.0) h = 0.0;
  const double s = saturation / 255.0, v = value / 255.0;
  double r = v, g = v, b = v;
  if (s != 0.0) {
    const double k = h / 60.0;
    const int i = int(std::trunc(k));
    const double f = k - i;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
      case 0: r = v; g = t; b = p; break;
      case 1: r = q; g = v; b = p; break;
      case 2: r = p; g = v; b = t; break;
      case 3: r = p; g = q; b = v; break;
      case 4: r = t; g = p; b = v; break;
      default: r = v; g = p; b = q; break;
    }
  }
  // Channels beyond 0..255 (a saturation or value beyond 255) truncate as every other real does
  // into a 32-bit integer; a plain conversion of a real out of the int range is undefined.
  red = code::truncToInt32(r * 255.0);
  green = code::truncToInt32(g * 255.0);
  blue = code::truncToInt32(b * 255.0);
}

uint32_t MergeColour(uint32_t first, uint32_t second, double amount) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double x = double((first >> shift) & 0xFF), y = double((second >> shift) & 0xFF);
    int v = code::roundToInt32((1.0 - amount) * x + amount * y);
    v = std::clamp(v, 0, 255);
    out |= uint32_t(v) << shift;
  }
  return out;
}

}  // namespace qv::graphics
