// The running game the saved-game fuzz target loads files into, shared with the seed writer so
// that seeds carry the same game id and fit the same rooms: three rooms (the second persistent),
// one object whose create event fills variables, arrays and alarms.
#pragma once

#include <cstdlib>
#include <memory>

#include "code/registry.h"
#include "data/container.h"
#include "data/game_writer.h"
#include "runner/loader.h"
#include "runner/preparation.h"
#include "runner/runner_main.h"
#include "data/settings.h"
#include "world/event_names.h"
#include "game/families.h"
#include "game/game_loop.h"
#include "world/object.h"
#include "world/room.h"

namespace qv::fuzzing {

inline constexpr int32_t kSavedGameWorldId = 4242;

// Reads the game through the real reader and starts it in its first room; false on failure.
inline bool StartSavedGameWorld() {
  setenv("QUORVANE_HEADLESS", "1", 1);
  setenv("QUORVANE_ERROR_ANSWER", "ignore", 1);
  game::UseGameFamilies();
  code::EnsureBuiltinsRegistered();
  data::CGameWriter w;
  w.game_id = kSavedGameWorldId;
  w.random_seed = 7;
  world::CObject object;
  object.eventSlot(world::ev_create, 0)
      ->actions.push_back(world::CodeAction("v = id; a[2] = 'two'; g[1, 3] = 1.5; alarm[4] = 9; global.n = id;"));
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj"), object);
  for (int32_t r = 0; r < 3; ++r) {
    world::CRoom room;
    room.persistent = r == 1;
    for (int32_t i = 0; i < 2; ++i) {
      auto in = std::make_unique<world::CInstance>();
      in->objectIndex = 0;
      in->x = 10 * i + r;
      in->y = 3.25 * i;
      in->id = 100001 + 10 * r + i;
      room.instances.push_back(std::move(in));
    }
    world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, r, "room" + std::to_string(r)), room);
    world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), r);
  }
  if (!runner::LoadGameInProcess(w.Write())) return false;
  game::StartGame();
  return true;
}

}  // namespace qv::fuzzing
