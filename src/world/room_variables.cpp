#include "world/room_variables.h"

#include "code/builtin_variables.h"
#include "code/rounding.h"
#include "graphics/background.h"
#include "graphics/display.h"
#include "world/caption_settings.h"
#include "world/game_world.h"
#include "world/variable_binding.h"

namespace qv::world {

namespace {

using code::RValue;

int32_t toInteger(const RValue& v) { return code::roundToInt32(v.real); }
bool toBoolean(const RValue& v) { return code::roundToInt64(v.real) >= 1; }
std::string toText(const RValue& v) { return v.kind == code::ty_string ? v.str : std::string(); }

// The array variables cover the room's 8 layers; any other index means layer 0.
size_t layer(int32_t index) { return index >= 0 && index < kRoomLayers ? static_cast<size_t>(index) : 0; }
CBack& back(int32_t index) { return CurrentRoom().backgrounds[layer(index)]; }
CView& view(int32_t index) { return CurrentRoom().views[layer(index)]; }

// One getter and setter pair per field of a layer record; `get` turns the field into a real,
// `set` stores the value's conversion.
#define QV_LAYER_VARIABLE(name, record, field, get, set)                    \
  bool get_##name(CInstance*, int32_t index, RValue& out) {                 \
    out.setReal(get(record(index).field));                                  \
    return true;                                                            \
  }                                                                         \
  bool set_##name(CInstance*, int32_t index, const RValue& v) {             \
    record(index).field = set(v);                                           \
    return true;                                                            \
  }
double fromBoolean(bool b) { return b ? 1.0 : 0.0; }
double fromNumber(double d) { return d; }
double toReal(const RValue& v) { return v.real; }

QV_LAYER_VARIABLE(background_visible, back, visible, fromBoolean, toBoolean)
QV_LAYER_VARIABLE(background_foreground, back, foreground, fromBoolean, toBoolean)
QV_LAYER_VARIABLE(background_htiled, back, htiled, fromBoolean, toBoolean)
QV_LAYER_VARIABLE(background_vtiled, back, vtiled, fromBoolean, toBoolean)
QV_LAYER_VARIABLE(background_index, back, index, fromNumber, toInteger)
QV_LAYER_VARIABLE(background_blend, back, blend, fromNumber, toInteger)
QV_LAYER_VARIABLE(background_x, back, x, fromNumber, toReal)
QV_LAYER_VARIABLE(background_y, back, y, fromNumber, toReal)
QV_LAYER_VARIABLE(background_xscale, back, xscale, fromNumber, toReal)
QV_LAYER_VARIABLE(background_yscale, back, yscale, fromNumber, toReal)
QV_LAYER_VARIABLE(background_hspeed, back, hspeed, fromNumber, toReal)
QV_LAYER_VARIABLE(background_vspeed, back, vspeed, fromNumber, toReal)
QV_LAYER_VARIABLE(background_alpha, back, alpha, fromNumber, toReal)
QV_LAYER_VARIABLE(view_visible, view, visible, fromBoolean, toBoolean)
QV_LAYER_VARIABLE(view_xview, view, xview, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_yview, view, yview, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_wview, view, wview, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_hview, view, hview, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_xport, view, xport, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_yport, view, yport, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_wport, view, wport, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_hport, view, hport, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_hborder, view, hborder, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_vborder, view, vborder, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_hspeed, view, hspeed, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_vspeed, view, vspeed, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_object, view, object, fromNumber, toInteger)
QV_LAYER_VARIABLE(view_angle, view, angle, fromNumber, toReal)
#undef QV_LAYER_VARIABLE

// The size of the layer's background resource, 0 when it does not exist.
bool get_background_width(CInstance*, int32_t index, RValue& out) {
  const graphics::CBackground* b = graphics::backgrounds().get(back(index).index);
  out.setReal(b ? b->width() : 0);
  return true;
}
bool get_background_height(CInstance*, int32_t index, RValue& out) {
  const graphics::CBackground* b = graphics::backgrounds().get(back(index).index);
  out.setReal(b ? b->height() : 0);
  return true;
}

// Room-wide values.
#define QV_ROOM_VARIABLE(name, field, get, set)                \
  bool get_##name(CInstance*, int32_t, RValue& out) {          \
    out.setReal(get(CurrentRoom().field));                     \
    return true;                                               \
  }                                                            \
  bool set_##name(CInstance*, int32_t, const RValue& v) {      \
    CurrentRoom().field = set(v);                              \
    return true;                                               \
  }
QV_ROOM_VARIABLE(background_color, backgroundColor, fromNumber, toInteger)
QV_ROOM_VARIABLE(background_showcolor, drawBackgroundColor, fromBoolean, toBoolean)
QV_ROOM_VARIABLE(view_enabled, viewsEnabled, fromBoolean, toBoolean)
#undef QV_ROOM_VARIABLE

bool get_view_current(CInstance*, int32_t, RValue& out) {
  out.setReal(graphics::display().currentView);
  return true;
}

// The caption items. Assigning `show_score` makes the score show even while it is below 1.
bool get_show_score(CInstance*, int32_t, RValue& out) {
  out.setReal(fromBoolean(captionSettings().showScore));
  return true;
}
bool set_show_score(CInstance*, int32_t, const RValue& v) {
  captionSettings().showScore = toBoolean(v);
  captionSettings().scoreShownAlways = true;
  return true;
}
#define QV_CAPTION_ITEM(name, field, get, set)                 \
  bool get_##name(CInstance*, int32_t, RValue& out) {          \
    out.get(captionSettings().field);                          \
    return true;                                               \
  }                                                            \
  bool set_##name(CInstance*, int32_t, const RValue& v) {      \
    captionSettings().field = set(v);                          \
    return true;                                               \
  }
QV_CAPTION_ITEM(show_lives, showLives, setReal, toBoolean)
QV_CAPTION_ITEM(show_health, showHealth, setReal, toBoolean)
QV_CAPTION_ITEM(caption_score, scoreCaption, setString, toText)
QV_CAPTION_ITEM(caption_lives, livesCaption, setString, toText)
QV_CAPTION_ITEM(caption_health, healthCaption, setString, toText)
#undef QV_CAPTION_ITEM

}  // namespace

void BindRoomVariables() {
  using namespace code;
#define QV_BIND(name) BindBuiltinVariable(bv_##name, &ReadFor<&get_##name>, &WriteFor<&set_##name>)
#define QV_BIND_READ(name) BindBuiltinVariable(bv_##name, &ReadFor<&get_##name>, nullptr)
  QV_BIND(background_color); QV_BIND(background_showcolor); QV_BIND(background_visible);
  QV_BIND(background_foreground); QV_BIND(background_index); QV_BIND(background_x); QV_BIND(background_y);
  QV_BIND_READ(background_width); QV_BIND_READ(background_height); QV_BIND(background_htiled);
  QV_BIND(background_vtiled); QV_BIND(background_xscale); QV_BIND(background_yscale);
  QV_BIND(background_hspeed); QV_BIND(background_vspeed); QV_BIND(background_blend); QV_BIND(background_alpha);
  QV_BIND(view_enabled); QV_BIND_READ(view_current); QV_BIND(view_visible); QV_BIND(view_xview);
  QV_BIND(view_yview); QV_BIND(view_wview); QV_BIND(view_hview); QV_BIND(view_xport); QV_BIND(view_yport);
  QV_BIND(view_wport); QV_BIND(view_hport); QV_BIND(view_angle); QV_BIND(view_hborder); QV_BIND(view_vborder);
  QV_BIND(view_hspeed); QV_BIND(view_vspeed); QV_BIND(view_object);
  QV_BIND(show_score); QV_BIND(show_lives); QV_BIND(show_health); QV_BIND(caption_score);
  QV_BIND(caption_lives); QV_BIND(caption_health);
#undef QV_BIND
#undef QV_BIND_READ
}

}  // namespace qv::world
