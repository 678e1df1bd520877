// CFont: a font resource, either a typeface font (one glyph sheet: an alpha map in one texture,
// with the cell, advance and left bearing of every character) or a sprite font (one sprite frame
// per character); its record in the game data, the font list, the default font and the text
// drawing state (current font and alignment).
//
// Characters are bytes of code page 1252; only the entries first..last of the tables mean anything.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/resource_list.h"

namespace qv::data {
class CStream;
}
namespace qv::platform {
class FontFace;
}

namespace qv::graphics {

struct CSprite;

// Largest side of a glyph sheet: beyond it the sheet would need a texture larger than devices
// accept and an alpha map of hundreds of megabytes. A font that does not fit keeps no sheet.
inline constexpr int kMaxSheetSide = 8192;

struct CFont {
  std::string name;  // typeface name, "" for a sprite font
  int32_t size = 12;
  bool bold = false, italic = false;
  int32_t first = 32, last = 128;  // always within 0..255 (clamped when read or built)
  int32_t sprite = -1;             // sprite index of a sprite font, -1 for a typeface font
  std::array<int32_t, 256> glyphX{}, glyphY{}, glyphWidth{}, glyphHeight{}, advance{}, offset{};
  int32_t sheetWidth = 0, sheetHeight = 0;
  std::vector<uint8_t> alpha;      // sheetWidth * sheetHeight coverage bytes, row by row
  int texture = -1;

  bool isSpriteFont() const { return sprite >= 0; }
  bool inRange(int c) const { return c >= first && c <= last; }
  // The pen movement of a character; outside the range that of the space when the space is in
  // range, else that of the first character.
  int32_t advanceOf(int c) const;
  // The glyph height of the first character.
  int32_t height() const { return glyphHeight[size_t(first)]; }
};

// The Unicode code point of a code page 1252 byte.
uint32_t Cp1252ToUnicode(uint8_t byte);

// Packs the characters first..last of the face into a sheet (width a power of two, at least 128,
// the first no narrower than the packing is tall) and renders their coverage. False, with an empty
// sheet, when the packing would pass kMaxSheetSide.
bool BuildGlyphSheet(CFont& f, platform::FontFace& face);
// A typeface font: the range is clamped to 0..255, the face is chosen through the platform and the
// sheet built (no texture yet). Always gives a font; without a usable face it has no sheet.
CFont MakeTypefaceFont(const std::string& name, int size, bool bold, bool italic, int first, int last);
// A sprite font over sprite `spriteIndex` (`s` is that sprite): one frame per character from first.
CFont MakeSpriteFont(const CSprite& s, int spriteIndex, int first, bool proportional, int sep);

// The sheet's texture (typeface fonts with a name and a sheet); the old one is freed first.
void CreateFontTexture(CFont& f);
void FreeFontTexture(CFont& f);

// Game data: one font's record after its exists flag and name (version 800, ...). False for
// another version or a sheet that does not match its sizes. Data ending early throws StreamError.
bool ReadFontRecord(data::CStream& s, CFont& f);
void WriteFontRecord(data::CStream& s, const CFont& f);
// The whole font block: version 800, count, one compressed block (exists, name, record) per font.
bool ReadFontBlock(data::CStream& s, ResourceList<CFont>& list);
void WriteFontBlock(data::CStream& s, const ResourceList<CFont>& list);

ResourceList<CFont>& fonts();

// Text drawing state: the current font (-1 the default font) and the alignments.
struct TextState {
  int font = -1;
  int halign = 0;  // 0 left, 1 centre, 2 right
  int valign = 0;  // 0 top, 1 middle, 2 bottom
};
TextState& textState();

// "Arial", 12 points, characters 32 to 127, built (with its texture when a device exists) on first use.
CFont& DefaultFont();
// Forgets the default font (its texture is freed); the next use builds it again.
void ResetDefaultFont();
// The font text is drawn and measured with: the current font, or the default font when the
// current one does not exist.
CFont& CurrentFont();

// Textures of every loaded font, made during preparation after those of backgrounds and sprites.
void CreateFontTextures();

}  // namespace qv::graphics
