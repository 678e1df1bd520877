// room_* (changing rooms and the room resource functions), game_end and game_restart.
#include <memory>

#include "code/errors.h"
#include "graphics/background.h"
#include "world/builtins.h"
#include "world/game_world.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/transfer.h"

namespace qv::world {

namespace {

using code::BuiltinCall;

void room_goto(BuiltinCall& c) { RequestRoom(c.integer(0), transitionKind()); }
void room_goto_previous(BuiltinCall&) { GotoPreviousRoom(transitionKind()); }
void room_goto_next(BuiltinCall&) { GotoNextRoom(transitionKind()); }
void room_restart(BuiltinCall&) { RequestRoom(CurrentRoomIndex(), transitionKind()); }
void room_previous(BuiltinCall& c) {
  const int32_t r = c.integer(0);
  c.result.setReal(!RoomExists(r) || r == FirstRoom() ? -1 : PreviousRoom(r));
}
void room_next(BuiltinCall& c) {
  const int32_t r = c.integer(0);
  c.result.setReal(!RoomExists(r) || r == LastRoom() ? -1 : NextRoom(r));
}
void game_end(BuiltinCall&) { transferRequest() = kTransferEnd; }
void game_restart(BuiltinCall&) { transferRequest() = kTransferRestart; }

// ---- the room resources ----

void room_exists(BuiltinCall& c) { c.result.setReal(code::truthValue(RoomExists(c.integer(0)))); }
void room_get_name(BuiltinCall& c) { c.result.setString(RoomName(c.integer(0))); }

template <class Set>
void setRoom(BuiltinCall& c, Set set) {
  if (CRoom* r = GetRoom(c.integer(0))) set(*r);
}
void room_set_width(BuiltinCall& c) { setRoom(c, [&](CRoom& r) { r.width = c.integer(1); }); }
void room_set_height(BuiltinCall& c) { setRoom(c, [&](CRoom& r) { r.height = c.integer(1); }); }
void room_set_caption(BuiltinCall& c) { setRoom(c, [&](CRoom& r) { r.caption = c.string(1); }); }
void room_set_persistent(BuiltinCall& c) { setRoom(c, [&](CRoom& r) { r.persistent = c.truth(1); }); }
void room_set_code(BuiltinCall& c) { setRoom(c, [&](CRoom& r) { r.creationCode = c.string(1); }); }
void room_set_background_color(BuiltinCall& c) {
  setRoom(c, [&](CRoom& r) {
    r.backgroundColor = c.integer(1);
    r.drawBackgroundColor = c.truth(2);
  });
}
void room_set_background(BuiltinCall& c) {
  setRoom(c, [&](CRoom& r) {
    const int32_t bind = c.integer(1);
    if (bind < 0 || bind >= kRoomLayers) return;
    CBack& b = r.backgrounds[static_cast<size_t>(bind)];
    b.visible = c.truth(2);
    b.foreground = c.truth(3);
    b.index = c.integer(4);
    b.x = c.real(5);
    b.y = c.real(6);
    b.htiled = c.truth(7);
    b.vtiled = c.truth(8);
    b.hspeed = c.real(9);
    b.vspeed = c.real(10);
    b.alpha = c.real(11);
    b.xscale = b.yscale = 1;
  });
}
void room_set_view(BuiltinCall& c) {
  setRoom(c, [&](CRoom& r) {
    const int32_t vind = c.integer(1);
    if (vind < 0 || vind >= kRoomLayers) return;
    CView& v = r.views[static_cast<size_t>(vind)];
    v.visible = c.truth(2);
    int32_t* fields[] = {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport,
                         &v.hport, &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object};
    for (int k = 0; k < 13; ++k) *fields[k] = c.integer(3 + k);
  });
}
void room_set_view_enabled(BuiltinCall& c) { setRoom(c, [&](CRoom& r) { r.viewsEnabled = c.truth(1); }); }

int32_t appendRoom(std::unique_ptr<CRoom> room) {
  const auto index = static_cast<int32_t>(rooms().size());
  rooms().push_back(std::move(room));
  roomNames().push_back("__newroom" + std::to_string(index));
  return index;
}
void room_add(BuiltinCall& c) { c.result.setReal(appendRoom(std::make_unique<CRoom>())); }
void room_duplicate(BuiltinCall& c) {
  const CRoom* r = GetRoom(c.integer(0));
  if (!r) {
    code::ReportActionError("Trying to duplicate non-existing room.");
    return;
  }
  c.result.setReal(appendRoom(std::make_unique<CRoom>(*r)));
}
void room_assign(BuiltinCall& c) {
  const int32_t ind = c.integer(0);
  const CRoom* source = GetRoom(c.integer(1));
  if (!source || ind < 0 || static_cast<size_t>(ind) >= rooms().size()) {
    code::ReportActionError("Error assigning a room.");
    return;
  }
  // The copy is made before the target is replaced, so a room assigned to itself survives.
  auto copy = std::make_unique<CRoom>(*source);
  rooms()[static_cast<size_t>(ind)] = std::move(copy);
}
void room_instance_add(BuiltinCall& c) {
  CRoom* r = GetRoom(c.integer(0));
  const int32_t id = r ? TakeInstanceId() : -1;
  if (!r || id < 0) {
    c.result.setReal(-1);
    return;
  }
  r->Append(NewInstance(c.integer(3), c.real(1), c.real(2), id));
  c.result.setReal(id);
}
void room_instance_clear(BuiltinCall& c) {
  setRoom(c, [](CRoom& r) {
    r.instances.clear();
    r.ListsChanged();
  });
}
void addTile(BuiltinCall& c, double xscale, double yscale, double alpha) {
  CRoom* r = GetRoom(c.integer(0));
  if (!r) {
    c.result.setReal(-1);
    return;
  }
  AddTileFromArguments(*r, c, 1, xscale, yscale, alpha);
}
void room_tile_add(BuiltinCall& c) { addTile(c, 1, 1, 1); }
void room_tile_add_ext(BuiltinCall& c) { addTile(c, c.real(9), c.real(10), c.real(11)); }
void room_tile_clear(BuiltinCall& c) { setRoom(c, [](CRoom& r) { r.tiles.clear(); }); }

constexpr code::BuiltinFunction kRoomFunctions[] = {
    {"room_goto", room_goto, 1},
    {"room_goto_previous", room_goto_previous, 0},
    {"room_goto_next", room_goto_next, 0},
    {"room_restart", room_restart, 0},
    {"room_previous", room_previous, 1},
    {"room_next", room_next, 1},
    {"game_end", game_end, 0},
    {"game_restart", game_restart, 0},
    {"room_exists", room_exists, 1},
    {"room_get_name", room_get_name, 1},
    {"room_name", room_get_name, 1},
    {"room_set_width", room_set_width, 2},
    {"room_set_height", room_set_height, 2},
    {"room_set_caption", room_set_caption, 2},
    {"room_set_persistent", room_set_persistent, 2},
    {"room_set_code", room_set_code, 2},
    {"room_set_background_color", room_set_background_color, 3},
    {"room_set_background", room_set_background, 12},
    {"room_set_view", room_set_view, 16},
    {"room_set_view_enabled", room_set_view_enabled, 2},
    {"room_add", room_add, 0},
    {"room_duplicate", room_duplicate, 1},
    {"room_assign", room_assign, 2},
    {"room_instance_add", room_instance_add, 4},
    {"room_instance_clear", room_instance_clear, 1},
    {"room_tile_add", room_tile_add, 9},
    {"room_tile_add_ext", room_tile_add_ext, 12},
    {"room_tile_clear", room_tile_clear, 1},
};

}  // namespace

void AddTileFromArguments(CRoom& room, BuiltinCall& c, int first, double xscale, double yscale, double alpha) {
  if (!graphics::backgrounds().exists(c.integer(first))) {
    code::ReportActionError("Background does not exist.");
    c.result.setReal(-1);
    return;
  }
  CTile t;
  t.background = c.integer(first);
  t.left = c.integer(first + 1);
  t.top = c.integer(first + 2);
  t.width = c.integer(first + 3);
  t.height = c.integer(first + 4);
  t.x = c.real(first + 5);
  t.y = c.real(first + 6);
  t.depth = c.real(first + 7);
  t.xscale = xscale;
  t.yscale = yscale;
  t.alpha = alpha;
  t.id = ++lastTileId();
  room.tiles.push_back(t);
  c.result.setReal(t.id);
}

code::BuiltinFamily RoomFunctions() { return kRoomFunctions; }

void GotoPreviousRoom(int32_t transition) {
  if (CurrentRoomIndex() == FirstRoom()) {
    code::ReportActionError("Moving to previous room before the first room.", true);
    transferRequest() = kTransferAbort;
    return;
  }
  RequestRoom(PreviousRoom(CurrentRoomIndex()), transition);
}

void GotoNextRoom(int32_t transition) {
  if (CurrentRoomIndex() == LastRoom()) {
    code::ReportActionError("Moving to next room after the last room.", true);
    transferRequest() = kTransferAbort;
    return;
  }
  RequestRoom(NextRoom(CurrentRoomIndex()), transition);
}

}  // namespace qv::world
