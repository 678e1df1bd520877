// Performing events: the current-event context, the action-list executor with its blocks,
// questions, else, repeat and exit, PerformEvent through the parent chain, and the dispatch tables
// that list, per event, the objects that have it.
#pragma once

#include <cstdint>
#include <vector>

#include "world/object.h"

namespace qv::world {

class CInstance;

// The context behind `event_object`, `event_type`, `event_number` and `event_action`.
struct EventContext {
  int32_t object = 0;
  int32_t kind = 0;
  int32_t number = 0;
  int32_t action = 0;
};
EventContext& eventContext();
// The relative option of the running action (`argument_relative`).
bool& argumentRelative();

// Sets object, kind and number for its lifetime and restores them afterwards (also when code
// unwinds), as every event does.
class ScopedEventContext {
 public:
  ScopedEventContext(int32_t object, int32_t kind, int32_t number);
  ~ScopedEventContext();
  ScopedEventContext(const ScopedEventContext&) = delete;
  ScopedEventContext& operator=(const ScopedEventContext&) = delete;

 private:
  int32_t object_, kind_, number_;
};

// Runs an event's action list from index 0 for self and other.
void ExecuteActions(CInstance* self, CInstance* other, const CEvent& event);

// Nothing while a transfer is pending or when no event is found through the parents.
void PerformEvent(CInstance* self, CInstance* other, int32_t object, int32_t kind, int32_t number);
void PerformEventFor(CInstance* instance, CInstance* other, int32_t kind, int32_t number);
// For every instance of the current room not marked destroyed, in list order (the count taken
// at the start; instances added meanwhile wait for the next pass).
void PerformEventForAll(int32_t kind, int32_t number);
// event_inherited: the running event of the parent of the running event's object.
void PerformInherited(CInstance* self, CInstance* other);

// ---- dispatch tables ------------------------------------------------------------------------------
// Per (kind, number) in the fixed ranges, the ascending object indices whose lookup with parents
// finds an event. Rebuilt at every game start and after a parent or an event changes.
void RebuildDispatchTables();
// The objects for (kind, number); empty outside the ranges (collisions use the pair list).
const std::vector<int32_t>& DispatchList(int32_t kind, int32_t number);
// The number of entries of a kind's range (create 1, alarm 13, step 17, keyboard 129, ...).
int32_t DispatchRange(int32_t kind);

// Installs the action header source of error messages and the abort hook (once, at start).
void InstallEventHooks();

}  // namespace qv::world
