#include "world/instances.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "code/errors.h"
#include "graphics/sprite.h"
#include "world/bounding_box.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/object.h"

namespace qv::world {

std::unique_ptr<CInstance> NewInstance(int32_t object, double x, double y, int32_t id) {
  auto in = std::make_unique<CInstance>();
  in->id = id;
  in->objectIndex = object;
  in->x = in->xstart = in->xprevious = x;
  in->y = in->ystart = in->yprevious = y;
  if (const CObject* o = GetObject(object)) {
    in->spriteIndex = o->sprite;
    in->maskIndex = o->mask;
    in->depth = o->depth;
    in->visible = o->visible;
    in->solid = o->solid;
    in->persistent = o->persistent;
  }
  world::ComputeBoundingBox(*in);
  return in;
}

int32_t TakeInstanceId() {
  if (lastInstanceId() >= std::numeric_limits<int32_t>::max()) return -1;
  return static_cast<int32_t>(++lastInstanceId());
}

namespace {
bool takeId(int32_t& id) {
  id = TakeInstanceId();
  if (id >= 0) return true;
  code::ReportActionError("No instance ids are left.", false);
  return false;
}
}  // namespace

CInstance* CreateInstance(int32_t object, double x, double y) {
  return CreateInstanceWith(object, x, y, [](CInstance&) {});
}

CInstance* CreateInstanceWith(int32_t object, double x, double y, const std::function<void(CInstance&)>& prepare) {
  if (!ObjectExists(object)) {
    code::ReportActionError("Creating instance for non-existing object: " + std::to_string(object), false);
    return nullptr;
  }
  int32_t id;
  if (!takeId(id)) return nullptr;
  CInstance& in = CurrentRoom().Append(NewInstance(object, x, y, id));
  prepare(in);
  PerformEvent(&in, &in, object, ev_create, 0);
  return &in;
}

void DestroyInstance(CInstance& in) {
  if (in.destroyed) return;
  // The mark is what ends the instance; it is set after the event, but a destroy already running
  // for this instance must not start again from inside its own event.
  static std::vector<CInstance*> running;
  if (std::find(running.begin(), running.end(), &in) != running.end()) return;
  running.push_back(&in);
  PerformEvent(&in, &in, in.objectIndex, ev_destroy, 0);
  running.erase(std::find(running.begin(), running.end(), &in));
  in.destroyed = true;
}

void SetInstanceObject(CInstance& in, int32_t object) {
  in.objectIndex = object;
  if (const CObject* o = GetObject(object)) {
    in.spriteIndex = o->sprite;
    in.maskIndex = o->mask;
    in.depth = o->depth;
    in.solid = o->solid;
    in.visible = o->visible;
    in.persistent = o->persistent;
  }
  world::ComputeBoundingBox(in);
}

void ChangeInstance(CInstance& in, int32_t object, bool perform) {
  if (!ObjectExists(object)) {
    code::ReportActionError("Asking to change into non-existing object: " + std::to_string(object), false);
    return;
  }
  if (perform) PerformEvent(&in, &in, in.objectIndex, ev_destroy, 0);
  int32_t id;
  if (!takeId(id)) return;
  auto fresh = NewInstance(object, in.x, in.y, id);
  CopyFields(*fresh, in);
  SetInstanceObject(*fresh, object);
  fresh->destroyed = false;
  CInstance& changed = CurrentRoom().Append(std::move(fresh));
  in.destroyed = true;
  if (perform) PerformEvent(&changed, &changed, object, ev_create, 0);
}

CInstance* CopyInstance(CInstance& source, bool performEvent) {
  int32_t id;
  if (!takeId(id)) return nullptr;
  auto copy = NewInstance(source.objectIndex, source.x, source.y, id);
  CopyFields(*copy, source);
  copy->id = id;
  CInstance& in = CurrentRoom().Append(std::move(copy));
  if (performEvent) PerformEvent(&in, &in, in.objectIndex, ev_create, 0);
  return &in;
}

void AssignSprite(CInstance& in, int32_t sprite) {
  const graphics::CSprite* s = graphics::sprites().get(sprite);
  if (!s || std::floor(in.imageIndex) >= s->frameCount()) in.imageIndex = 0;
  in.spriteIndex = sprite;
  world::ComputeBoundingBox(in);
}

void SetSprite(CInstance& in, int32_t sprite) {
  if (!graphics::sprites().exists(sprite)) {
    code::ReportActionError("Setting instance to non-existing sprite: " + std::to_string(sprite), false);
    return;
  }
  AssignSprite(in, sprite);
}

void ApplyActivation(CRoom& room) {
  std::vector<std::unique_ptr<CInstance>> stay, leave, back, still;
  bool changed = false;
  for (auto& i : room.instances) {
    if (i->active) stay.push_back(std::move(i));
    else { leave.push_back(std::move(i)); changed = true; }
  }
  for (auto& i : room.deactivated) {
    if (i->active) { back.push_back(std::move(i)); changed = true; }
    else still.push_back(std::move(i));
  }
  for (auto& i : back) stay.push_back(std::move(i));
  for (auto& i : leave) still.push_back(std::move(i));
  room.instances = std::move(stay);
  room.deactivated = std::move(still);
  if (changed) room.ListsChanged();
}

}  // namespace qv::world
