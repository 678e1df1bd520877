// instance_* (creation, destruction, change, copy, existence, counting and activation).
#include <vector>

#include "world/builtins.h"
#include "world/game_world.h"
#include "world/instances.h"
#include "world/object.h"

namespace qv::world {

namespace {

using code::BuiltinCall;

constexpr int32_t kSelf = -1, kOther = -2, kAll = -3, kNoone = -4;
constexpr int32_t kFirstId = 100000;

// Calls f(instance) for every live instance the specifier names, in room list order, until f
// returns false. Walks by position against the live lists.
template <class F>
void forNamed(const BuiltinCall& c, int32_t who, F f) {
  CRoom& room = CurrentRoom();
  if (who == kSelf || who == kOther) {
    CInstance* in = who == kSelf ? Self(c) : Other(c);
    if (in && IsLive(*in)) f(in);
  } else if (who == kAll) {
    for (size_t k = 0; k < room.instances.size(); ++k)
      if (IsLive(*room.instances[k]) && !f(room.instances[k].get())) return;
  } else if (who >= kFirstId) {
    CInstance* in = room.FindById(who);
    if (in && in->destroyed) {
      in = nullptr;
      for (auto& i : room.instances)
        if (i->id == who && IsLive(*i)) in = i.get();
    }
    if (in && IsLive(*in)) f(in);
  } else if (who >= 0) {
    for (size_t k = 0;; ++k) {
      const auto& list = room.InstancesOf(who);
      if (k >= list.size()) return;
      if (IsLive(*list[k]) && !f(list[k])) return;
    }
  }
}

void instance_create(BuiltinCall& c) {
  CInstance* in = CreateInstance(c.integer(2), c.real(0), c.real(1));
  // No instance, no id: the caller gets noone.
  c.result.setReal(in ? in->id : kNoone);
}
void instance_destroy(BuiltinCall& c) { if (Self(c)) DestroyInstance(*Self(c)); }
void instance_change(BuiltinCall& c) { if (Self(c)) ChangeInstance(*Self(c), c.integer(0), c.truth(1)); }
void instance_copy(BuiltinCall& c) {
  CInstance* in = Self(c) ? CopyInstance(*Self(c), c.truth(0)) : nullptr;
  c.result.setReal(in ? in->id : kNoone);
}
void instance_sprite(BuiltinCall& c) { if (Self(c)) SetSprite(*Self(c), c.integer(0)); }

void instance_exists(BuiltinCall& c) {
  bool found = false;
  forNamed(c, c.integer(0), [&](CInstance*) { return !(found = true); });
  c.result.setReal(code::truthValue(found));
}

void instance_find(BuiltinCall& c) {
  const int32_t who = c.integer(0), n = c.integer(1);
  int32_t seen = 0, id = kNoone;
  if (n >= 0 && (who < kFirstId || n == 0))
    forNamed(c, who, [&](CInstance* in) {
      if (seen++ < n) return true;
      id = in->id;
      return false;
    });
  c.result.setReal(id);
}

void instance_number(BuiltinCall& c) { c.result.setReal(InstanceNumber(c, c.integer(0))); }

// Outside test of the region functions: the box for instances with a sprite or mask, the position
// otherwise.
bool meets(const CInstance& in, double left, double top, double width, double height) {
  bool outside;
  if (in.spriteIndex >= 0 || in.maskIndex >= 0)
    outside = in.bboxRight < left || left + width < in.bboxLeft || in.bboxBottom < top || top + height < in.bboxTop;
  else
    outside = in.x < left || in.x > left + width || in.y < top || in.y > top + height;
  return !outside;
}

void deactivateWhere(BuiltinCall& c, auto choose) {
  CRoom& room = CurrentRoom();
  for (auto& i : room.instances)
    if (!i->destroyed && choose(*i)) i->active = false;
  ApplyActivation(room);
  (void)c;
}

void activateWhere(auto choose) {
  CRoom& room = CurrentRoom();
  for (auto& i : room.deactivated)
    if (choose(*i)) i->active = true;
  ApplyActivation(room);
}

// Whether a deactivated or active instance is named by a specifier (for activation, where the
// lookups of live instances do not reach).
bool named(BuiltinCall& c, int32_t who, const CInstance& in) {
  if (who == kSelf) return &in == Self(c);
  if (who == kOther) return &in == Other(c);
  if (who == kAll) return true;
  if (who >= kFirstId) return in.id == who;
  if (who >= 0) return in.objectIndex == who || IsAncestor(in.objectIndex, who);
  return false;
}

void instance_deactivate_all(BuiltinCall& c) {
  const bool notme = c.truth(0);
  deactivateWhere(c, [&](const CInstance& in) { return !(notme && &in == Self(c)); });
}
void instance_deactivate_object(BuiltinCall& c) {
  const int32_t who = c.integer(0);
  deactivateWhere(c, [&](const CInstance& in) { return named(c, who, in); });
}
void instance_deactivate_region(BuiltinCall& c) {
  const double l = c.real(0), t = c.real(1), w = c.real(2), h = c.real(3);
  const bool inside = c.truth(4), notme = c.truth(5);
  deactivateWhere(c, [&](const CInstance& in) {
    if (notme && &in == Self(c)) return false;
    return meets(in, l, t, w, h) == inside;
  });
}
void instance_activate_all(BuiltinCall&) { activateWhere([](const CInstance&) { return true; }); }
void instance_activate_object(BuiltinCall& c) {
  const int32_t who = c.integer(0);
  activateWhere([&](const CInstance& in) { return named(c, who, in); });
}
void instance_activate_region(BuiltinCall& c) {
  const double l = c.real(0), t = c.real(1), w = c.real(2), h = c.real(3);
  const bool inside = c.truth(4);
  activateWhere([&](const CInstance& in) { return meets(in, l, t, w, h) == inside; });
}

constexpr code::BuiltinFunction kInstanceFunctions[] = {
    {"instance_create", instance_create, 3},
    {"instance_destroy", instance_destroy, 0},
    {"instance_change", instance_change, 2},
    {"instance_copy", instance_copy, 1},
    {"instance_sprite", instance_sprite, 1},
    {"instance_exists", instance_exists, 1},
    {"instance_find", instance_find, 2},
    {"instance_number", instance_number, 1},
    {"instance_deactivate_all", instance_deactivate_all, 1},
    {"instance_deactivate_object", instance_deactivate_object, 1},
    {"instance_deactivate_region", instance_deactivate_region, 6},
    {"instance_activate_all", instance_activate_all, 0},
    {"instance_activate_object", instance_activate_object, 1},
    {"instance_activate_region", instance_activate_region, 5},
};

}  // namespace

code::BuiltinFamily InstanceFunctions() { return kInstanceFunctions; }

int32_t InstanceNumber(const code::BuiltinCall& c, int32_t who) {
  int32_t count = 0;
  forNamed(c, who, [&](CInstance*) { return ++count > 0; });
  return count;
}

}  // namespace qv::world
