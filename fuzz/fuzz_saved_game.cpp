// Fuzz entry for saved games: the input is a save file loaded into a running game. A file is
// either taken whole or refused with a message while the game stays as it was; never a crash, a
// hang or an unbounded allocation, whatever its counts, kinds and room numbers say. A loaded game
// then plays one step, which moves, tests collisions and draws the room (on a recording device)
// with every value the file held.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "game/families.h"
#include "game/game_loop.h"
#include "graphics/display.h"
#include "platform/recording_device.h"
#include "data/stream.h"
#include "saved_game_world.h"
#include "world/game_world.h"
#include "game/saved_game.h"
#include "world/saved_game.h"

namespace {

qv::platform::RecordingDevice*& device() {
  static qv::platform::RecordingDevice* d = nullptr;
  return d;
}

std::string& savePath() {
  static std::string path = "/tmp/qv_fuzz_saved_game_" + std::to_string(getpid()) + ".sav";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!qv::fuzzing::StartSavedGameWorld()) __builtin_trap();
  auto recording = std::make_unique<qv::platform::RecordingDevice>(640, 480);
  device() = recording.get();
  qv::graphics::display().useDevice(std::move(recording));
  qv::graphics::display().automaticDraw = true;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::game::UseGameFamilies();
  using namespace qv;
  data::CStream(std::vector<uint8_t>(data, data + size)).SaveToFile(savePath());
  if (game::LoadGame(savePath())) {
    // A loaded world is whole: the current room and its instances can be walked and saved again.
    for (const auto& in : world::CurrentRoom().instances) (void)in->id;
    data::CStream again;
    game::WriteSavedGame(again);
    game::Step();
    device()->draws.clear();
    device()->clears.clear();
  }
  return 0;
}
