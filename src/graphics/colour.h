// Colour encodings: script colours 0x00BBGGRR (red in the low byte) as game code uses them, device
// colours 0xAARRGGBB as the device and pixels use them, and the HSV and merge conversions.
#pragma once

#include <cstdint>

namespace qv::graphics {

// Device colour from a script colour and an alpha 0..1 (clamped; NaN counts as 0).
uint32_t ScriptToDevice(int32_t scriptColour, double alpha);
// Script colour (alpha dropped) of a device colour.
int32_t DeviceToScript(uint32_t argb);
int32_t MakeScriptColour(int red, int green, int blue);

struct Hsv {
  int hue, saturation, value;  // bytes 0..255
};
Hsv RgbToHsv(int red, int green, int blue);
// Red, green and blue bytes of an HSV colour (each channel truncated).
void HsvToRgb(int hue, int saturation, int value, int& red, int& green, int& blue);

// Every byte (red, green, blue and the top byte) of two colours mixed: round((1 - a) * x + a * y).
uint32_t MergeColour(uint32_t first, uint32_t second, double amount);

}  // namespace qv::graphics
