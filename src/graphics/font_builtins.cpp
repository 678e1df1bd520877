// The font_* functions, the text drawing state, measuring and drawing text.
//
// Sections: helpers; text state and measures; drawing text; font resources; the table.
#include <algorithm>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/builtins.h"
#include "graphics/draw_state.h"
#include "graphics/font.h"
#include "graphics/sprite.h"
#include "graphics/text.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::ReportActionError;

// --- helpers -------------------------------------------------------------------------------------

constexpr const char* kNewFont = "__newfont";

CFont* Font(const BuiltinCall& c, int i) { return fonts().get(c.integer(i)); }

// Alignment values other than 0, 1 and 2 count as 0.
int Alignment(int v) { return v >= 0 && v <= 2 ? v : 0; }

void Transform(TextStyle& s, const BuiltinCall& c, int first) {
  s.transformed = true;
  s.xscale = c.real(first);
  s.yscale = c.real(first + 1);
  s.angle = c.real(first + 2);
}

void Colours(TextStyle& s, const BuiltinCall& c, int first) {
  for (int k = 0; k < 4; ++k) s.colours[size_t(k)] = c.integer(first + k);
  s.alpha = c.real(first + 4);
}

// --- text state and measures ---------------------------------------------------------------------

void draw_set_font(BuiltinCall& c) { textState().font = fonts().exists(c.integer(0)) ? c.integer(0) : -1; }
void draw_set_halign(BuiltinCall& c) { textState().halign = Alignment(c.integer(0)); }
void draw_set_valign(BuiltinCall& c) { textState().valign = Alignment(c.integer(0)); }

void string_width(BuiltinCall& c) { c.result = double(TextWidth(CurrentFont(), c.string(0), -1)); }
void string_height(BuiltinCall& c) { c.result = double(TextHeight(CurrentFont(), c.string(0), -1, -1)); }
// The separation does not change the width.
void string_width_ext(BuiltinCall& c) { c.result = double(TextWidth(CurrentFont(), c.string(0), c.real(2))); }
void string_height_ext(BuiltinCall& c) {
  c.result = double(TextHeight(CurrentFont(), c.string(0), c.real(1), c.real(2)));
}

// --- drawing text --------------------------------------------------------------------------------

void draw_text(BuiltinCall& c) { DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), CurrentTextStyle(-1, -1)); }

void draw_text_ext(BuiltinCall& c) {
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), CurrentTextStyle(c.real(3), c.real(4)));
}

void draw_text_transformed(BuiltinCall& c) {
  TextStyle s = CurrentTextStyle(-1, -1);
  Transform(s, c, 3);
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), s);
}

void draw_text_ext_transformed(BuiltinCall& c) {
  TextStyle s = CurrentTextStyle(c.real(3), c.real(4));
  Transform(s, c, 5);
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), s);
}

void draw_text_color(BuiltinCall& c) {
  TextStyle s = CurrentTextStyle(-1, -1);
  Colours(s, c, 3);
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), s);
}

void draw_text_transformed_color(BuiltinCall& c) {
  TextStyle s = CurrentTextStyle(-1, -1);
  Transform(s, c, 3);
  Colours(s, c, 6);
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), s);
}

void draw_text_ext_color(BuiltinCall& c) {
  TextStyle s = CurrentTextStyle(c.real(3), c.real(4));
  Colours(s, c, 5);
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), s);
}

void draw_text_ext_transformed_color(BuiltinCall& c) {
  TextStyle s = CurrentTextStyle(c.real(3), c.real(4));
  Transform(s, c, 5);
  Colours(s, c, 8);
  DrawText(CurrentFont(), c.real(0), c.real(1), c.string(2), s);
}

// --- font resources ------------------------------------------------------------------------------

void font_exists(BuiltinCall& c) { c.result = code::truthValue(fonts().exists(c.integer(0))); }
void font_get_name(BuiltinCall& c) { c.result.setString(fonts().name(c.integer(0))); }
void font_get_fontname(BuiltinCall& c) {
  const CFont* f = Font(c, 0);
  c.result.setString(f ? f->name : std::string());
}

template <class F>
void Getter(BuiltinCall& c, F field) {
  const CFont* f = Font(c, 0);
  c.result = f ? double(field(*f)) : -1.0;
}
void font_get_size(BuiltinCall& c) { Getter(c, [](const CFont& f) { return f.size; }); }
void font_get_bold(BuiltinCall& c) { Getter(c, [](const CFont& f) { return f.bold ? 1 : 0; }); }
void font_get_italic(BuiltinCall& c) { Getter(c, [](const CFont& f) { return f.italic ? 1 : 0; }); }
void font_get_first(BuiltinCall& c) { Getter(c, [](const CFont& f) { return f.first; }); }
void font_get_last(BuiltinCall& c) { Getter(c, [](const CFont& f) { return f.last; }); }

CFont TypefaceFrom(const BuiltinCall& c, int first) {
  CFont f = MakeTypefaceFont(c.string(first), c.integer(first + 1), c.truth(first + 2), c.truth(first + 3),
                             c.integer(first + 4), c.integer(first + 5));
  CreateFontTexture(f);
  return f;
}

void font_add(BuiltinCall& c) {
  c.result = double(fonts().append(std::make_unique<CFont>(TypefaceFrom(c, 0)), kNewFont));
}

void font_add_sprite(BuiltinCall& c) {
  const CSprite* s = sprites().get(c.integer(0));
  if (!s) {
    ReportActionError("Trying to create font from non-existing sprite.");
    c.result = -1.0;
    return;
  }
  CFont f = MakeSpriteFont(*s, c.integer(0), c.integer(1), c.truth(2), c.integer(3));
  c.result = double(fonts().append(std::make_unique<CFont>(std::move(f)), kNewFont));
}

void font_replace(BuiltinCall& c) {
  CFont* old = Font(c, 0);
  if (!old) {
    ReportActionError("Trying to replace non-existing font.");
    return;
  }
  FreeFontTexture(*old);
  *old = TypefaceFrom(c, 1);
}

void font_replace_sprite(BuiltinCall& c) {
  CFont* old = Font(c, 0);
  if (!old) {
    ReportActionError("Trying to replace non-existing font.");
    return;
  }
  const CSprite* s = sprites().get(c.integer(1));
  if (!s) {
    ReportActionError("Trying to replace font from non-existing sprite.");
    return;
  }
  FreeFontTexture(*old);
  *old = MakeSpriteFont(*s, c.integer(1), c.integer(2), c.truth(3), c.integer(4));
}

void font_delete(BuiltinCall& c) {
  CFont* f = Font(c, 0);
  if (!f) {
    ReportActionError("Trying to delete non-existing font.");
    return;
  }
  FreeFontTexture(*f);
  fonts().slots[size_t(c.integer(0))].reset();
}

// --- the table -----------------------------------------------------------------------------------

const BuiltinFunction kFontFunctions[] = {
    {"draw_set_font", draw_set_font, 1},
    {"draw_set_halign", draw_set_halign, 1},
    {"draw_set_valign", draw_set_valign, 1},
    {"string_width", string_width, 1},
    {"string_height", string_height, 1},
    {"string_width_ext", string_width_ext, 3},
    {"string_height_ext", string_height_ext, 3},
    {"draw_text", draw_text, 3},
    {"draw_text_ext", draw_text_ext, 5},
    {"draw_text_transformed", draw_text_transformed, 6},
    {"draw_text_ext_transformed", draw_text_ext_transformed, 8},
    {"draw_text_color", draw_text_color, 8},
    {"draw_text_transformed_color", draw_text_transformed_color, 11},
    {"draw_text_ext_color", draw_text_ext_color, 10},
    {"draw_text_ext_transformed_color", draw_text_ext_transformed_color, 13},
    {"font_exists", font_exists, 1},
    {"font_name", font_get_name, 1},
    {"font_get_name", font_get_name, 1},
    {"font_get_fontname", font_get_fontname, 1},
    {"font_get_size", font_get_size, 1},
    {"font_get_bold", font_get_bold, 1},
    {"font_get_italic", font_get_italic, 1},
    {"font_get_first", font_get_first, 1},
    {"font_get_last", font_get_last, 1},
    {"font_add", font_add, 6},
    {"font_add_sprite", font_add_sprite, 4},
    {"font_replace", font_replace, 7},
    {"font_replace_sprite", font_replace_sprite, 5},
    {"font_delete", font_delete, 1},
};

}  // namespace

code::BuiltinFamily FontBuiltins() { return kFontFunctions; }

}  // namespace qv::graphics
