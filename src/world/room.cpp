#include "world/room.h"

#include <algorithm>
#include <limits>

#include "code/rounding.h"
#include "graphics/background.h"
#include "data/container.h"
#include "data/stream.h"
#include "world/instances.h"
#include "world/object.h"

namespace qv::world {

namespace {
constexpr int32_t kRoomVersion = 541;
constexpr int32_t kRoomOrderVersion = 700;
const std::vector<CInstance*> kNoInstances;
}  // namespace

uint64_t& RoomListsVersion() {
  static uint64_t version = 0;
  return version;
}

CRoom::CRoom(const CRoom& o)
    : caption(o.caption), width(o.width), height(o.height), speed(o.speed),
      persistent(o.persistent), backgroundColor(o.backgroundColor),
      drawBackgroundColor(o.drawBackgroundColor), creationCode(o.creationCode),
      backgrounds(o.backgrounds), viewsEnabled(o.viewsEnabled), views(o.views), tiles(o.tiles) {
  instances.reserve(o.instances.size());
  for (const auto& i : o.instances) instances.push_back(std::make_unique<CInstance>(*i));
  for (const auto& i : o.deactivated) deactivated.push_back(std::make_unique<CInstance>(*i));
}

void CRoom::addToLists(CInstance* in) {
  CInstance*& slot = byId_[in->id];
  if (slot) duplicateIds_ = true;
  slot = in;  // a later entry with the same id wins, as a search from the end finds it
  const int32_t obj = in->objectIndex;
  if (obj < 0 || obj >= static_cast<int32_t>(byObject_.size())) return;
  byObject_[static_cast<size_t>(obj)].push_back(in);
  byAncestor_[static_cast<size_t>(obj)].push_back(in);
  for (int32_t a : AncestorsOf(obj)) byAncestor_[static_cast<size_t>(a)].push_back(in);
}

void CRoom::rebuild() {
  const auto count = static_cast<size_t>(ObjectCount());
  byObject_.assign(count, {});
  byAncestor_.assign(count, {});
  byId_.clear();
  duplicateIds_ = false;
  byId_.reserve(instances.size());
  for (auto& i : instances) addToLists(i.get());
  listsValid_ = true;
  listsGeneration_ = ObjectGeneration();
}

CInstance& CRoom::Append(std::unique_ptr<CInstance> instance) {
  CInstance* in = instance.get();
  instances.push_back(std::move(instance));
  if (listsValid_ && listsGeneration_ == ObjectGeneration()) addToLists(in);
  else listsValid_ = false;
  return *in;
}

const std::vector<CInstance*>& CRoom::noInstances() { return kNoInstances; }

const std::vector<CInstance*>& CRoom::InstancesOf(int32_t object) {
  if (!listsValid_ || listsGeneration_ != ObjectGeneration()) rebuild();
  if (object < 0 || object >= static_cast<int32_t>(byAncestor_.size())) return kNoInstances;
  return byAncestor_[static_cast<size_t>(object)];
}


CInstance* CRoom::FindById(int32_t id) {
  if (!listsValid_ || listsGeneration_ != ObjectGeneration()) rebuild();
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : it->second;
}

CInstance* CRoom::FirstWithId(int32_t id) {
  CInstance* last = FindById(id);
  if (!last || !duplicateIds_) return last;
  for (auto& i : instances)
    if (i->id == id) return i.get();
  return nullptr;
}

// ---- room list ----------------------------------------------------------------------------------

std::vector<std::unique_ptr<CRoom>>& rooms() {
  static std::vector<std::unique_ptr<CRoom>> r;
  return r;
}
std::vector<std::string>& roomNames() {
  static std::vector<std::string> n;
  return n;
}
bool RoomExists(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < rooms().size() && rooms()[static_cast<size_t>(index)];
}
CRoom* GetRoom(int32_t index) { return RoomExists(index) ? rooms()[static_cast<size_t>(index)].get() : nullptr; }
std::string RoomName(int32_t index) { return RoomExists(index) ? roomNames()[static_cast<size_t>(index)] : "<undefined>"; }
int32_t FindRoom(std::string_view name) {
  for (size_t i = 0; i < rooms().size(); ++i)
    if (rooms()[i] && roomNames()[i] == name) return static_cast<int32_t>(i);
  return -1;
}
std::vector<int32_t>& roomOrder() {
  static std::vector<int32_t> o;
  return o;
}
int32_t FirstRoom() { return roomOrder().empty() ? -1 : roomOrder().front(); }
int32_t LastRoom() { return roomOrder().empty() ? -1 : roomOrder().back(); }
int32_t PreviousRoom(int32_t room) {
  const auto& o = roomOrder();
  for (size_t i = 1; i < o.size(); ++i)
    if (o[i] == room) return o[i - 1];
  return -1;
}
int32_t NextRoom(int32_t room) {
  const auto& o = roomOrder();
  for (size_t i = 0; i + 1 < o.size(); ++i)
    if (o[i] == room) return o[i + 1];
  return -1;
}

int64_t& lastInstanceId() {
  static int64_t id = 100000;
  return id;
}
int32_t& lastTileId() {
  static int32_t id = 10000000;
  return id;
}

// ---- records ------------------------------------------------------------------------------------

bool ReadRoomRecord(data::CStream& s, CRoom& r) {
  if (s.ReadInteger() != kRoomVersion) return false;
  r.caption = s.ReadString();
  r.width = s.ReadInteger();
  r.height = s.ReadInteger();
  r.speed = s.ReadInteger();
  r.persistent = s.ReadBoolean();
  r.backgroundColor = s.ReadInteger();
  r.drawBackgroundColor = s.ReadBoolean();
  r.creationCode = s.ReadString();
  auto count = data::ReadCount(s, 4);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    CBack b;
    b.visible = s.ReadBoolean();
    b.foreground = s.ReadBoolean();
    b.index = s.ReadInteger();
    b.x = s.ReadInteger();
    b.y = s.ReadInteger();
    b.htiled = s.ReadBoolean();
    b.vtiled = s.ReadBoolean();
    b.hspeed = s.ReadInteger();
    b.vspeed = s.ReadInteger();
    b.stretch = s.ReadBoolean();
    if (b.stretch) {
      const graphics::CBackground* back = graphics::backgrounds().get(b.index);
      if (back && back->width() > 0 && back->height() > 0) {
        b.xscale = static_cast<double>(r.width) / back->width();
        b.yscale = static_cast<double>(r.height) / back->height();
      }
    }
    if (i < kRoomLayers) r.backgrounds[static_cast<size_t>(i)] = b;
  }
  r.viewsEnabled = s.ReadBoolean();
  count = data::ReadCount(s, 4);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    CView v;
    v.visible = s.ReadBoolean();
    v.xview = s.ReadInteger();
    v.yview = s.ReadInteger();
    v.wview = s.ReadInteger();
    v.hview = s.ReadInteger();
    v.xport = s.ReadInteger();
    v.yport = s.ReadInteger();
    v.wport = s.ReadInteger();
    v.hport = s.ReadInteger();
    v.hborder = s.ReadInteger();
    v.vborder = s.ReadInteger();
    v.hspeed = s.ReadInteger();
    v.vspeed = s.ReadInteger();
    v.object = s.ReadInteger();
    if (i < kRoomLayers) r.views[static_cast<size_t>(i)] = v;
  }
  count = data::ReadCount(s, 20);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    const double x = s.ReadInteger();
    const double y = s.ReadInteger();
    const int32_t object = s.ReadInteger();
    const int32_t id = s.ReadInteger();
    auto in = NewInstance(object, x, y, id);
    in->creationCode = s.ReadString();
    r.instances.push_back(std::move(in));
  }
  count = data::ReadCount(s, 36);
  if (!count) return false;
  r.tiles.reserve(static_cast<size_t>(*count));
  for (int32_t i = 0; i < *count; ++i) {
    CTile t;
    t.x = s.ReadInteger();
    t.y = s.ReadInteger();
    t.background = s.ReadInteger();
    t.left = s.ReadInteger();
    t.top = s.ReadInteger();
    t.width = s.ReadInteger();
    t.height = s.ReadInteger();
    t.depth = s.ReadInteger();
    t.id = s.ReadInteger();
    r.tiles.push_back(t);
  }
  r.ListsChanged();
  return true;
}

namespace {
int32_t whole(double v) { return code::roundToInt32(v); }
}  // namespace

void WriteRoomRecord(data::CStream& s, const CRoom& r) {
  s.WriteInteger(kRoomVersion);
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
    s.WriteInteger(whole(b.x));
    s.WriteInteger(whole(b.y));
    s.WriteBoolean(b.htiled);
    s.WriteBoolean(b.vtiled);
    s.WriteInteger(whole(b.hspeed));
    s.WriteInteger(whole(b.vspeed));
    s.WriteBoolean(b.stretch || b.xscale != 1 || b.yscale != 1);
  }
  s.WriteBoolean(r.viewsEnabled);
  s.WriteInteger(kRoomLayers);
  for (const CView& v : r.views) {
    s.WriteBoolean(v.visible);
    for (int32_t n : {v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport,
                      v.hborder, v.vborder, v.hspeed, v.vspeed, v.object})
      s.WriteInteger(n);
  }
  s.WriteInteger(static_cast<int32_t>(r.instances.size()));
  for (const auto& in : r.instances) {
    s.WriteInteger(whole(in->x));
    s.WriteInteger(whole(in->y));
    s.WriteInteger(in->objectIndex);
    s.WriteInteger(in->id);
    s.WriteString(in->creationCode);
  }
  s.WriteInteger(static_cast<int32_t>(r.tiles.size()));
  for (const CTile& t : r.tiles) {
    s.WriteInteger(whole(t.x));
    s.WriteInteger(whole(t.y));
    s.WriteInteger(t.background);
    s.WriteInteger(t.left);
    s.WriteInteger(t.top);
    s.WriteInteger(t.width);
    s.WriteInteger(t.height);
    s.WriteInteger(whole(t.depth));
    s.WriteInteger(t.id);
  }
}

bool ReadRoomsChunk(data::CStream& s) {
  rooms().clear();
  roomNames().clear();
  const bool ok = data::ReadStandardFrame(s, data::Chunk(data::ChunkId::Rooms).version, [](data::FrameSlot& slot) {
    const auto index = static_cast<size_t>(slot.index);
    if (rooms().size() <= index) {
      rooms().resize(index + 1);
      roomNames().resize(index + 1);
    }
    if (!slot.exists) return true;
    auto r = std::make_unique<CRoom>();
    if (!ReadRoomRecord(slot.record, *r)) return false;
    rooms()[index] = std::move(r);
    roomNames()[index] = slot.name;
    return true;
  });
  if (!ok) return false;
  lastInstanceId() = s.ReadInteger();
  lastTileId() = s.ReadInteger();
  return true;
}

bool ReadRoomOrderChunk(data::CStream& s) {
  roomOrder().clear();
  if (s.ReadInteger() != kRoomOrderVersion) return false;
  const auto count = data::ReadCount(s, 4);
  if (!count || *count < 1) return false;
  for (int32_t i = 0; i < *count; ++i) roomOrder().push_back(s.ReadInteger());
  return true;
}

void WriteRoomOrderItem(data::CStream& s, int32_t room) { s.WriteInteger(room); }

}  // namespace qv::world
