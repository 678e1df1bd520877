// tile_*: the tiles of the current room, addressed by tile id. Searches walk the list in depth
// order (largest depth first, the order the room is drawn in).
#include <algorithm>

#include "code/errors.h"
#include "graphics/background.h"
#include "world/builtins.h"
#include "world/game_world.h"
#include "world/room_drawing.h"

namespace qv::world {

namespace {

using code::BuiltinCall;

std::vector<CTile>& tiles() { return CurrentRoom().tiles; }

CTile* findTile(int32_t id) {
  for (CTile& t : tiles())
    if (t.id == id) return &t;
  return nullptr;
}

// The tile of argument 0, or nullptr after reporting "Tile does not exist.".
CTile* tileArgument(BuiltinCall& c) {
  CTile* t = findTile(c.integer(0));
  if (!t) code::ReportActionError("Tile does not exist.");
  return t;
}

bool backgroundOrReport(int32_t index) {
  if (graphics::backgrounds().exists(index)) return true;
  code::ReportActionError("Background does not exist.");
  return false;
}

// Half-open rectangle of the unscaled size: x <= px < x + width.
bool holdsHalfOpen(const CTile& t, double px, double py) {
  return t.x <= px && px < t.x + t.width && t.y <= py && py < t.y + t.height;
}
bool holdsClosed(const CTile& t, double px, double py) {
  return t.x <= px && px <= t.x + t.width && t.y <= py && py <= t.y + t.height;
}

template <class Keep>
void removeWhere(Keep remove) {
  auto& list = tiles();
  list.erase(std::remove_if(list.begin(), list.end(), remove), list.end());
}

void tile_add(BuiltinCall& c) { AddTileFromArguments(CurrentRoom(), c, 0); }
void tile_delete(BuiltinCall& c) {
  if (const CTile* t = tileArgument(c)) {
    const int32_t id = t->id;
    removeWhere([id](const CTile& x) { return x.id == id; });
  }
}
void tile_exists(BuiltinCall& c) { c.result.setReal(code::truthValue(findTile(c.integer(0)) != nullptr)); }

#define QV_TILE_GET(name, expression)               \
  void tile_get_##name(BuiltinCall& c) {            \
    if (const CTile* t = tileArgument(c)) c.result.setReal(expression); \
  }
QV_TILE_GET(x, t->x)
QV_TILE_GET(y, t->y)
QV_TILE_GET(left, t->left)
QV_TILE_GET(top, t->top)
QV_TILE_GET(width, t->width)
QV_TILE_GET(height, t->height)
QV_TILE_GET(depth, t->depth)
QV_TILE_GET(visible, t->visible ? 1 : 0)
QV_TILE_GET(xscale, t->xscale)
QV_TILE_GET(yscale, t->yscale)
QV_TILE_GET(blend, t->blend)
QV_TILE_GET(alpha, t->alpha)
QV_TILE_GET(background, t->background)
#undef QV_TILE_GET

void tile_set_position(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) {
    t->x = c.real(1);
    t->y = c.real(2);
  }
}
void tile_set_visible(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) t->visible = c.truth(1);
}
void tile_set_background(BuiltinCall& c) {
  CTile* t = tileArgument(c);
  if (t && backgroundOrReport(c.integer(1))) t->background = c.integer(1);
}
void tile_set_region(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) {
    t->left = c.integer(1);
    t->top = c.integer(2);
    t->width = c.integer(3);
    t->height = c.integer(4);
  }
}
void tile_set_depth(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) t->depth = c.real(1);
}
void tile_set_scale(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) {
    t->xscale = c.real(1);
    t->yscale = c.real(2);
  }
}
void tile_set_blend(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) t->blend = c.integer(1);
}
void tile_set_alpha(BuiltinCall& c) {
  if (CTile* t = tileArgument(c)) t->alpha = c.real(1);
}

void tile_find(BuiltinCall& c) {
  const double px = c.real(0), py = c.real(1);
  const bool foreground = c.truth(2);
  SortTilesByDepth(CurrentRoom());
  c.result.setReal(-1);
  for (const CTile& t : tiles()) {
    if ((t.depth < 0) != foreground || !holdsHalfOpen(t, px, py)) continue;
    c.result.setReal(t.id);
    return;
  }
}
void tile_delete_at(BuiltinCall& c) {
  const double px = c.real(0), py = c.real(1);
  const bool foreground = c.truth(2);
  removeWhere([&](const CTile& t) {
    return (foreground ? t.depth <= 0 : t.depth >= 0) && holdsClosed(t, px, py);
  });
}
void tile_layer_hide(BuiltinCall& c) {
  for (CTile& t : tiles())
    if (t.depth == c.real(0)) t.visible = false;
}
void tile_layer_show(BuiltinCall& c) {
  for (CTile& t : tiles())
    if (t.depth == c.real(0)) t.visible = true;
}
void tile_layer_delete(BuiltinCall& c) {
  const double depth = c.real(0);
  removeWhere([depth](const CTile& t) { return t.depth == depth; });
}
void tile_layer_shift(BuiltinCall& c) {
  for (CTile& t : tiles())
    if (t.depth == c.real(0)) {
      t.x += c.real(1);
      t.y += c.real(2);
    }
}
void tile_layer_find(BuiltinCall& c) {
  SortTilesByDepth(CurrentRoom());
  c.result.setReal(-1);
  for (const CTile& t : tiles())
    if (t.depth == c.real(0) && holdsHalfOpen(t, c.real(1), c.real(2))) {
      c.result.setReal(t.id);
      return;
    }
}
void tile_layer_delete_at(BuiltinCall& c) {
  const double depth = c.real(0), px = c.real(1), py = c.real(2);
  removeWhere([&](const CTile& t) { return t.depth == depth && holdsHalfOpen(t, px, py); });
}
void tile_layer_depth(BuiltinCall& c) {
  for (CTile& t : tiles())
    if (t.depth == c.real(0)) t.depth = c.real(1);
}

constexpr code::BuiltinFunction kTileFunctions[] = {
    {"tile_add", tile_add, 8},
    {"tile_delete", tile_delete, 1},
    {"tile_exists", tile_exists, 1},
    {"tile_get_x", tile_get_x, 1},
    {"tile_get_y", tile_get_y, 1},
    {"tile_get_left", tile_get_left, 1},
    {"tile_get_top", tile_get_top, 1},
    {"tile_get_width", tile_get_width, 1},
    {"tile_get_height", tile_get_height, 1},
    {"tile_get_depth", tile_get_depth, 1},
    {"tile_get_visible", tile_get_visible, 1},
    {"tile_get_xscale", tile_get_xscale, 1},
    {"tile_get_yscale", tile_get_yscale, 1},
    {"tile_get_blend", tile_get_blend, 1},
    {"tile_get_alpha", tile_get_alpha, 1},
    {"tile_get_background", tile_get_background, 1},
    {"tile_set_position", tile_set_position, 3},
    {"tile_set_visible", tile_set_visible, 2},
    {"tile_set_background", tile_set_background, 2},
    {"tile_set_region", tile_set_region, 5},
    {"tile_set_depth", tile_set_depth, 2},
    {"tile_set_scale", tile_set_scale, 3},
    {"tile_set_blend", tile_set_blend, 2},
    {"tile_set_alpha", tile_set_alpha, 2},
    {"tile_find", tile_find, 3},
    {"tile_delete_at", tile_delete_at, 3},
    {"tile_layer_hide", tile_layer_hide, 1},
    {"tile_layer_show", tile_layer_show, 1},
    {"tile_layer_delete", tile_layer_delete, 1},
    {"tile_layer_shift", tile_layer_shift, 3},
    {"tile_layer_find", tile_layer_find, 3},
    {"tile_layer_delete_at", tile_layer_delete_at, 3},
    {"tile_layer_depth", tile_layer_depth, 2},
};

}  // namespace

code::BuiltinFamily TileFunctions() { return kTileFunctions; }

}  // namespace qv::world
