// Saved games: a snapshot of the running world in one file (version 540): the game-wide state of
// the loop, the global variables and every room working copy with its instances and tiles.
//
// Saving writes the whole file under a temporary name and renames it over the target, so an older
// save survives a failure part-way. Loading reads and checks the whole file into fresh rooms before
// anything of the running game is replaced; a refused file leaves the game exactly as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "world/room.h"

namespace qv::data {
class CStream;
}

namespace qv::world {

inline constexpr int32_t kSavedGameVersion = 540;

// The game-wide values kept by the loop and written with a save.
struct GameCounters {
  int32_t score = 0;
  int32_t lives = -1;
  double health = 100;
  int32_t cursorSprite = -1;
};
GameCounters& gameCounters();
// The game id of the running game (set when the game data is read).
int32_t& currentGameId();

// Writes the file at once. Non-fatal errors: secure mode with a separator in the name
// ("In secure mode you cannot save game to file " + name), a failed write
// ("Failed to save game to file " + name). Returns whether the file was written.
bool SaveGame(const std::string& fname);
// Reads the file and replaces the world; nothing when the file does not exist. Refusals
// (non-fatal): "Failed to load game from file " + name for an unreadable, truncated or corrupt file,
// "Cannot load game saved with other version.", "This is a save file for a different game!".
// Returns whether the world was replaced.
bool LoadGame(const std::string& fname);

// game_load and F6: remembers the name and sets the load request for the loop.
void RequestLoad(const std::string& fname);
// The name remembered by the last RequestLoad.
const std::string& pendingLoadName();

// "_save" + game id + ".sav": the file of F5 and F6, in the working directory.
std::string QuickSaveName();
// F5: saves to that file at once. F6: requests a load of it (nothing happens when it is missing).
bool QuickSave();
void QuickLoad();

// The saved form of the world into a stream, and its reading into fresh rooms (used by SaveGame
// and LoadGame; the tests use them to compare bytes).
void WriteSavedGame(data::CStream& s);

// game_save, game_load.
code::BuiltinFamily SavedGameFunctions();

}  // namespace qv::world
