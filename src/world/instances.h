// Creating, destroying, changing, copying, deactivating and activating instances of the current
// room.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "world/instance.h"

namespace qv::world {

class CRoom;

// A new instance record (not in any room) with the object's defaults at (x, y) and the box
// computed. A missing object gives the record defaults; `object_index` keeps its number.
std::unique_ptr<CInstance> NewInstance(int32_t object, double x, double y, int32_t id);
// The next instance id, or -1 when the counter has reached the largest 32-bit id.
int32_t TakeInstanceId();

// Appends a new instance to the current room and performs its create event. Reports
// "Creating instance for non-existing object: " + index and returns nullptr for a missing object.
CInstance* CreateInstance(int32_t object, double x, double y);
// As CreateInstance, with `prepare` run on the new instance before its create event.
CInstance* CreateInstanceWith(int32_t object, double x, double y, const std::function<void(CInstance&)>& prepare);
// Performs the destroy event, then marks the instance destroyed (a second call from its own destroy
// event does nothing, so the event cannot recurse without end).
void DestroyInstance(CInstance& instance);
void ChangeInstance(CInstance& instance, int32_t object, bool perform);
// instance_copy: a new instance with every field of the source and its own new id.
CInstance* CopyInstance(CInstance& source, bool performEvent);
// Reports "Setting instance to non-existing sprite: " + index and changes nothing for a missing
// sprite; else assigns it (see AssignSprite).
void SetSprite(CInstance& instance, int32_t sprite);
// sprite_index assignment: resets image_index when its frame is past the new sprite's frames, then
// recomputes the box.
void AssignSprite(CInstance& instance, int32_t sprite);
// The object of an instance becomes `object`, with its defaults for the fields objects give.
void SetInstanceObject(CInstance& instance, int32_t object);

// Live: active and not marked destroyed.
inline bool IsLive(const CInstance& i) { return i.active && !i.destroyed; }

// Moves marked instances out of the active list and unmarked deactivated ones back (appended at
// the end), keeping both lists' orders.
void ApplyActivation(CRoom& room);

}  // namespace qv::world
