// Drawing and display actions: shapes, sprites, backgrounds and text in the current drawing
// colour, with every position relative to self under the relative option; the drawing colour and
// font, the cursor, full screen and snapshots.
#include <cmath>
#include <cstdint>
#include <string>

#include "actions/action_drawing.h"
#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/errors.h"
#include "code/rounding.h"
#include "graphics/background.h"
#include "graphics/builtins.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/sprite.h"
#include "graphics/sprite_drawing.h"
#include "graphics/text.h"
#include "system/secure_mode.h"
#include "world/saved_game.h"

namespace qv::actions {

Position DrawPosition(const code::BuiltinCall& c, double x, double y) {
  const world::CInstance* self = world::Self(c);
  return self ? RelativePosition(*self, x, y) : Position{x, y};
}

void DrawActionText(double x, double y, const std::string& text) {
  graphics::TextStyle style;
  const int32_t colour = graphics::drawState().scriptColour();
  style.colours = {colour, colour, colour, colour};
  style.alpha = graphics::drawState().alpha;
  graphics::DrawText(graphics::CurrentFont(), x, y, text, style);
}

namespace {

using code::BuiltinCall;

uint32_t Current() { return graphics::drawState().colour; }
uint32_t Colour(const BuiltinCall& c, int i) { return graphics::ScriptToDevice(c.integer(i), graphics::drawState().alpha); }

// The two corners of a shape, both relative to self with the option.
struct Corners {
  Position a, b;
};
Corners corners(const BuiltinCall& c) {
  return {DrawPosition(c, c.real(0), c.real(1)), DrawPosition(c, c.real(2), c.real(3))};
}

// Frame Floor(subimage), or self's image_index (rounded down) when subimage is below 0.
void action_draw_sprite(BuiltinCall& c) {
  const graphics::CSprite* s = graphics::sprites().get(IndexArgument(c, 0));
  if (!s) {
    code::ReportActionError("Trying to draw a non-existing sprite.");
    return;
  }
  double frame = c.real(3);
  if (frame < 0) frame = world::Self(c) ? world::Self(c)->imageIndex : 0;
  const Position p = DrawPosition(c, c.real(1), c.real(2));
  graphics::DrawSprite(*s, code::truncToInt32(std::floor(frame)), p.x, p.y);
}

void action_draw_background(BuiltinCall& c) {
  const graphics::CBackground* b = graphics::backgrounds().get(IndexArgument(c, 0));
  if (!b) {
    code::ReportActionError("Trying to draw a non-existing background.");
    return;
  }
  const Position p = DrawPosition(c, c.real(1), c.real(2));
  if (c.truth(3)) {
    graphics::DrawImageTiled(graphics::BackgroundImage(*b), p.x, p.y, 1, 1, 0xFFFFFFFF, true, true,
                             graphics::roomArea()());
  } else {
    graphics::DrawBackground(*b, p.x, p.y);
  }
}

void action_draw_text(BuiltinCall& c) {
  const Position p = DrawPosition(c, c.real(1), c.real(2));
  DrawActionText(p.x, p.y, c.string(0));
}

void action_draw_text_transformed(BuiltinCall& c) {
  const Position p = DrawPosition(c, c.real(1), c.real(2));
  graphics::TextStyle style;
  const int32_t colour = graphics::drawState().scriptColour();
  style.colours = {colour, colour, colour, colour};
  style.alpha = graphics::drawState().alpha;
  style.transformed = true;
  style.xscale = c.real(3);
  style.yscale = c.real(4);
  style.angle = c.real(5);
  graphics::DrawText(graphics::CurrentFont(), p.x, p.y, c.string(0), style);
}

void action_draw_rectangle(BuiltinCall& c) {
  const Corners k = corners(c);
  const uint32_t col = Current();
  graphics::DrawRectangle(k.a.x, k.a.y, k.b.x, k.b.y, {col, col, col, col}, !c.truth(4));
}

void action_draw_ellipse(BuiltinCall& c) {
  const Corners k = corners(c);
  graphics::DrawEllipse(k.a.x, k.a.y, k.b.x, k.b.y, Current(), Current(), !c.truth(4));
}

// Colour 1 on the left, colour 2 on the right.
void action_draw_gradient_hor(BuiltinCall& c) {
  const Corners k = corners(c);
  const uint32_t c1 = Colour(c, 4), c2 = Colour(c, 5);
  graphics::DrawRectangle(k.a.x, k.a.y, k.b.x, k.b.y, {c1, c2, c2, c1}, false);
}

// Colour 1 at the top, colour 2 at the bottom.
void action_draw_gradient_vert(BuiltinCall& c) {
  const Corners k = corners(c);
  const uint32_t c1 = Colour(c, 4), c2 = Colour(c, 5);
  graphics::DrawRectangle(k.a.x, k.a.y, k.b.x, k.b.y, {c1, c1, c2, c2}, false);
}

// Colour 1 at the centre, colour 2 at the edge.
void action_draw_ellipse_gradient(BuiltinCall& c) {
  const Corners k = corners(c);
  graphics::DrawEllipse(k.a.x, k.a.y, k.b.x, k.b.y, Colour(c, 4), Colour(c, 5), false);
}

void action_draw_line(BuiltinCall& c) {
  const Corners k = corners(c);
  graphics::DrawLine(k.a.x, k.a.y, k.b.x, k.b.y, Current(), Current());
}

void action_draw_arrow(BuiltinCall& c) {
  const Corners k = corners(c);
  graphics::DrawArrow(k.a.x, k.a.y, k.b.x, k.b.y, c.real(4), Current());
}

void action_color(BuiltinCall& c) {
  graphics::drawState().colour = graphics::ScriptToDevice(c.integer(0), graphics::drawState().alpha);
}

// A missing font is the default font; alignment values other than 0 to 2 count as 0 (left).
void action_font(BuiltinCall& c) {
  const int32_t font = IndexArgument(c, 0), align = IndexArgument(c, 1);
  graphics::textState().font = graphics::fonts().exists(font) ? font : -1;
  graphics::textState().halign = align >= 0 && align <= 2 ? align : 0;
}

void action_set_cursor(BuiltinCall& c) {
  world::gameCounters().cursorSprite = IndexArgument(c, 0);
  const bool show = c.truth(1);
  graphics::display().setCursor(show ? 0 : -1);
  graphics::display().displayCursor = show;
}

// 1 window, 2 full screen, anything else switches.
void action_fullscreen(BuiltinCall& c) {
  graphics::Display& d = graphics::display();
  const int64_t how = code::roundToInt64(c.real(0));
  d.setFullscreen(how == 1 ? false : how == 2 ? true : !d.fullscreen);
}

// In secure mode a snapshot may not leave the game's directory.
void action_snapshot(BuiltinCall& c) {
  const std::string& name = c.string(0);
  if (system::SecureMode() && system::NameLeavesDirectory(name)) {
    code::ReportActionError("In secure mode you cannot save a snapshot to file " + name);
    return;
  }
  graphics::Display& d = graphics::display();
  graphics::SaveScreen(name, 0, 0, d.renderWidth, d.renderHeight);
}

constexpr code::BuiltinFunction kDrawingActions[] = {
    {"action_draw_sprite", action_draw_sprite, 4},
    {"action_draw_background", action_draw_background, 4},
    {"action_draw_text", action_draw_text, 3},
    {"action_draw_text_transformed", action_draw_text_transformed, 6},
    {"action_draw_rectangle", action_draw_rectangle, 5},
    {"action_draw_ellipse", action_draw_ellipse, 5},
    {"action_draw_gradient_hor", action_draw_gradient_hor, 6},
    {"action_draw_gradient_vert", action_draw_gradient_vert, 6},
    {"action_draw_ellipse_gradient", action_draw_ellipse_gradient, 6},
    {"action_draw_line", action_draw_line, 4},
    {"action_draw_arrow", action_draw_arrow, 5},
    {"action_color", action_color, 1},
    {"action_font", action_font, 2},
    {"action_set_cursor", action_set_cursor, 2},
    {"action_fullscreen", action_fullscreen, 1},
    {"action_snapshot", action_snapshot, 1},
};

}  // namespace

code::BuiltinFamily DrawingActions() { return kDrawingActions; }

}  // namespace qv::actions
