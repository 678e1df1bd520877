// Raising an event the way the step does: for every object in the dispatch list of (kind, number),
// in ascending index, for every instance of exactly that object in room list order, skipping
// instances marked destroyed. Positions are re-checked against the live lists, which event code
// may change; the dispatch list is copied, since code may rebuild the tables.
#pragma once

#include <cstdint>
#include <vector>

#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/room.h"

namespace qv::world {

// Calls visit(instance, object) for each of those instances.
template <class Visit>
void ForEachDispatchedInstance(int32_t kind, int32_t number, Visit visit) {
  const std::vector<int32_t>& listed = DispatchList(kind, number);
  if (listed.empty()) return;  // most events of a step: nothing to copy
  const std::vector<int32_t> objects = listed;
  constexpr size_t kAhead = 4;  // records fetched ahead of the one being visited
  for (int32_t object : objects) {
    for (size_t k = 0;; ++k) {
      const auto& list = CurrentRoom().InstancesOfObjectOnly(object);
      if (k >= list.size()) break;
      if (k + kAhead < list.size()) PrefetchStepFields(list[k + kAhead]);
      if (k + kAhead / 2 < list.size()) PrefetchVariables(list[k + kAhead / 2]);
      CInstance* in = list[k];
      if (!in->destroyed) visit(*in, object);
    }
  }
}

// Performs (kind, number) for each of those instances for which `holds` is true.
template <class Test>
void RaiseEventWhere(int32_t kind, int32_t number, Test holds) {
  ForEachDispatchedInstance(kind, number, [&](CInstance& in, int32_t object) {
    if (holds(in)) PerformEvent(&in, &in, object, kind, number);
  });
}

inline void RaiseEvent(int32_t kind, int32_t number) {
  RaiseEventWhere(kind, number, [](const CInstance&) { return true; });
}

}  // namespace qv::world
