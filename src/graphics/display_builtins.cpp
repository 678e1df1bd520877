// The display_*, window_*, screen_*, texture_* functions, set_synchronization and set_automatic_draw.
//
// Sections: display; window; mouse; screen and frame; textures; the tables.
#include <cmath>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/bitmap_ops.h"
#include "graphics/builtins.h"
#include "graphics/display.h"
#include "graphics/seams.h"
#include "graphics/texture_table.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

Display& D() { return display(); }

// --- display -------------------------------------------------------------------------------------

void display_get_width(BuiltinCall& c) { c.result = double(D().displayMode().width); }
void display_get_height(BuiltinCall& c) { c.result = double(D().displayMode().height); }
void display_get_colordepth(BuiltinCall& c) { c.result = double(D().displayMode().bitsPerPixel); }
void display_get_frequency(BuiltinCall& c) { c.result = double(D().displayMode().refreshRate); }
void display_set_size(BuiltinCall& c) { c.result = code::truthValue(D().setDisplayMode(c.integer(0), c.integer(1), -1, -1)); }
void display_set_colordepth(BuiltinCall& c) { c.result = code::truthValue(D().setDisplayMode(-1, -1, -1, c.integer(0))); }
void display_set_frequency(BuiltinCall& c) { c.result = code::truthValue(D().setDisplayMode(-1, -1, c.integer(0), -1)); }
void display_set_all(BuiltinCall& c) {
  c.result = code::truthValue(D().setDisplayMode(c.integer(0), c.integer(1), c.integer(2), c.integer(3)));
}
void display_test_all(BuiltinCall& c) {
  c.result = code::truthValue(D().testDisplayMode(c.integer(0), c.integer(1), c.integer(2), c.integer(3)));
}
void display_reset(BuiltinCall&) { D().resetDisplayMode(); }
void display_mouse_get_x(BuiltinCall& c) {
  int x = 0, y = 0;
  if (D().window()) D().window()->globalMouse(x, y);
  c.result = double(x);
}
void display_mouse_get_y(BuiltinCall& c) {
  int x = 0, y = 0;
  if (D().window()) D().window()->globalMouse(x, y);
  c.result = double(y);
}
void display_mouse_set(BuiltinCall& c) {
  if (D().window()) D().window()->setGlobalMouse(c.integer(0), c.integer(1));
}

// --- window --------------------------------------------------------------------------------------

void window_set_visible(BuiltinCall& c) { D().setVisible(c.truth(0)); }
void window_get_visible(BuiltinCall& c) { c.result = code::truthValue(D().visible()); }
void window_set_fullscreen(BuiltinCall& c) { D().setFullscreen(c.truth(0)); }
void window_get_fullscreen(BuiltinCall& c) { c.result = code::truthValue(D().fullscreen); }
void window_set_showborder(BuiltinCall& c) { D().setShowBorder(c.truth(0)); }
void window_get_showborder(BuiltinCall& c) { c.result = code::truthValue(D().showBorder); }
void window_set_showicons(BuiltinCall& c) { D().setShowIcons(c.truth(0)); }
void window_get_showicons(BuiltinCall& c) { c.result = code::truthValue(D().showIcons); }
void window_set_stayontop(BuiltinCall& c) { D().setStayOnTop(c.truth(0)); }
void window_get_stayontop(BuiltinCall& c) { c.result = code::truthValue(D().stayOnTop); }
void window_set_sizeable(BuiltinCall& c) { D().setSizeable(c.truth(0)); }
void window_get_sizeable(BuiltinCall& c) { c.result = code::truthValue(D().sizeable); }
void window_set_caption(BuiltinCall& c) { D().setCaption(c.string(0)); }
void window_get_caption(BuiltinCall& c) { c.result.setString(D().caption); }
void window_set_cursor(BuiltinCall& c) { D().setCursor(c.integer(0)); }
void window_get_cursor(BuiltinCall& c) { c.result = double(D().cursor); }
void window_set_color(BuiltinCall& c) { D().setWindowColour(c.integer(0)); }
void window_get_color(BuiltinCall& c) { c.result = double(D().windowColour); }
void window_set_position(BuiltinCall& c) { D().setPosition(c.integer(0), c.integer(1)); }
void window_set_size(BuiltinCall& c) { D().setSize(c.integer(0), c.integer(1)); }
void window_set_rectangle(BuiltinCall& c) { D().setRectangle(c.integer(0), c.integer(1), c.integer(2), c.integer(3)); }
void window_center(BuiltinCall&) { D().center(); }
void window_default(BuiltinCall&) { D().setDefault(); }
void window_get_x(BuiltinCall& c) { c.result = double(D().clientX); }
void window_get_y(BuiltinCall& c) { c.result = double(D().clientY); }
void window_get_width(BuiltinCall& c) { c.result = double(D().clientWidth); }
void window_get_height(BuiltinCall& c) { c.result = double(D().clientHeight); }
void window_set_region_size(BuiltinCall& c) { D().setRegionSize(c.integer(0), c.integer(1), c.truth(2)); }
void window_get_region_width(BuiltinCall& c) { c.result = double(D().regionWidth); }
void window_get_region_height(BuiltinCall& c) { c.result = double(D().regionHeight); }
void window_set_region_scale(BuiltinCall& c) { D().setRegionScale(c.real(0), c.truth(1)); }
void window_get_region_scale(BuiltinCall& c) { c.result = D().regionScale; }

// --- mouse ---------------------------------------------------------------------------------------

void window_mouse_get_x(BuiltinCall& c) { c.result = double(D().mouseInWindow().x); }
void window_mouse_get_y(BuiltinCall& c) { c.result = double(D().mouseInWindow().y); }
void window_mouse_set(BuiltinCall& c) { D().moveMouseInWindow(c.integer(0), c.integer(1)); }
void window_view_mouse_get_x(BuiltinCall& c) {
  const Point m = D().mouseInWindow();
  c.result = double(D().windowToRoom(c.integer(0), m.x, m.y).x);
}
void window_view_mouse_get_y(BuiltinCall& c) {
  const Point m = D().mouseInWindow();
  c.result = double(D().windowToRoom(c.integer(0), m.x, m.y).y);
}
void window_view_mouse_set(BuiltinCall& c) {
  if (auto p = D().roomToRegion(c.integer(0), c.real(1), c.real(2))) D().moveMouseToRegion(p->x, p->y);
}
void window_views_mouse_get_x(BuiltinCall& c) {
  const Point m = D().mouseInWindow();
  c.result = double(D().windowToRoomAllViews(m.x, m.y).x);
}
void window_views_mouse_get_y(BuiltinCall& c) {
  const Point m = D().mouseInWindow();
  c.result = double(D().windowToRoomAllViews(m.x, m.y).y);
}
void window_views_mouse_set(BuiltinCall& c) {
  for (int v = 0; v < Display::kViewCount; ++v) {
    if (!D().views[size_t(v)].active) continue;
    // A view without width or height maps nothing: the cursor stays (no division by zero).
    if (auto p = D().roomToRegion(v, c.real(0), c.real(1))) D().moveMouseToRegion(p->x, p->y);
    return;
  }
  D().moveMouseToRegion(c.real(0), c.real(1));
}

// --- screen and frame ----------------------------------------------------------------------------

void set_synchronization(BuiltinCall& c) {
  D().synchronization = c.truth(0);
  if (D().window()) D().window()->setVsync(D().synchronization);
}
void set_automatic_draw(BuiltinCall& c) { D().automaticDraw = c.truth(0); }
void screen_redraw(BuiltinCall&) { D().redraw(); }
void screen_refresh(BuiltinCall&) { D().presentOnly(); }
// The swap interval waits for the vertical blank when synchronization is on; a separate wait has
// no portable equivalent, so this returns at once (as the original does without DirectDraw).
void screen_wait_vsync(BuiltinCall&) {}

void saveScreen(const std::string& name, int x, int y, int w, int h) {
  if (name.empty()) {
    code::ReportActionError("Trying to save screen to empty image file name.");
    return;
  }
  if (!ImageWriteAllowed(name)) return;
  D().saveScreen(HostPath(name), x, y, w, h);
}
void screen_save(BuiltinCall& c) { saveScreen(c.string(0), 0, 0, D().renderWidth, D().renderHeight); }
void screen_save_part(BuiltinCall& c) { saveScreen(c.string(0), c.integer(1), c.integer(2), c.integer(3), c.integer(4)); }

// --- textures ------------------------------------------------------------------------------------

void texture_exists(BuiltinCall& c) { c.result = code::truthValue(textures().exists(c.integer(0))); }
void texture_get_width(BuiltinCall& c) { c.result = textures().widthRatio(c.integer(0)); }
void texture_get_height(BuiltinCall& c) { c.result = textures().heightRatio(c.integer(0)); }
void texture_set_interpolation(BuiltinCall& c) {
  D().interpolation = c.truth(0);
  D().applyRenderStates();
}
void texture_set_blending(BuiltinCall& c) {
  D().textureBlending = c.truth(0);
  D().applyRenderStates();
}
void texture_set_repeat(BuiltinCall& c) {
  D().textureRepeat = c.truth(0);
  D().applyRenderStates();
}
// OpenGL has no managed pool to preload or prioritise: textures are always resident.
void texture_preload(BuiltinCall&) {}
void texture_set_priority(BuiltinCall&) {}

// --- the tables ----------------------------------------------------------------------------------

const BuiltinFunction kDisplayFunctions[] = {
    {"display_get_width", display_get_width, 0},
    {"display_get_height", display_get_height, 0},
    {"display_get_colordepth", display_get_colordepth, 0},
    {"display_get_frequency", display_get_frequency, 0},
    {"display_set_size", display_set_size, 2},
    {"display_set_colordepth", display_set_colordepth, 1},
    {"display_set_frequency", display_set_frequency, 1},
    {"display_set_all", display_set_all, 4},
    {"display_test_all", display_test_all, 4},
    {"display_reset", display_reset, 0},
    {"display_mouse_get_x", display_mouse_get_x, 0},
    {"display_mouse_get_y", display_mouse_get_y, 0},
    {"display_mouse_set", display_mouse_set, 2},
    {"window_set_visible", window_set_visible, 1},
    {"window_get_visible", window_get_visible, 0},
    {"window_set_fullscreen", window_set_fullscreen, 1},
    {"window_get_fullscreen", window_get_fullscreen, 0},
    {"window_set_showborder", window_set_showborder, 1},
    {"window_get_showborder", window_get_showborder, 0},
    {"window_set_showicons", window_set_showicons, 1},
    {"window_get_showicons", window_get_showicons, 0},
    {"window_set_stayontop", window_set_stayontop, 1},
    {"window_get_stayontop", window_get_stayontop, 0},
    {"window_set_sizeable", window_set_sizeable, 1},
    {"window_get_sizeable", window_get_sizeable, 0},
    {"window_set_caption", window_set_caption, 1},
    {"window_get_caption", window_get_caption, 0},
    {"window_set_cursor", window_set_cursor, 1},
    {"window_get_cursor", window_get_cursor, 0},
    {"window_set_color", window_set_color, 1},
    {"window_get_color", window_get_color, 0},
    {"window_set_position", window_set_position, 2},
    {"window_set_size", window_set_size, 2},
    {"window_set_rectangle", window_set_rectangle, 4},
    {"window_center", window_center, 0},
    {"window_default", window_default, 0},
    {"window_get_x", window_get_x, 0},
    {"window_get_y", window_get_y, 0},
    {"window_get_width", window_get_width, 0},
    {"window_get_height", window_get_height, 0},
    {"window_set_region_size", window_set_region_size, 3},
    {"window_get_region_width", window_get_region_width, 0},
    {"window_get_region_height", window_get_region_height, 0},
    {"window_set_region_scale", window_set_region_scale, 2},
    {"window_get_region_scale", window_get_region_scale, 0},
    {"window_mouse_get_x", window_mouse_get_x, 0},
    {"window_mouse_get_y", window_mouse_get_y, 0},
    {"window_mouse_set", window_mouse_set, 2},
    {"window_view_mouse_get_x", window_view_mouse_get_x, 1},
    {"window_view_mouse_get_y", window_view_mouse_get_y, 1},
    {"window_view_mouse_set", window_view_mouse_set, 3},
    {"window_views_mouse_get_x", window_views_mouse_get_x, 0},
    {"window_views_mouse_get_y", window_views_mouse_get_y, 0},
    {"window_views_mouse_set", window_views_mouse_set, 2},
    {"set_synchronization", set_synchronization, 1},
    {"set_automatic_draw", set_automatic_draw, 1},
    {"screen_redraw", screen_redraw, 0},
    {"screen_refresh", screen_refresh, 0},
    {"screen_wait_vsync", screen_wait_vsync, 0},
    {"screen_save", screen_save, 1},
    {"screen_save_part", screen_save_part, 5},
};

const BuiltinFunction kTextureFunctions[] = {
    {"texture_exists", texture_exists, 1},
    {"texture_get_width", texture_get_width, 1},
    {"texture_get_height", texture_get_height, 1},
    {"texture_set_interpolation", texture_set_interpolation, 1},
    {"texture_set_blending", texture_set_blending, 1},
    {"texture_set_repeat", texture_set_repeat, 1},
    {"texture_preload", texture_preload, 1},
    {"texture_set_priority", texture_set_priority, 2},
};

}  // namespace

code::BuiltinFamily DisplayBuiltins() { return kDisplayFunctions; }
code::BuiltinFamily TextureBuiltins() { return kTextureFunctions; }

void SaveScreen(const std::string& name, int x, int y, int w, int h) { saveScreen(name, x, y, w, h); }

}  // namespace qv::graphics
