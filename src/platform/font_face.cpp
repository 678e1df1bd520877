// FontFace through fontconfig (choosing the file) and FreeType (measuring and rendering glyphs).
//
// Sizes follow the Windows desktop: a point is 96/72 pixels, so 12 points is an em of 16 pixels.
// The line cell is the face's Windows ascent plus descent (from its OS/2 table, the measures a
// Windows text extent is made of), each rounded up so that no glyph is cut. Glyphs are hinted and
// rendered with 256 levels of grey coverage, which is what the glyph sheets store.
#include "platform/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <mutex>
#include <string_view>

namespace qv::platform {

namespace {

// Windows family -> free family with the same advance widths (lower-case keys).
struct FamilyMapping {
  std::string_view windows, free;
};
constexpr FamilyMapping kFamilies[] = {
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"ms serif", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
    {"verdana", "DejaVu Sans"},
    {"tahoma", "DejaVu Sans"},
    {"lucida console", "DejaVu Sans Mono"},
    {"georgia", "DejaVu Serif"},
};

FT_Library Library() {
  static FT_Library library = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  });
  return library;
}

// The file and face index fontconfig picks for the family; whether that face is bold or italic.
struct Match {
  std::string file;
  int index = 0;
  bool bold = false, italic = false;
};

bool FindFont(const std::string& family, bool bold, bool italic, Match& out) {
  static std::mutex mutex;  // fontconfig's current configuration is shared
  std::lock_guard<std::mutex> lock(mutex);
  FcConfig* config = FcConfigGetCurrent();
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  const bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    out.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) out.index = index;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    out.bold = weight >= FC_WEIGHT_DEMIBOLD;
    out.italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return ok;
}

class FreeTypeFace final : public FontFace {
 public:
  FreeTypeFace(FT_Face face, int ppem, bool emboldenGlyphs, bool slantGlyphs)
      : face_(face), embolden_(emboldenGlyphs) {
    FT_Set_Pixel_Sizes(face_, 0, FT_UInt(ppem));
    if (slantGlyphs) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // x += 0.2126 y, the usual oblique slant
      FT_Set_Transform(face_, &shear, nullptr);
    }
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && face_->units_per_EM > 0 && os2->usWinAscent + os2->usWinDescent > 0) {
      const double scale = double(ppem) / face_->units_per_EM;
      ascent_ = int(std::ceil(os2->usWinAscent * scale));
      descent_ = int(std::ceil(os2->usWinDescent * scale));
    } else {
      ascent_ = int((face_->size->metrics.ascender + 63) >> 6);
      descent_ = int((-face_->size->metrics.descender + 63) >> 6);
    }
  }
  ~FreeTypeFace() override { FT_Done_Face(face_); }

  int lineHeight() const override { return ascent_ + descent_; }

  bool abcWidths(uint32_t codePoint, GlyphAbc& out) override {
    if (!Load(codePoint, true)) return false;
    const FT_GlyphSlot g = face_->glyph;
    const int advance = int((g->advance.x + 32) >> 6);
    if (g->bitmap.width == 0) {
      out = GlyphAbc{0, 0, advance};
    } else {
      out.a = g->bitmap_left;
      out.b = int(g->bitmap.width);
      out.c = advance - out.a - out.b;
    }
    return true;
  }

  int textWidth(uint32_t codePoint) override {
    if (!Load(codePoint, false)) return 0;
    return int((face_->glyph->advance.x + 32) >> 6);
  }

  void render(uint32_t codePoint, int penX, int top, uint8_t* map, int mapWidth, int mapHeight) override {
    if (!Load(codePoint, true)) return;
    const FT_GlyphSlot g = face_->glyph;
    const FT_Bitmap& b = g->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const int x0 = penX + g->bitmap_left, y0 = top + ascent_ - g->bitmap_top;
    for (int row = 0; row < int(b.rows); ++row) {
      const int y = y0 + row;
      if (y < 0 || y >= mapHeight) continue;
      const uint8_t* src = b.buffer + ptrdiff_t(row) * b.pitch;
      for (int col = 0; col < int(b.width); ++col) {
        const int x = x0 + col;
        if (x < 0 || x >= mapWidth) continue;
        uint8_t& dst = map[size_t(y) * size_t(mapWidth) + size_t(x)];
        dst = std::max(dst, src[col]);
      }
    }
  }

 private:
  // Loads (and, when `rendered`, renders) the glyph of a code point into the face's slot.
  bool Load(uint32_t codePoint, bool rendered) {
    const FT_UInt index = FT_Get_Char_Index(face_, codePoint);
    if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) != 0) return false;
    if (embolden_) FT_GlyphSlot_Embolden(face_->glyph);
    if (rendered && FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
    return true;
  }

  FT_Face face_;
  bool embolden_;
  int ascent_ = 0, descent_ = 0;
};

}  // namespace

std::string MetricCompatibleFamily(const std::string& family) {
  std::string key = family;
  for (char& ch : key) ch = char(std::tolower(static_cast<unsigned char>(ch)));
  for (const FamilyMapping& m : kFamilies)
    if (key == m.windows) return std::string(m.free);
  return family;
}

std::unique_ptr<FontFace> OpenFontFace(const std::string& family, int pointSize, bool bold, bool italic) {
  FT_Library library = Library();
  if (!library) return nullptr;
  Match match;
  if (!FindFont(MetricCompatibleFamily(family), bold, italic, match) &&
      !FindFont("sans-serif", bold, italic, match))
    return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(library, match.file.c_str(), match.index, &face) != 0) return nullptr;
  // Points to pixels at 96 per inch, rounded as the Windows size conversion rounds; 1 to 8192
  // pixels (a larger em could not fit any glyph sheet a device accepts).
  const int64_t size = std::clamp<int64_t>(pointSize, 1, 8192);
  const int ppem = int(std::clamp<int64_t>((size * 96 + 36) / 72, 1, 8192));
  return std::make_unique<FreeTypeFace>(face, ppem, bold && !match.bold, italic && !match.italic);
}

}  // namespace qv::platform
