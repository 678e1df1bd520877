#include "world/saved_game.h"

#include "data/stream.h"
#include "world/game_world.h"
#include "world/transfer.h"

namespace qv::world {

GameCounters& gameCounters() {
  static GameCounters counters;
  return counters;
}
int32_t& currentGameId() {
  static int32_t id = 0;
  return id;
}

namespace {

std::string& loadName() {
  static std::string name;
  return name;
}

void writeInstance(data::CStream& s, const CInstance& in) {
  s.WriteInteger(in.id);
  s.WriteInteger(in.spriteIndex);
  for (double v : {in.imageIndex, in.imageSpeed, in.imageXscale, in.imageYscale, in.imageAngle, in.imageAlpha})
    s.WriteReal(v);
  s.WriteInteger(in.imageBlend);
  s.WriteInteger(in.maskIndex);
  for (double v : {in.depth, in.x, in.y, in.xstart, in.ystart, in.xprevious, in.yprevious, in.direction, in.speed,
                   in.friction, in.gravityDirection, in.gravity, in.hspeed, in.vspeed})
    s.WriteReal(v);
  for (int32_t v : {in.bboxLeft, in.bboxRight, in.bboxTop, in.bboxBottom}) s.WriteInteger(v);
  s.WriteBoolean(in.visible);
  s.WriteBoolean(in.solid);
  s.WriteBoolean(in.persistent);
  s.WriteInteger(in.objectIndex);
  for (int32_t a : in.alarm) s.WriteInteger(a);
  s.WriteBoolean(in.destroyed);
  s.WriteBoolean(!in.active);
  s.WriteInteger(in.pathIndex);
  for (double v : {in.pathPosition, in.pathPositionprevious, in.pathSpeed, in.pathScale, in.pathOrientation})
    s.WriteReal(v);
  s.WriteInteger(in.pathEndaction);
  s.WriteReal(in.pathXorigin);
  s.WriteReal(in.pathYorigin);
  s.WriteInteger(in.timelineIndex);
  s.WriteReal(in.timelinePosition);
  s.WriteReal(in.timelineSpeed);
  s.WriteBoolean(in.timelineRunning);
  s.WriteBoolean(in.timelineLoop);
  s.WriteString(in.creationCode);
  in.variables.save(s);
}

// False for a variable list that does not parse; a short stream throws.
bool readInstance(data::CStream& s, CInstance& in) {
  in.id = s.ReadInteger();
  in.spriteIndex = s.ReadInteger();
  for (double* v : {&in.imageIndex, &in.imageSpeed, &in.imageXscale, &in.imageYscale, &in.imageAngle, &in.imageAlpha})
    *v = s.ReadReal();
  in.imageBlend = s.ReadInteger();
  in.maskIndex = s.ReadInteger();
  for (double* v : {&in.depth, &in.x, &in.y, &in.xstart, &in.ystart, &in.xprevious, &in.yprevious, &in.direction,
                    &in.speed, &in.friction, &in.gravityDirection, &in.gravity, &in.hspeed, &in.vspeed})
    *v = s.ReadReal();
  for (int32_t* v : {&in.bboxLeft, &in.bboxRight, &in.bboxTop, &in.bboxBottom}) *v = s.ReadInteger();
  in.visible = s.ReadBoolean();
  in.solid = s.ReadBoolean();
  in.persistent = s.ReadBoolean();
  in.objectIndex = s.ReadInteger();
  for (int32_t& a : in.alarm) a = s.ReadInteger();
  in.destroyed = s.ReadBoolean();
  in.active = !s.ReadBoolean();
  in.pathIndex = s.ReadInteger();
  for (double* v : {&in.pathPosition, &in.pathPositionprevious, &in.pathSpeed, &in.pathScale, &in.pathOrientation})
    *v = s.ReadReal();
  in.pathEndaction = s.ReadInteger();
  in.pathXorigin = s.ReadReal();
  in.pathYorigin = s.ReadReal();
  in.timelineIndex = s.ReadInteger();
  in.timelinePosition = s.ReadReal();
  in.timelineSpeed = s.ReadReal();
  in.timelineRunning = s.ReadBoolean();
  in.timelineLoop = s.ReadBoolean();
  in.creationCode = s.ReadString();
  return in.variables.load(s);
}

void writeRoom(data::CStream& s, const CRoom& r) {
  s.WriteInteger(kSavedGameVersion);
  s.WriteString(r.caption);
  s.WriteInteger(r.width);
  s.WriteInteger(r.height);
  s.WriteInteger(r.speed);
  s.WriteBoolean(r.persistent);
  s.WriteInteger(r.backgroundColor);
  s.WriteBoolean(r.drawBackgroundColor);
  s.WriteString(r.creationCode);
  s.WriteInteger(kRoomLayers);
  for (const CBack& b : r.backgrounds) {
    s.WriteBoolean(b.visible);
    s.WriteBoolean(b.foreground);
    s.WriteInteger(b.index);
    s.WriteReal(b.x);
    s.WriteReal(b.y);
    s.WriteBoolean(b.htiled);
    s.WriteBoolean(b.vtiled);
    for (double v : {b.xscale, b.yscale, b.hspeed, b.vspeed}) s.WriteReal(v);
    s.WriteInteger(b.blend);
    s.WriteReal(b.alpha);
  }
  s.WriteBoolean(r.viewsEnabled);
  s.WriteInteger(kRoomLayers);
  for (const CView& v : r.views) {
    s.WriteBoolean(v.visible);
    for (int32_t k : {v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport}) s.WriteInteger(k);
    s.WriteReal(v.angle);
    for (int32_t k : {v.hborder, v.vborder, v.hspeed, v.vspeed, v.object}) s.WriteInteger(k);
  }
  for (const auto* list : {&r.instances, &r.deactivated}) {
    s.WriteInteger(static_cast<int32_t>(list->size()));
    for (const auto& in : *list) writeInstance(s, *in);
  }
  s.WriteInteger(static_cast<int32_t>(r.tiles.size()));
  for (const CTile& t : r.tiles) {
    s.WriteReal(t.x);
    s.WriteReal(t.y);
    for (int32_t k : {t.background, t.left, t.top, t.width, t.height}) s.WriteInteger(k);
    s.WriteReal(t.depth);
    s.WriteInteger(t.id);
    s.WriteReal(t.xscale);
    s.WriteReal(t.yscale);
    s.WriteInteger(t.blend);
    s.WriteReal(t.alpha);
    s.WriteBoolean(t.visible);
  }
}

// A count read from the file: refused when negative or when the bytes left could not hold that
// many records of at least `minimum` bytes, so a damaged count cannot make the reader loop long.
bool plausibleCount(const data::CStream& s, int32_t n, size_t minimum) {
  return n >= 0 && static_cast<size_t>(n) <= s.remaining() / minimum;
}

bool readRoom(data::CStream& s, CRoom& r) {
  if (s.ReadInteger() != kSavedGameVersion) return false;
  r.caption = s.ReadString();
  r.width = s.ReadInteger();
  r.height = s.ReadInteger();
  r.speed = s.ReadInteger();
  r.persistent = s.ReadBoolean();
  r.backgroundColor = s.ReadInteger();
  r.drawBackgroundColor = s.ReadBoolean();
  r.creationCode = s.ReadString();
  if (s.ReadInteger() != kRoomLayers) return false;
  for (CBack& b : r.backgrounds) {
    b.visible = s.ReadBoolean();
    b.foreground = s.ReadBoolean();
    b.index = s.ReadInteger();
    b.x = s.ReadReal();
    b.y = s.ReadReal();
    b.htiled = s.ReadBoolean();
    b.vtiled = s.ReadBoolean();
    for (double* v : {&b.xscale, &b.yscale, &b.hspeed, &b.vspeed}) *v = s.ReadReal();
    b.blend = s.ReadInteger();
    b.alpha = s.ReadReal();
  }
  r.viewsEnabled = s.ReadBoolean();
  if (s.ReadInteger() != kRoomLayers) return false;
  for (CView& v : r.views) {
    v.visible = s.ReadBoolean();
    for (int32_t* k : {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport})
      *k = s.ReadInteger();
    v.angle = s.ReadReal();
    for (int32_t* k : {&v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object}) *k = s.ReadInteger();
  }
  constexpr size_t kInstanceBytes = 300;  // fields alone, before the variables
  for (auto* list : {&r.instances, &r.deactivated}) {
    const int32_t n = s.ReadInteger();
    if (!plausibleCount(s, n, kInstanceBytes)) return false;
    for (int32_t k = 0; k < n; ++k) {
      auto in = std::make_unique<CInstance>();
      if (!readInstance(s, *in)) return false;
      list->push_back(std::move(in));
    }
  }
  const int32_t t = s.ReadInteger();
  if (!plausibleCount(s, t, 76)) return false;
  r.tiles.resize(static_cast<size_t>(t));
  for (CTile& tile : r.tiles) {
    tile.x = s.ReadReal();
    tile.y = s.ReadReal();
    for (int32_t* k : {&tile.background, &tile.left, &tile.top, &tile.width, &tile.height}) *k = s.ReadInteger();
    tile.depth = s.ReadReal();
    tile.id = s.ReadInteger();
    tile.xscale = s.ReadReal();
    tile.yscale = s.ReadReal();
    tile.blend = s.ReadInteger();
    tile.alpha = s.ReadReal();
    tile.visible = s.ReadBoolean();
  }
  r.ListsChanged();
  return true;
}

// The world's part of a file, read completely before any of it is used: the head (room,
// transition, counters, steps) and the rooms, which the head's room index must name.
struct LoadedWorld {
  int32_t room = -1;
  int32_t transition = 0;
  GameCounters counters;
  int32_t steps = 0;
  std::vector<std::unique_ptr<CRoom>> copies;
  int32_t lastInstance = 0;
  int32_t lastTile = 0;
};

// The head read by the last ReadSavedHead, for the rooms section that follows it in the file.
LoadedWorld& loadingHead() {
  static LoadedWorld head;
  return head;
}

}  // namespace

void WriteSavedHead(data::CStream& s) {
  s.WriteInteger(CurrentRoomIndex());
  s.WriteInteger(transitionKind());
  const GameCounters& c = gameCounters();
  s.WriteInteger(c.score);
  s.WriteInteger(c.lives);
  s.WriteReal(c.health);
  s.WriteInteger(c.cursorSprite);
  s.WriteInteger(static_cast<int32_t>(stepCounter()));
}

std::function<void()> ReadSavedHead(data::CStream& s) {
  LoadedWorld& g = loadingHead();
  g = LoadedWorld{};
  g.room = s.ReadInteger();
  g.transition = s.ReadInteger();
  g.counters.score = s.ReadInteger();
  g.counters.lives = s.ReadInteger();
  g.counters.health = s.ReadReal();
  g.counters.cursorSprite = s.ReadInteger();
  g.steps = s.ReadInteger();
  // The head takes effect together with the rooms (their section applies both).
  return [] {};
}

void WriteSavedRooms(data::CStream& s) {
  const auto& copies = workingCopies();
  s.WriteInteger(static_cast<int32_t>(copies.size()));
  for (const auto& room : copies) {
    s.WriteBoolean(room != nullptr);
    if (room) writeRoom(s, *room);
  }
  s.WriteInteger(static_cast<int32_t>(lastInstanceId()));
  s.WriteInteger(lastTileId());
}

std::function<void()> ReadSavedRooms(data::CStream& s) {
  auto g = std::make_shared<LoadedWorld>(std::move(loadingHead()));
  loadingHead() = LoadedWorld{};
  const int32_t r = s.ReadInteger();
  // Slots beyond the rooms of the game would hold copies of rooms that do not exist.
  if (r < 0 || static_cast<size_t>(r) > rooms().size() || !plausibleCount(s, r, 4)) return {};
  g->copies.resize(static_cast<size_t>(r));
  for (auto& slot : g->copies) {
    if (!s.ReadBoolean()) continue;
    slot = std::make_unique<CRoom>();
    if (!readRoom(s, *slot)) return {};
  }
  g->lastInstance = s.ReadInteger();
  g->lastTile = s.ReadInteger();
  // The current room must be one of the stored copies.
  if (g->room < 0 || g->room >= r || !g->copies[static_cast<size_t>(g->room)]) return {};
  return [g] {
    transitionKind() = g->transition;
    gameCounters() = g->counters;
    stepCounter() = g->steps;
    ReplaceWorkingCopies(std::move(g->copies), g->room);
    lastInstanceId() = g->lastInstance;
    lastTileId() = g->lastTile;
  };
}

void RequestLoad(const std::string& fname) {
  loadName() = fname;
  transferRequest() = kTransferLoad;
}
const std::string& pendingLoadName() { return loadName(); }

std::string QuickSaveName() { return "_save" + std::to_string(currentGameId()) + ".sav"; }

}  // namespace qv::world
