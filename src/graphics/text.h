// Text: the layout of a text into lines (line breaks with '#', line feeds, word wrapping), its
// measures, and drawing it with a font, the alignment of the text state, scale, angle and colours.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/font.h"

namespace qv::graphics {

// The lines of a text wrapped at width w (no wrapping when w < 0). An empty text has no lines; a
// line break at the very end starts no further line.
std::vector<std::string> LayoutText(const CFont& f, const std::string& text, double w);
// Sum of the advances of the characters.
int64_t StringWidth(const CFont& f, const std::string& line);
// Widest line of the laid-out text, at least 1.
int64_t TextWidth(const CFont& f, const std::string& text, double w);
// Font height + line distance x (lines - 1), at least 1; sep < 0 takes the font height as distance.
int64_t TextHeight(const CFont& f, const std::string& text, double sep, double w);

// Everything one text drawing needs besides the text.
struct TextStyle {
  double sep = -1.0;  // line distance; below 0 the font height
  double width = -1.0;  // wrap width; below 0 no wrapping
  bool transformed = false;  // alignment rounds (transformed) instead of dividing (plain)
  double xscale = 1.0, yscale = 1.0, angle = 0.0;
  std::array<int32_t, 4> colours{};  // script colours: top-left, top-right, bottom-right, bottom-left
  double alpha = 1.0;
};

// The style of text drawn in the current colour and alpha.
TextStyle CurrentTextStyle(double sep = -1.0, double w = -1.0);

// The full text drawing; every draw_text variant is an adapter over it. Uses the alignment of the
// text state; `f` gets its texture when it has none yet and a device exists.
void DrawText(CFont& f, double x, double y, const std::string& text, const TextStyle& style);

}  // namespace qv::graphics
