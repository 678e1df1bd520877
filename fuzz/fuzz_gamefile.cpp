// Fuzz entry for the game file reader: the input is the game data that follows the marker (a real
// file would also carry 697344 or more bytes before it). Reads the header, the settings with their
// pictures, the helper-library block, unscrambles the main section and reads its inner header.
// Every outcome must be a status or a StreamError: never a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>

#include "game/families.h"
#include "data/container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::game::UseGameFamilies();
  using namespace qv;
  data::CStream file(std::vector<uint8_t>(data, data + size));
  (void)data::FindGameData(file);
  data::GameSettings settings;
  data::GameData game;
  try {
    if (data::ReadGameData(file, 0, settings, game) == data::LoadStatus::Ok) {
      // The chunk readers come later; the first chunk's version is at least readable or throws.
      if (game.main.remaining() >= 4) (void)game.main.ReadInteger();
    }
  } catch (const data::StreamError&) {
  }
  return 0;
}
