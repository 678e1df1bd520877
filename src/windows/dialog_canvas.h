// DialogCanvas: the client area of one of the runner's own windows (messages, the highscore
// table, menus, choosers) drawn in memory: filled boxes, images stretched with a transparent
// colour, and text in the game's own typeface fonts (the glyph sheets text drawing uses), so a
// dialog looks the same on every desktop and can be compared pixel for pixel in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/bitmap32.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

struct ClipRect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1, y1 exclusive
};

class DialogCanvas {
 public:
  DialogCanvas(int width, int height, uint32_t fill);

  int width() const { return image_.width; }
  int height() const { return image_.height; }
  const data::TBitmap32& image() const { return image_; }

  // Colours are device colours, 0xAARRGGBB; everything is clipped to the canvas.
  void fill(int x, int y, int w, int h, uint32_t colour);
  void frame(int x, int y, int w, int h, uint32_t colour);
  // The picture stretched over the rectangle (nearest pixel); pixels of `transparent`'s colour
  // (alpha ignored) are left out.
  void drawImage(const data::TBitmap32& picture, int x, int y, int w, int h,
                 std::optional<uint32_t> transparent = std::nullopt);
  // One line of code page 1252 text with its top-left at (x, y) in `colour`, clipped to `clip`.
  void drawText(const graphics::CFont& font, int x, int y, const std::string& line, uint32_t colour,
                const ClipRect& clip);
  // A darker or lighter copy of the rectangle's pixels (a pressed or hovered look): each channel
  // scaled by percent / 100, clamped to 255.
  void shade(int x, int y, int w, int h, int percent);

 private:
  data::TBitmap32 image_;
};

}  // namespace qv::windows
