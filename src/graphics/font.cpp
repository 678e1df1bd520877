// CFont: code page 1252, glyph sheets (packing and coverage), sprite fonts, textures, records, the
// font list and the default font.
#include "graphics/font.h"

#include <algorithm>
#include <limits>

#include "graphics/bitmap_ops.h"
#include "graphics/sprite.h"
#include "graphics/texture_table.h"
#include "platform/font_face.h"
#include "data/stream.h"

namespace qv::graphics {

namespace {

constexpr int32_t kFontVersion = 800;

int32_t ClampByte(int32_t v) { return std::clamp<int32_t>(v, 0, 255); }

}  // namespace

int32_t CFont::advanceOf(int c) const {
  if (inRange(c)) return advance[size_t(c)];
  if (inRange(32)) return advance[32];
  return advance[size_t(first)];
}

uint32_t Cp1252ToUnicode(uint8_t byte) {
  // 0x80..0x9F hold printable characters in code page 1252; the five bytes it leaves unassigned
  // keep their own values, as the Windows conversion does.
  static constexpr uint16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
  };
  return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

// --- glyph sheets --------------------------------------------------------------------------------

bool BuildGlyphSheet(CFont& f, platform::FontFace& face) {
  f.sheetWidth = f.sheetHeight = 0;
  f.alpha.clear();
  const int lh = face.lineHeight();
  if (lh < 0 || lh + 1 > kMaxSheetSide) return false;
  // Measures do not depend on the sheet width: take them once.
  for (int c = f.first; c <= f.last; ++c) {
    const uint32_t cp = Cp1252ToUnicode(uint8_t(c));
    platform::GlyphAbc abc;
    if (face.abcWidths(cp, abc)) {
      f.glyphWidth[size_t(c)] = abc.b + 1;
      f.advance[size_t(c)] = abc.a + abc.b + abc.c;
      f.offset[size_t(c)] = abc.a;
    } else {
      const int w = face.textWidth(cp);
      f.glyphWidth[size_t(c)] = w + 1 + (f.italic ? lh / 2 + 1 : 0);
      f.advance[size_t(c)] = w;
      f.offset[size_t(c)] = 0;
    }
    f.glyphHeight[size_t(c)] = lh;
    if (f.glyphWidth[size_t(c)] > kMaxSheetSide) return false;
  }
  // The sheet width doubles until the packing is no taller than it is wide.
  for (int w = 128; w <= kMaxSheetSide; w *= 2) {
    int64_t x = 0, y = 0;
    for (int c = f.first; c <= f.last; ++c) {
      const int gw = f.glyphWidth[size_t(c)];
      if (x >= 1 && x + gw >= w) {
        y += lh + 1;
        x = 0;
      }
      f.glyphX[size_t(c)] = int32_t(x);
      f.glyphY[size_t(c)] = int32_t(y);
      x += gw + 1;
    }
    const int64_t h = y + lh + 1;
    if (h > w) continue;
    f.sheetWidth = w;
    f.sheetHeight = int32_t(h);
    f.alpha.assign(size_t(w) * size_t(h), 0);
    // Each character's black box starts at its glyph x: the pen stands `offset` to its left.
    for (int c = f.first; c <= f.last; ++c)
      face.render(Cp1252ToUnicode(uint8_t(c)), f.glyphX[size_t(c)] - f.offset[size_t(c)], f.glyphY[size_t(c)],
                  f.alpha.data(), f.sheetWidth, f.sheetHeight);
    return true;
  }
  return false;
}

CFont MakeTypefaceFont(const std::string& name, int size, bool bold, bool italic, int first, int last) {
  CFont f;
  f.name = name;
  f.size = size;
  f.bold = bold;
  f.italic = italic;
  f.first = ClampByte(first);
  f.last = ClampByte(last);
  // The tables are indexed from first to last only; an empty range keeps them zero.
  if (f.first <= f.last) {
    if (auto face = platform::OpenFontFace(name, size, bold, italic)) BuildGlyphSheet(f, *face);
  }
  return f;
}

CFont MakeSpriteFont(const CSprite& s, int spriteIndex, int first, bool proportional, int sep) {
  CFont f;
  f.name.clear();
  f.sprite = spriteIndex;
  f.first = ClampByte(first);
  f.last = int32_t(std::min<int64_t>(int64_t(f.first) + s.frameCount() - 1, 255));
  for (int c = f.first; c <= f.last; ++c) {
    const data::TBitmap32& frame = s.frames[size_t(c - f.first)];
    Box box{0, 0, s.width(), s.height()};
    if (proportional) box = AlphaBoundingBox(frame, 0);  // right edge inclusive
    f.glyphWidth[size_t(c)] = s.width();
    f.glyphHeight[size_t(c)] = s.height();
    f.advance[size_t(c)] = box.right - box.left + sep;
    f.offset[size_t(c)] = -box.left;
  }
  if (f.last < f.first) f.last = f.first;  // a sprite without frames: one empty character
  return f;
}

void CreateFontTexture(CFont& f) {
  FreeFontTexture(f);
  if (f.isSpriteFont() || f.name.empty() || f.alpha.empty()) return;
  f.texture = textures().fromAlphaMap(f.sheetWidth, f.sheetHeight, f.alpha.data());
}

void FreeFontTexture(CFont& f) {
  if (f.texture >= 0) textures().free(f.texture);
  f.texture = -1;
}

// --- records -------------------------------------------------------------------------------------

bool ReadFontRecord(data::CStream& s, CFont& f) {
  if (s.ReadInteger() != kFontVersion) return false;
  CFont r;
  r.name = s.ReadString();
  r.size = s.ReadInteger();
  r.bold = s.ReadBoolean();
  r.italic = s.ReadBoolean();
  // Ranges outside one byte would index past the 256-entry tables: keep them within.
  r.first = ClampByte(s.ReadInteger());
  r.last = ClampByte(s.ReadInteger());
  for (size_t c = 0; c < 256; ++c) {
    r.glyphX[c] = s.ReadInteger();
    r.glyphY[c] = s.ReadInteger();
    r.glyphWidth[c] = s.ReadInteger();
    r.glyphHeight[c] = s.ReadInteger();
    r.advance[c] = s.ReadInteger();
    r.offset[c] = s.ReadInteger();
  }
  r.sheetWidth = s.ReadInteger();
  r.sheetHeight = s.ReadInteger();
  if (r.sheetWidth < 0 || r.sheetHeight < 0 || r.sheetWidth > kMaxSheetSide || r.sheetHeight > kMaxSheetSide)
    return false;
  data::CStream map = s.ReadRawBlock();
  if (map.size() != size_t(r.sheetWidth) * size_t(r.sheetHeight)) return false;
  r.alpha = std::move(map.bytes());
  f = std::move(r);
  return true;
}

void WriteFontRecord(data::CStream& s, const CFont& f) {
  s.WriteInteger(kFontVersion);
  s.WriteString(f.name);
  s.WriteInteger(f.size);
  s.WriteBoolean(f.bold);
  s.WriteBoolean(f.italic);
  s.WriteInteger(f.first);
  s.WriteInteger(f.last);
  for (size_t c = 0; c < 256; ++c) {
    s.WriteInteger(f.glyphX[c]);
    s.WriteInteger(f.glyphY[c]);
    s.WriteInteger(f.glyphWidth[c]);
    s.WriteInteger(f.glyphHeight[c]);
    s.WriteInteger(f.advance[c]);
    s.WriteInteger(f.offset[c]);
  }
  s.WriteInteger(f.sheetWidth);
  s.WriteInteger(f.sheetHeight);
  data::CStream map(f.alpha);
  s.WriteRawBlock(map);
}

bool ReadFontBlock(data::CStream& s, ResourceList<CFont>& list) {
  list.clear();
  if (s.ReadInteger() != kFontVersion) return false;
  const int32_t count = s.ReadInteger();
  // Each font is at least a block length: a count the data cannot hold is refused.
  if (count < 0 || size_t(count) > s.remaining() / 4) return false;
  for (int32_t i = 0; i < count; ++i) {
    data::CStream block = s.ReadCompressedBlock();
    std::unique_ptr<CFont> font;
    std::string name;
    if (block.ReadBoolean()) {
      name = block.ReadString();
      font = std::make_unique<CFont>();
      if (!ReadFontRecord(block, *font)) return false;
    }
    list.slots.push_back(std::move(font));
    list.names.push_back(name);
  }
  return true;
}

void WriteFontBlock(data::CStream& s, const ResourceList<CFont>& list) {
  s.WriteInteger(kFontVersion);
  s.WriteInteger(list.count());
  for (int i = 0; i < list.count(); ++i) {
    data::CStream block;
    const CFont* f = list.get(i);
    block.WriteBoolean(f != nullptr);
    if (f) {
      block.WriteString(list.names[size_t(i)]);
      WriteFontRecord(block, *f);
    }
    s.WriteCompressedBlock(block);
  }
}

// --- the list, the state and the default font ----------------------------------------------------

ResourceList<CFont>& fonts() {
  static ResourceList<CFont> list;
  return list;
}

TextState& textState() {
  static TextState state;
  return state;
}

namespace {
std::unique_ptr<CFont>& DefaultSlot() {
  static std::unique_ptr<CFont> font;
  return font;
}
}  // namespace

CFont& DefaultFont() {
  std::unique_ptr<CFont>& slot = DefaultSlot();
  if (!slot) slot = std::make_unique<CFont>(MakeTypefaceFont("Arial", 12, false, false, 32, 127));
  if (slot->texture < 0 && textures().device()) CreateFontTexture(*slot);
  return *slot;
}

void ResetDefaultFont() {
  std::unique_ptr<CFont>& slot = DefaultSlot();
  if (slot && textures().device()) FreeFontTexture(*slot);
  slot.reset();
}

CFont& CurrentFont() {
  if (CFont* f = fonts().get(textState().font)) return *f;
  return DefaultFont();
}

void CreateFontTextures() {
  for (int i = 0; i < fonts().count(); ++i)
    if (CFont* f = fonts().get(i)) CreateFontTexture(*f);
}

}  // namespace qv::graphics
