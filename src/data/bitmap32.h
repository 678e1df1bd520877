// TBitmap32: the 32-bit in-memory image used for every picture the runner holds
// (settings pictures, sprite and background frames, image files, captures).
//
// Invariant: pixels.size() == width * height; row 0 is the top row; each pixel is a device colour
// 0xAARRGGBB (so the bytes in memory are B, G, R, A). Alpha is not premultiplied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv::data {

struct TBitmap32 {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  TBitmap32() = default;
  TBitmap32(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

  bool empty() const { return width <= 0 || height <= 0; }
  uint32_t pixel(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  void setPixel(int x, int y, uint32_t c) { pixels[size_t(y) * size_t(width) + size_t(x)] = c; }
  uint32_t* row(int y) { return pixels.data() + size_t(y) * size_t(width); }
  const uint32_t* row(int y) const { return pixels.data() + size_t(y) * size_t(width); }
};

// Largest image the runner accepts from data or files: width and height each at most this,
// so that width * height * 4 always fits in memory arithmetic.
inline constexpr int kMaxBitmapSide = 16384;

}  // namespace qv::data
