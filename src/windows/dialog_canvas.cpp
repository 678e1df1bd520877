#include "windows/dialog_canvas.h"

#include <algorithm>

#include "graphics/font.h"

namespace qv::windows {

DialogCanvas::DialogCanvas(int width, int height, uint32_t fill)
    : image_(std::clamp(width, 1, data::kMaxBitmapSide), std::clamp(height, 1, data::kMaxBitmapSide), fill) {}

void DialogCanvas::fill(int x, int y, int w, int h, uint32_t colour) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(image_.width, x + std::max(0, w)), y1 = std::min(image_.height, y + std::max(0, h));
  for (int j = y0; j < y1; ++j) std::fill(image_.row(j) + x0, image_.row(j) + std::max(x0, x1), colour);
}

void DialogCanvas::frame(int x, int y, int w, int h, uint32_t colour) {
  fill(x, y, w, 1, colour);
  fill(x, y + h - 1, w, 1, colour);
  fill(x, y, 1, h, colour);
  fill(x + w - 1, y, 1, h, colour);
}

void DialogCanvas::drawImage(const data::TBitmap32& picture, int x, int y, int w, int h,
                             std::optional<uint32_t> transparent) {
  if (picture.empty() || w <= 0 || h <= 0) return;
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(image_.width, x + w), y1 = std::min(image_.height, y + h);
  for (int j = y0; j < y1; ++j) {
    const int sy = int(int64_t(j - y) * picture.height / h);
    const uint32_t* src = picture.row(sy);
    uint32_t* dst = image_.row(j);
    for (int i = x0; i < x1; ++i) {
      const uint32_t p = src[int64_t(i - x) * picture.width / w];
      if (transparent && (p & 0xFFFFFFu) == (*transparent & 0xFFFFFFu)) continue;
      const uint32_t a = p >> 24;
      if (a == 0) continue;
      if (a == 255) {
        dst[i] = p;
        continue;
      }
      const uint32_t d = dst[i];
      auto mix = [a](uint32_t s, uint32_t t) { return (s * a + t * (255 - a)) / 255; };
      dst[i] = 0xFF000000u | mix((p >> 16) & 0xFF, (d >> 16) & 0xFF) << 16 |
               mix((p >> 8) & 0xFF, (d >> 8) & 0xFF) << 8 | mix(p & 0xFF, d & 0xFF);
    }
  }
}

void DialogCanvas::drawText(const graphics::CFont& font, int x, int y, const std::string& line, uint32_t colour,
                            const ClipRect& clip) {
  if (font.isSpriteFont() || font.alpha.empty()) return;
  const int cx0 = std::max(0, clip.x0), cy0 = std::max(0, clip.y0);
  const int cx1 = std::min(image_.width, clip.x1), cy1 = std::min(image_.height, clip.y1);
  int pen = x;
  for (const unsigned char ch : line) {
    if (font.inRange(ch)) {
      const int gx = pen + font.offset[ch];
      for (int row = 0; row < font.glyphHeight[ch]; ++row) {
        const int py = y + row;
        if (py < cy0 || py >= cy1) continue;
        const int sy = font.glyphY[ch] + row;
        if (sy < 0 || sy >= font.sheetHeight) continue;
        for (int col = 0; col < font.glyphWidth[ch]; ++col) {
          const int px = gx + col, sx = font.glyphX[ch] + col;
          if (px < cx0 || px >= cx1 || sx < 0 || sx >= font.sheetWidth) continue;
          const uint32_t a = font.alpha[size_t(sy) * size_t(font.sheetWidth) + size_t(sx)];
          if (a == 0) continue;
          uint32_t& d = image_.row(py)[px];
          auto mix = [a](uint32_t s, uint32_t t) { return (s * a + t * (255 - a)) / 255; };
          d = 0xFF000000u | mix((colour >> 16) & 0xFF, (d >> 16) & 0xFF) << 16 |
              mix((colour >> 8) & 0xFF, (d >> 8) & 0xFF) << 8 | mix(colour & 0xFF, d & 0xFF);
        }
      }
    }
    pen += font.advanceOf(ch);
  }
}

void DialogCanvas::shade(int x, int y, int w, int h, int percent) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(image_.width, x + w), y1 = std::min(image_.height, y + h);
  auto scale = [percent](uint32_t v) { return std::min<uint32_t>(255, v * uint32_t(percent) / 100); };
  for (int j = y0; j < y1; ++j)
    for (int i = x0; i < x1; ++i) {
      uint32_t& d = image_.row(j)[i];
      d = (d & 0xFF000000u) | scale((d >> 16) & 0xFF) << 16 | scale((d >> 8) & 0xFF) << 8 | scale(d & 0xFF);
    }
}

}  // namespace qv::windows
