// Fuzz entry for the world's records: the input is read as an object record and as a room record
// (the compressed-block contents of the objects and rooms chunks). Every outcome must be a result
// or a StreamError: never a crash, a hang or an unbounded allocation, whatever the counts, event
// numbers and indices say.
#include <cstddef>
#include <cstdint>

#include "game/families.h"
#include "data/stream.h"
#include "world/object.h"
#include "world/room.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::game::UseGameFamilies();
  using namespace qv;
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    data::CStream s(bytes);
    world::CObject object;
    if (world::ReadObjectRecord(s, object)) {
      for (int32_t kind = 0; kind < world::kEventKindCount; ++kind)
        (void)object.findEvent(kind, 0);
    }
  } catch (const data::StreamError&) {
  }
  try {
    data::CStream s(bytes);
    world::CRoom room;
    if (world::ReadRoomRecord(s, room)) (void)room.InstancesOf(0);
  } catch (const data::StreamError&) {
  }
  return 0;
}
