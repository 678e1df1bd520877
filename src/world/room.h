// CRoom: a level with its backgrounds, views, instances and tiles; the room records of the game
// data, the room list and the room order.
//
// The same class serves the loaded resource (its instances are the placed ones) and the working
// copy the game plays in. The per-object lists of a working copy are derived from its instance
// list and rebuilt whenever the list or the parent relation changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "world/instance.h"
#include "world/object.h"

namespace qv::data {
class CStream;
}

namespace qv::world {

inline constexpr int kRoomLayers = 8;  // backgrounds and views

struct CBack {
  bool visible = false;
  bool foreground = false;
  int32_t index = -1;
  double x = 0, y = 0;
  bool htiled = true, vtiled = true;
  double xscale = 1, yscale = 1;
  double hspeed = 0, vspeed = 0;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
  // The stored "stretch to the room" flag, kept as read: the scale above is what draws, but an
  // empty or room-sized background gives scale 1 and the flag would otherwise be lost on writing.
  bool stretch = false;
};

struct CView {
  bool visible = false;
  int32_t xview = 0, yview = 0, wview = 640, hview = 480;
  int32_t xport = 0, yport = 0, wport = 640, hport = 480;
  double angle = 0;
  int32_t hborder = 32, vborder = 32;
  int32_t hspeed = -1, vspeed = -1;  // -1: unlimited
  int32_t object = -1;
};

struct CTile {
  double x = 0, y = 0;
  int32_t background = -1;
  int32_t left = 0, top = 0, width = 0, height = 0;
  double depth = 0;
  int32_t id = 0;
  double xscale = 1, yscale = 1;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
  bool visible = true;
};

// Counts every change of order or membership of any room's instance lists (appends excepted), so
// that caches addressed by list positions know when to rebuild.
uint64_t& RoomListsVersion();

class CRoom {
 public:
  std::string caption;
  int32_t width = 640, height = 480;
  int32_t speed = 30;
  bool persistent = false;
  int32_t backgroundColor = 0xC0C0C0;
  bool drawBackgroundColor = true;
  std::string creationCode;
  std::array<CBack, kRoomLayers> backgrounds;
  bool viewsEnabled = false;
  std::array<CView, kRoomLayers> views;
  std::vector<std::unique_ptr<CInstance>> instances;    // active, in list order
  std::vector<std::unique_ptr<CInstance>> deactivated;  // in the order they were deactivated
  std::vector<CTile> tiles;

  CRoom() = default;
  // A complete copy: every field, new instances with every field of the originals, the tiles.
  CRoom(const CRoom& other);
  CRoom& operator=(const CRoom&) = delete;

  // Appends an instance to the list and to the per-object lists; returns it.
  CInstance& Append(std::unique_ptr<CInstance> instance);
  // The active instances of the object and of its descendants, in list order (destroyed ones
  // included: callers skip them). Empty for an index outside the object list.
  const std::vector<CInstance*>& InstancesOf(int32_t object);
  // Only those of the object itself. Inline: every event a step raises asks it once per instance.
  const std::vector<CInstance*>& InstancesOfObjectOnly(int32_t object) {
    if (!listsValid_ || listsGeneration_ != ObjectGeneration()) rebuild();
    if (object < 0 || object >= static_cast<int32_t>(byObject_.size())) return noInstances();
    return byObject_[static_cast<size_t>(object)];
  }
  // The last active instance in list order with this id (destroyed or not), or nullptr.
  CInstance* FindById(int32_t id);
  // The first one in list order.
  CInstance* FirstWithId(int32_t id);
  // The list order or membership changed (removal, sorting, deactivation): rebuild on next use.
  void ListsChanged() {
    listsValid_ = false;
    ++RoomListsVersion();
  }

 private:
  void rebuild();
  void addToLists(CInstance* instance);
  static const std::vector<CInstance*>& noInstances();
  bool listsValid_ = false;
  uint64_t listsGeneration_ = 0;
  std::vector<std::vector<CInstance*>> byObject_, byAncestor_;
  std::unordered_map<int32_t, CInstance*> byId_;
  bool duplicateIds_ = false;  // two entries share an id (a change or a carried instance, until clean-up)
};

// ---- the room list and order ----------------------------------------------------------------------
std::vector<std::unique_ptr<CRoom>>& rooms();
std::vector<std::string>& roomNames();
bool RoomExists(int32_t index);
CRoom* GetRoom(int32_t index);
std::string RoomName(int32_t index);  // "<undefined>" for a missing room
int32_t FindRoom(std::string_view name);
std::vector<int32_t>& roomOrder();
int32_t FirstRoom();  // -1 without an order
int32_t LastRoom();
int32_t PreviousRoom(int32_t room);  // -1 when none (also for a room not in the order)
int32_t NextRoom(int32_t room);

// The counters of ids: instances (64 bits so that it cannot overflow into the specifier ranges;
// creation is refused past the largest 32-bit id) and tiles.
int64_t& lastInstanceId();
int32_t& lastTileId();

// ---- game data ----------------------------------------------------------------------------------
// Room record version 541. More than 8 backgrounds or views in a record are read and dropped.
bool ReadRoomRecord(data::CStream& s, CRoom& room);
void WriteRoomRecord(data::CStream& s, const CRoom& room);
// The rooms chunk (standard frame, version 800) and the two counters after it.
bool ReadRoomsChunk(data::CStream& s);
// The room order chunk: version 700, a count of 1 or more, the indices.
bool ReadRoomOrderChunk(data::CStream& s);
void WriteRoomOrderItem(data::CStream& s, int32_t room);

}  // namespace qv::world
