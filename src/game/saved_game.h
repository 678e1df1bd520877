// Saved games: a snapshot of the running game in one file, version 540, then the game id, then the
// sections of the game-state table in its order (the world's head, automatic drawing, the global
// variables, the rooms with their instances and tiles).
//
// Saving writes the whole file under a temporary name and renames it over the target, so an older
// save survives a failure part-way. Loading reads and checks every section before anything of the
// running game is replaced; a refused file leaves the game exactly as it was.
#pragma once

#include <string>

#include "code/builtin.h"
#include "data/stream.h"

namespace qv::game {

// The saved form of the game into a stream (SaveGame writes it; tests compare its bytes).
void WriteSavedGame(data::CStream& s);

// Writes the file at once. Non-fatal errors: secure mode with a separator in the name
// ("In secure mode you cannot save game to file " + name), a failed write
// ("Failed to save game to file " + name). Returns whether the file was written.
bool SaveGame(const std::string& fname);
// Reads the file and replaces the game; nothing when the file does not exist. Refusals
// (non-fatal): "Failed to load game from file " + name for an unreadable, truncated or corrupt file,
// "Cannot load game saved with other version.", "This is a save file for a different game!".
// Returns whether the game was replaced.
bool LoadGame(const std::string& fname);

// F5: saves "_save" + game id + ".sav" at once. F6: requests a load of it (nothing happens when it
// is missing).
bool QuickSave();
void QuickLoad();

// game_save, game_load.
code::BuiltinFamily SavedGameFunctions();

}  // namespace qv::game
