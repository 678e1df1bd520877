// FontFace: a typeface at a size, as the glyph sheets of fonts need it: the height of a line, the
// placement of each character's black box (ABC widths) and its coverage.
//
// The runner asks for a family by its Windows name; the common Windows families are first mapped
// to metric-compatible free families (so text keeps the widths the game was laid out with), and
// fontconfig substitutes whatever else the system has. A face is always found: a family the system
// does not know becomes the system's choice of a similar one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qv::platform {

// Placement of one character in pixels: the pen moves a + b + c; the black box starts a pixels
// right of the pen and is b pixels wide.
struct GlyphAbc {
  int a = 0, b = 0, c = 0;
};

class FontFace {
 public:
  virtual ~FontFace() = default;
  // Height of a line of text (ascent plus descent), the height of the cell of every character.
  virtual int lineHeight() const = 0;
  // ABC widths of a character (a Unicode code point); false when the face has no such measure.
  virtual bool abcWidths(uint32_t codePoint, GlyphAbc& out) = 0;
  // Advance of the character as text (used when there are no ABC widths).
  virtual int textWidth(uint32_t codePoint) = 0;
  // Coverage of the character with its pen at (penX, top of the line cell) added into an alpha map
  // of mapWidth x mapHeight bytes (the larger value wins), clipped to the map.
  virtual void render(uint32_t codePoint, int penX, int top, uint8_t* map, int mapWidth, int mapHeight) = 0;
};

// The free family that stands for a Windows family of the same metrics, or the name itself.
std::string MetricCompatibleFamily(const std::string& family);

// A face for the family (UTF-8) at a point size (96 pixels per inch, as the Windows desktop has),
// bold and italic as asked; nullptr only when no font at all can be loaded.
std::unique_ptr<FontFace> OpenFontFace(const std::string& family, int pointSize, bool bold, bool italic);

}  // namespace qv::platform
