// The world in saved games (version 540): the game-wide state of the loop and every room working
// copy with its instances and tiles. The file, its other sections and saving and loading are the
// game layer's (game/saved_game.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
// `lives` and `health` as game code sets them: lives falling from 1 or more to below 1 performs
// "No More Lives" for every instance, health falling from above 0 to 0 or less "No More Health".
void SetLives(int32_t lives);
void SetHealth(double health);
// The game id of the running game (set when the game data is read).
int32_t& currentGameId();

// The world's sections of a saved game (the file itself is the game layer's): the head (current
// room, transition, score, lives, health, cursor sprite, step counter) and the rooms (every
// working-copy slot with its rooms, instances and tiles, then the last instance and tile ids).
// A reader returns what makes the values current, or an empty function when it refuses them; the
// rooms section checks that the head's room is one of its copies and applies both.
void WriteSavedHead(data::CStream& s);
std::function<void()> ReadSavedHead(data::CStream& s);
void WriteSavedRooms(data::CStream& s);
std::function<void()> ReadSavedRooms(data::CStream& s);

// game_load and F6: remembers the name and sets the load request for the loop.
void RequestLoad(const std::string& fname);
// The name remembered by the last RequestLoad.
const std::string& pendingLoadName();

// "_save" + game id + ".sav": the file of F5 and F6, in the working directory.
std::string QuickSaveName();

}  // namespace qv::world
