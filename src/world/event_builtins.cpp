// event_* and object_*.
#include <memory>

#include "code/errors.h"
#include "world/builtins.h"
#include "world/event_performer.h"
#include "world/instance.h"
#include "world/object.h"

namespace qv::world {

namespace {

using code::BuiltinCall;

void event_perform(BuiltinCall& c) { PerformEventFor(Self(c), Other(c), c.integer(0), c.integer(1)); }
void event_perform_object(BuiltinCall& c) {
  PerformEvent(Self(c), Other(c), c.integer(0), c.integer(1), c.integer(2));
}
void event_user(BuiltinCall& c) { PerformEventFor(Self(c), Other(c), ev_other, c.integer(0) + ev_user0); }
void event_inherited(BuiltinCall& c) { PerformInherited(Self(c), Other(c)); }

constexpr code::BuiltinFunction kEventFunctions[] = {
    {"event_perform", event_perform, 2},
    {"event_perform_object", event_perform_object, 3},
    {"event_user", event_user, 1},
    {"event_inherited", event_inherited, 0},
};

// ---- objects ----

// The parent relation or an event changed: what is derived from them is rebuilt.
void objectsChanged() {
  TouchObjects();
  RebuildDispatchTables();
}

void object_exists(BuiltinCall& c) { c.result.setReal(code::truthValue(ObjectExists(c.integer(0)))); }
void object_get_name(BuiltinCall& c) { c.result.setString(ObjectName(c.integer(0))); }

template <class Field>
void getField(BuiltinCall& c, Field field) {
  const CObject* o = GetObject(c.integer(0));
  c.result.setReal(o ? field(*o) : -1.0);
}
void object_get_sprite(BuiltinCall& c) { getField(c, [](const CObject& o) { return double(o.sprite); }); }
void object_get_solid(BuiltinCall& c) { getField(c, [](const CObject& o) { return code::truthValue(o.solid); }); }
void object_get_visible(BuiltinCall& c) { getField(c, [](const CObject& o) { return code::truthValue(o.visible); }); }
void object_get_depth(BuiltinCall& c) { getField(c, [](const CObject& o) { return double(o.depth); }); }
void object_get_persistent(BuiltinCall& c) { getField(c, [](const CObject& o) { return code::truthValue(o.persistent); }); }
void object_get_mask(BuiltinCall& c) { getField(c, [](const CObject& o) { return double(o.mask); }); }
void object_get_parent(BuiltinCall& c) { getField(c, [](const CObject& o) { return double(o.parent); }); }

void object_is_ancestor(BuiltinCall& c) {
  if (!ObjectExists(c.integer(0))) {
    c.result.setReal(-1);
    return;
  }
  c.result.setReal(code::truthValue(IsAncestor(c.integer(0), c.integer(1))));
}

void object_set_sprite(BuiltinCall& c) { if (CObject* o = GetObject(c.integer(0))) o->sprite = c.integer(1); }
void object_set_depth(BuiltinCall& c) { if (CObject* o = GetObject(c.integer(0))) o->depth = c.integer(1); }
void object_set_mask(BuiltinCall& c) { if (CObject* o = GetObject(c.integer(0))) o->mask = c.integer(1); }
void object_set_solid(BuiltinCall& c) { if (CObject* o = GetObject(c.integer(0))) o->solid = c.truth(1); }
void object_set_visible(BuiltinCall& c) { if (CObject* o = GetObject(c.integer(0))) o->visible = c.truth(1); }
void object_set_persistent(BuiltinCall& c) { if (CObject* o = GetObject(c.integer(0))) o->persistent = c.truth(1); }

void object_set_parent(BuiltinCall& c) {
  const int32_t ind = c.integer(0), obj = c.integer(1);
  CObject* o = GetObject(ind);
  if (!o) return;
  if (obj < 0) {
    o->parent = -1;
  } else if (!ObjectExists(obj)) {
    code::ReportActionError("Setting a non-existing parent.");
    return;
  } else if (obj == ind || IsAncestor(obj, ind)) {
    code::ReportActionError("Creating a cycle in the parent relation.");
    return;
  } else {
    o->parent = obj;
  }
  objectsChanged();
}

void object_add(BuiltinCall& c) {
  const int32_t index = ObjectCount();
  AddObject("__newobject" + std::to_string(index), std::make_unique<CObject>());
  c.result.setReal(index);
}

void object_delete(BuiltinCall& c) {
  const int32_t ind = c.integer(0);
  if (!ObjectExists(ind)) {
    code::ReportActionError("Trying to delete non-existing object.");
    return;
  }
  DeleteObject(ind);
  objectsChanged();
  c.result.setReal(1);
}

void object_event_clear(BuiltinCall& c) {
  CObject* o = GetObject(c.integer(0));
  const int32_t kind = c.integer(1), number = c.integer(2);
  if (!o || !o->findEvent(kind, number)) return;
  // A fresh empty event replaces the old one, which stays alive while it may be running.
  o->events[static_cast<size_t>(kind)][number] = std::make_shared<CEvent>();
  objectsChanged();
}

void object_event_add(BuiltinCall& c) {
  CObject* o = GetObject(c.integer(0));
  const int32_t kind = c.integer(1), number = c.integer(2);
  if (!o || kind < 0 || kind >= kEventKindCount || number < 0) return;
  CAction action = CodeAction(c.string(3));
  if (!CompileAction(action)) return;
  // Copy on write: a running list keeps its own actions.
  EventRef& slot = o->events[static_cast<size_t>(kind)][number];
  auto grown = slot ? std::make_shared<CEvent>(*slot) : std::make_shared<CEvent>();
  grown->actions.push_back(std::move(action));
  slot = std::move(grown);
  objectsChanged();
}

constexpr code::BuiltinFunction kObjectFunctions[] = {
    {"object_exists", object_exists, 1},
    {"object_get_name", object_get_name, 1},
    {"object_name", object_get_name, 1},
    {"object_get_sprite", object_get_sprite, 1},
    {"object_get_solid", object_get_solid, 1},
    {"object_get_visible", object_get_visible, 1},
    {"object_get_depth", object_get_depth, 1},
    {"object_get_persistent", object_get_persistent, 1},
    {"object_get_mask", object_get_mask, 1},
    {"object_get_parent", object_get_parent, 1},
    {"object_is_ancestor", object_is_ancestor, 2},
    {"object_set_sprite", object_set_sprite, 2},
    {"object_set_solid", object_set_solid, 2},
    {"object_set_visible", object_set_visible, 2},
    {"object_set_depth", object_set_depth, 2},
    {"object_set_persistent", object_set_persistent, 2},
    {"object_set_mask", object_set_mask, 2},
    {"object_set_parent", object_set_parent, 2},
    {"object_add", object_add, 0},
    {"object_delete", object_delete, 1},
    {"object_event_clear", object_event_clear, 3},
    {"object_event_add", object_event_add, 4},
};

}  // namespace

code::BuiltinFamily EventFunctions() { return kEventFunctions; }
code::BuiltinFamily ObjectFunctions() { return kObjectFunctions; }

void PerformInherited(CInstance* self, CInstance* other) {
  const EventContext& ctx = eventContext();
  const CObject* o = GetObject(ctx.object);
  if (o && ObjectExists(o->parent)) PerformEvent(self, other, o->parent, ctx.kind, ctx.number);
}

}  // namespace qv::world
