// The draw_* functions of game code that draw shapes, primitives, sprites and backgrounds, the
// drawing state (colour, alpha, blend mode, circle precision), and the colour functions.
//
// Sections: helpers; state; shapes; primitives; sprites, backgrounds and surfaces; colours; the tables.
#include <algorithm>
#include <cmath>
#include <optional>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/builtins.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/drawing.h"
#include "graphics/seams.h"
#include "graphics/sprite_drawing.h"
#include "graphics/surface.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::ReportActionError;

// --- helpers -------------------------------------------------------------------------------------

double X(const BuiltinCall& c, int i) { return c.real(i); }
uint32_t Current() { return drawState().colour; }
// A script colour argument with the current alpha.
uint32_t Col(const BuiltinCall& c, int i) { return ScriptToDevice(c.integer(i), drawState().alpha); }
std::array<uint32_t, 4> Four(uint32_t c) { return {c, c, c, c}; }

// The frame of a sprite argument: a subimg below 0 takes the calling instance's image_index
// rounded down. Reports a sprite that does not exist and gives nullopt.
std::optional<Image> SpriteArg(const BuiltinCall& c, int spr, int sub) {
  const CSprite* s = sprites().get(c.integer(spr));
  if (!s) {
    ReportActionError("Trying to draw non-existing sprite.");
    return std::nullopt;
  }
  int subimg = c.integer(sub);
  if (subimg < 0) subimg = code::truncToInt32(std::floor(CallerImageIndex(c.self)));
  const Image img = SpriteImage(*s, subimg);
  if (img.texture < 0) return std::nullopt;
  return img;
}

std::optional<Image> BackgroundArg(const BuiltinCall& c, int back) {
  const CBackground* b = backgrounds().get(c.integer(back));
  if (!b) {
    ReportActionError("Trying to draw non-existing background.");
    return std::nullopt;
  }
  return BackgroundImage(*b);
}

// --- state ---------------------------------------------------------------------------------------

void draw_set_color(BuiltinCall& c) { drawState().colour = ScriptToDevice(c.integer(0), drawState().alpha); }
void draw_get_color(BuiltinCall& c) { c.result = double(drawState().scriptColour()); }

void draw_set_alpha(BuiltinCall& c) {
  DrawState& ds = drawState();
  const double a = c.real(0);
  ds.alpha = a > 1.0 ? 1.0 : (a > 0.0 ? a : 0.0);  // NaN counts as 0
  ds.colour = ScriptToDevice(ds.scriptColour(), ds.alpha);
}
void draw_get_alpha(BuiltinCall& c) { c.result = drawState().alpha; }

void SetBlend(int src, int dest) {
  display().srcBlend = src;
  display().destBlend = dest;
  display().applyRenderStates();
}

void draw_set_blend_mode(BuiltinCall& c) {
  switch (c.integer(0)) {
    case 1: SetBlend(5, 2); break;   // add: source alpha, one
    case 2: SetBlend(5, 4); break;   // max: source alpha, inverse source colour
    case 3: SetBlend(1, 4); break;   // subtract: zero, inverse source colour
    default: SetBlend(5, 6); break;  // normal: source alpha, inverse source alpha
  }
}

// Factors 1 to 11 only: any other number has no meaning on the device, and the mode stays.
void draw_set_blend_mode_ext(BuiltinCall& c) {
  const int src = c.integer(0), dest = c.integer(1);
  if (src < 1 || src > 11 || dest < 1 || dest > 11) return;
  SetBlend(src, dest);
}

void draw_set_circle_precision(BuiltinCall& c) { drawState().setCirclePrecision(c.integer(0)); }

void draw_clear(BuiltinCall& c) {
  if (platform::Device* d = display().device()) d->clear(true, ScriptToDevice(c.integer(0), 1.0), false, 1.0f);
}
void draw_clear_alpha(BuiltinCall& c) {
  if (platform::Device* d = display().device()) d->clear(true, ScriptToDevice(c.integer(0), c.real(1)), false, 1.0f);
}

void draw_getpixel(BuiltinCall& c) {
  const data::TBitmap32 px = display().capture(c.integer(0), c.integer(1), 1, 1);
  c.result = px.pixels.empty() ? 0.0 : double(DeviceToScript(px.pixels[0]));
}

// --- shapes --------------------------------------------------------------------------------------

void draw_point(BuiltinCall& c) { DrawPoint(X(c, 0), X(c, 1), Current()); }
void draw_point_color(BuiltinCall& c) { DrawPoint(X(c, 0), X(c, 1), Col(c, 2)); }
void draw_line(BuiltinCall& c) { DrawLine(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Current(), Current()); }
void draw_line_color(BuiltinCall& c) { DrawLine(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Col(c, 4), Col(c, 5)); }
void draw_line_width(BuiltinCall& c) {
  DrawLineWidth(X(c, 0), X(c, 1), X(c, 2), X(c, 3), X(c, 4), Current(), Current());
}
void draw_line_width_color(BuiltinCall& c) {
  DrawLineWidth(X(c, 0), X(c, 1), X(c, 2), X(c, 3), X(c, 4), Col(c, 5), Col(c, 6));
}
void draw_rectangle(BuiltinCall& c) { DrawRectangle(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Four(Current()), c.truth(4)); }
void draw_rectangle_color(BuiltinCall& c) {
  DrawRectangle(X(c, 0), X(c, 1), X(c, 2), X(c, 3), {Col(c, 4), Col(c, 5), Col(c, 6), Col(c, 7)}, c.truth(8));
}
void draw_roundrect(BuiltinCall& c) {
  DrawRoundRect(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Current(), Current(), c.truth(4));
}
void draw_roundrect_color(BuiltinCall& c) {
  DrawRoundRect(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Col(c, 4), Col(c, 5), c.truth(6));
}
void draw_triangle(BuiltinCall& c) {
  DrawTriangle(X(c, 0), X(c, 1), X(c, 2), X(c, 3), X(c, 4), X(c, 5), Current(), Current(), Current(), c.truth(6));
}
void draw_triangle_color(BuiltinCall& c) {
  DrawTriangle(X(c, 0), X(c, 1), X(c, 2), X(c, 3), X(c, 4), X(c, 5), Col(c, 6), Col(c, 7), Col(c, 8), c.truth(9));
}
void draw_circle(BuiltinCall& c) {
  const double x = X(c, 0), y = X(c, 1), r = X(c, 2);
  DrawEllipse(x - r, y - r, x + r, y + r, Current(), Current(), c.truth(3));
}
void draw_circle_color(BuiltinCall& c) {
  const double x = X(c, 0), y = X(c, 1), r = X(c, 2);
  DrawEllipse(x - r, y - r, x + r, y + r, Col(c, 3), Col(c, 4), c.truth(5));
}
void draw_ellipse(BuiltinCall& c) {
  DrawEllipse(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Current(), Current(), c.truth(4));
}
void draw_ellipse_color(BuiltinCall& c) {
  DrawEllipse(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Col(c, 4), Col(c, 5), c.truth(6));
}
void draw_arrow(BuiltinCall& c) { DrawArrow(X(c, 0), X(c, 1), X(c, 2), X(c, 3), X(c, 4), Current()); }
void draw_button(BuiltinCall& c) { DrawButton(X(c, 0), X(c, 1), X(c, 2), X(c, 3), c.truth(4), Current()); }
void draw_healthbar(BuiltinCall& c) {
  DrawHealthbar(X(c, 0), X(c, 1), X(c, 2), X(c, 3), X(c, 4), c.integer(5), c.integer(6), c.integer(7), c.integer(8),
                c.truth(9), c.truth(10), drawState().alpha);
}

// --- primitives ----------------------------------------------------------------------------------

void draw_primitive_begin(BuiltinCall& c) { PrimitiveBegin(c.integer(0), -1); }
void draw_primitive_begin_texture(BuiltinCall& c) { PrimitiveBegin(c.integer(0), c.integer(1)); }
void draw_vertex(BuiltinCall& c) { PrimitiveVertex(X(c, 0), X(c, 1), 0, 0, Current()); }
void draw_vertex_color(BuiltinCall& c) {
  PrimitiveVertex(X(c, 0), X(c, 1), 0, 0, ScriptToDevice(c.integer(2), c.real(3)));
}
void draw_vertex_texture(BuiltinCall& c) { PrimitiveVertex(X(c, 0), X(c, 1), X(c, 2), X(c, 3), Current()); }
void draw_vertex_texture_color(BuiltinCall& c) {
  PrimitiveVertex(X(c, 0), X(c, 1), X(c, 2), X(c, 3), ScriptToDevice(c.integer(4), c.real(5)));
}
void draw_primitive_end(BuiltinCall&) { PrimitiveEnd(); }

// --- sprites and backgrounds ---------------------------------------------------------------------
// Both kinds share the same argument layouts after their leading resource arguments (`n` of them:
// sprite and subimg, or background).

constexpr uint32_t kWhite = 0xFFFFFFFF;

template <int n>
void Plain(BuiltinCall& c, const Image& img) {
  DrawImageExt(img, X(c, n), X(c, n + 1), 1, 1, 0, kWhite);
}
template <int n>
void Ext(BuiltinCall& c, const Image& img) {
  DrawImageExt(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3), X(c, n + 4),
               ScriptToDevice(c.integer(n + 5), c.real(n + 6)));
}
template <int n>
void Part(BuiltinCall& c, const Image& img) {
  DrawImageGeneral(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3), X(c, n + 4), X(c, n + 5), 1, 1, 0,
                   Four(kWhite));
}
template <int n>
void PartExt(BuiltinCall& c, const Image& img) {
  DrawImageGeneral(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3), X(c, n + 4), X(c, n + 5), X(c, n + 6),
                   X(c, n + 7), 0, Four(ScriptToDevice(c.integer(n + 8), c.real(n + 9))));
}
template <int n>
void General(BuiltinCall& c, const Image& img) {
  const double a = c.real(n + 13);
  DrawImageGeneral(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3), X(c, n + 4), X(c, n + 5), X(c, n + 6),
                   X(c, n + 7), X(c, n + 8),
                   {ScriptToDevice(c.integer(n + 9), a), ScriptToDevice(c.integer(n + 10), a),
                    ScriptToDevice(c.integer(n + 11), a), ScriptToDevice(c.integer(n + 12), a)});
}
template <int n>
void Stretched(BuiltinCall& c, const Image& img) {
  DrawImageStretched(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3), kWhite);
}
template <int n>
void StretchedExt(BuiltinCall& c, const Image& img) {
  DrawImageStretched(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3),
                     ScriptToDevice(c.integer(n + 4), c.real(n + 5)));
}
template <int n>
void Tiled(BuiltinCall& c, const Image& img) {
  DrawImageTiled(img, X(c, n), X(c, n + 1), 1, 1, kWhite, true, true, roomArea()());
}
template <int n>
void TiledExt(BuiltinCall& c, const Image& img) {
  DrawImageTiled(img, X(c, n), X(c, n + 1), X(c, n + 2), X(c, n + 3), ScriptToDevice(c.integer(n + 4), c.real(n + 5)),
                 true, true, roomArea()());
}

// draw_sprite keeps the plain quad of the sprite drawing (white and opaque whatever the state).
void draw_sprite(BuiltinCall& c) {
  if (SpriteArg(c, 0, 1)) {
    int subimg = c.integer(1);
    if (subimg < 0) subimg = code::truncToInt32(std::floor(CallerImageIndex(c.self)));
    DrawSprite(*sprites().get(c.integer(0)), subimg, X(c, 2), X(c, 3));
  }
}

template <void (*Form)(BuiltinCall&, const Image&)>
void SpriteForm(BuiltinCall& c) {
  if (const auto img = SpriteArg(c, 0, 1)) Form(c, *img);
}
template <void (*Form)(BuiltinCall&, const Image&)>
void BackgroundForm(BuiltinCall& c) {
  if (const auto img = BackgroundArg(c, 0)) Form(c, *img);
}

// A surface that does not exist is reported. The surface being drawn into is not drawn into
// itself: reading a texture while writing it gives undefined pixels, so nothing is drawn.
std::optional<Image> SurfaceArg(const BuiltinCall& c, int id) {
  if (!SurfaceExists(c.integer(id))) {
    ReportActionError("Trying to use non-existing surface.");
    return std::nullopt;
  }
  if (c.integer(id) == SurfaceTarget()) return std::nullopt;
  return SurfaceImage(c.integer(id));
}
void draw_surface(BuiltinCall& c) {
  if (const auto img = SurfaceArg(c, 0)) DrawImage(*img, X(c, 1), X(c, 2));
}
template <void (*Form)(BuiltinCall&, const Image&)>
void SurfaceForm(BuiltinCall& c) {
  if (const auto img = SurfaceArg(c, 0)) Form(c, *img);
}

// --- colours -------------------------------------------------------------------------------------

void make_color(BuiltinCall& c) {
  c.result = double(c.integer(0)) + double(c.integer(1)) * 256.0 + double(c.integer(2)) * 65536.0;
}
void make_color_hsv(BuiltinCall& c) {
  int r = 0, g = 0, b = 0;
  HsvToRgb(c.integer(0), c.integer(1), c.integer(2), r, g, b);
  c.result = double(MakeScriptColour(r, g, b));
}
// Channels of a script colour, with truncating division and remainder as integers have them.
int64_t Channel(const BuiltinCall& c, int64_t divisor) { return code::roundToInt64(c.real(0)) / divisor % 256; }
void color_get_red(BuiltinCall& c) { c.result = double(Channel(c, 1)); }
void color_get_green(BuiltinCall& c) { c.result = double(Channel(c, 256)); }
void color_get_blue(BuiltinCall& c) { c.result = double(Channel(c, 65536)); }
Hsv HsvOf(const BuiltinCall& c) {
  const int32_t col = c.integer(0);
  return RgbToHsv(col & 0xFF, (col >> 8) & 0xFF, (col >> 16) & 0xFF);
}
void color_get_hue(BuiltinCall& c) { c.result = double(HsvOf(c).hue); }
void color_get_saturation(BuiltinCall& c) { c.result = double(HsvOf(c).saturation); }
void color_get_value(BuiltinCall& c) { c.result = double(HsvOf(c).value); }
void merge_color(BuiltinCall& c) {
  c.result = double(MergeColour(uint32_t(c.integer(0)), uint32_t(c.integer(1)), c.real(2)) & 0xFFFFFF);
}

// --- the tables ----------------------------------------------------------------------------------

const BuiltinFunction kDrawFunctions[] = {
    {"draw_set_color", draw_set_color, 1},
    {"draw_get_color", draw_get_color, 0},
    {"draw_set_alpha", draw_set_alpha, 1},
    {"draw_get_alpha", draw_get_alpha, 0},
    {"draw_set_blend_mode", draw_set_blend_mode, 1},
    {"draw_set_blend_mode_ext", draw_set_blend_mode_ext, 2},
    {"draw_set_circle_precision", draw_set_circle_precision, 1},
    {"draw_clear", draw_clear, 1},
    {"draw_clear_alpha", draw_clear_alpha, 2},
    {"draw_getpixel", draw_getpixel, 2},
    {"draw_point", draw_point, 2},
    {"draw_line", draw_line, 4},
    {"draw_line_width", draw_line_width, 5},
    {"draw_rectangle", draw_rectangle, 5},
    {"draw_roundrect", draw_roundrect, 5},
    {"draw_triangle", draw_triangle, 7},
    {"draw_circle", draw_circle, 4},
    {"draw_ellipse", draw_ellipse, 5},
    {"draw_arrow", draw_arrow, 5},
    {"draw_button", draw_button, 5},
    {"draw_healthbar", draw_healthbar, 11},
    {"draw_point_color", draw_point_color, 3},
    {"draw_line_color", draw_line_color, 6},
    {"draw_line_width_color", draw_line_width_color, 7},
    {"draw_rectangle_color", draw_rectangle_color, 9},
    {"draw_roundrect_color", draw_roundrect_color, 7},
    {"draw_triangle_color", draw_triangle_color, 10},
    {"draw_circle_color", draw_circle_color, 6},
    {"draw_ellipse_color", draw_ellipse_color, 7},
    {"draw_primitive_begin", draw_primitive_begin, 1},
    {"draw_primitive_begin_texture", draw_primitive_begin_texture, 2},
    {"draw_vertex", draw_vertex, 2},
    {"draw_vertex_color", draw_vertex_color, 4},
    {"draw_vertex_texture", draw_vertex_texture, 4},
    {"draw_vertex_texture_color", draw_vertex_texture_color, 6},
    {"draw_primitive_end", draw_primitive_end, 0},
    {"draw_sprite", draw_sprite, 4},
    {"draw_sprite_ext", SpriteForm<Ext<2>>, 9},
    {"draw_sprite_part", SpriteForm<Part<2>>, 8},
    {"draw_sprite_part_ext", SpriteForm<PartExt<2>>, 12},
    {"draw_sprite_general", SpriteForm<General<2>>, 16},
    {"draw_sprite_stretched", SpriteForm<Stretched<2>>, 6},
    {"draw_sprite_stretched_ext", SpriteForm<StretchedExt<2>>, 8},
    {"draw_sprite_tiled", SpriteForm<Tiled<2>>, 4},
    {"draw_sprite_tiled_ext", SpriteForm<TiledExt<2>>, 8},
    {"draw_background", BackgroundForm<Plain<1>>, 3},
    {"draw_background_ext", BackgroundForm<Ext<1>>, 8},
    {"draw_background_part", BackgroundForm<Part<1>>, 7},
    {"draw_background_part_ext", BackgroundForm<PartExt<1>>, 11},
    {"draw_background_general", BackgroundForm<General<1>>, 15},
    {"draw_background_stretched", BackgroundForm<Stretched<1>>, 5},
    {"draw_background_stretched_ext", BackgroundForm<StretchedExt<1>>, 7},
    {"draw_background_tiled", BackgroundForm<Tiled<1>>, 3},
    {"draw_background_tiled_ext", BackgroundForm<TiledExt<1>>, 7},
    {"draw_surface", draw_surface, 3},
    {"draw_surface_ext", SurfaceForm<Ext<1>>, 8},
    {"draw_surface_stretched", SurfaceForm<Stretched<1>>, 5},
    {"draw_surface_stretched_ext", SurfaceForm<StretchedExt<1>>, 7},
    {"draw_surface_part", SurfaceForm<Part<1>>, 7},
    {"draw_surface_part_ext", SurfaceForm<PartExt<1>>, 11},
    {"draw_surface_general", SurfaceForm<General<1>>, 15},
    {"draw_surface_tiled", SurfaceForm<Tiled<1>>, 3},
    {"draw_surface_tiled_ext", SurfaceForm<TiledExt<1>>, 7},
};

const BuiltinFunction kColourFunctions[] = {
    {"make_color", make_color, 3},
    {"make_color_rgb", make_color, 3},
    {"make_color_hsv", make_color_hsv, 3},
    {"color_get_red", color_get_red, 1},
    {"color_get_green", color_get_green, 1},
    {"color_get_blue", color_get_blue, 1},
    {"color_get_hue", color_get_hue, 1},
    {"color_get_saturation", color_get_saturation, 1},
    {"color_get_value", color_get_value, 1},
    {"merge_color", merge_color, 3},
};

}  // namespace

code::BuiltinFamily DrawBuiltins() { return kDrawFunctions; }
code::BuiltinFamily ColourBuiltins() { return kColourFunctions; }

}  // namespace qv::graphics
