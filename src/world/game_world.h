// The game world: the current room (a working copy), the working copies of visited persistent
// rooms, the persistent instances carried between rooms, entering and leaving rooms, and the
// instance list as the interpreter sees it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/room.h"

namespace qv::world {

// The room the game plays in. While no room is current (before the first room, after the end),
// an empty stand-in answers, so searches find nothing and nothing dereferences null.
// The current room is asked for once per instance in every stage of a step, so the answer is
// cached: every change of the current index or of a working copy drops the cache.
extern CRoom* g_currentRoom;
CRoom& CurrentRoomLookup();
inline CRoom& CurrentRoom() { return g_currentRoom ? *g_currentRoom : CurrentRoomLookup(); }
int32_t CurrentRoomIndex();
bool HasCurrentRoom();

// Starting the game: fresh working-copy slots, no carried instances, enter the first room
// (a missing first room is reported as "Unexisting room number: " + index, fatal).
void StartWorld();
// Leaves the room with the game end events and frees every working copy.
void EndWorld();
void EnterRoom(int32_t index, bool gameStart);
void LeaveRoom(bool gameEnd);
// A room change carried out between steps.
void ChangeRoom(int32_t index);

// Frees instances marked destroyed, keeping the order; the lists are rebuilt when anything went.
void RemoveDestroyed(CRoom& room);
// Stable, by non-increasing depth; nothing when already in order.
void SortByDepth(CRoom& room);
void ScrollBackgrounds(CRoom& room);

// Records a room change for the main loop; a missing room is a fatal "Unexisting room number: "
// + index and the request becomes the abort code.
void RequestRoom(int32_t index, int32_t transition);
// room_goto_previous and room_goto_next with a transition: before the first room or after the last
// a fatal error, and the request becomes the abort code.
void GotoPreviousRoom(int32_t transition);
void GotoNextRoom(int32_t transition);
int32_t& transitionKind();

// The working copies by room index (an empty slot: no copy).
const std::vector<std::unique_ptr<CRoom>>& workingCopies();
// A loaded game takes over: the copies replace every working copy, `current` becomes the current
// room, and no persistent instances are carried. No events are performed.
void ReplaceWorkingCopies(std::vector<std::unique_ptr<CRoom>> copies, int32_t current);

// Makes the world the interpreter's instance list (once, at start).
void InstallInstanceWorld();
// Everything the world sets up once per process: the resource names of its kinds, the
// interpreter's instance list, the action error headers, the abort hook, its built-in variables.
void InstallWorld();

// What the world resets when a game starts or restarts: no transfer request, no steps, no
// transition, score 0, lives -1 and no cursor sprite, no input, fresh event dispatch tables.
void ResetForGameStart();

// Steps completed since the game started (saved with the game).
int64_t& stepCounter();
// Frames counted in the last full second (`fps`).
int32_t& framesPerSecond();

// Runs code on a temporary instance (id 0, object 0, at 0, 0, never in a room): room creation code
// and library initialization code.
std::unique_ptr<CInstance> MakeTemporaryInstance();
// Compiles and runs `text` for self and other; on failure reports prefix + CR + the message
// (non-fatal): "COMPILATION ERROR in " + what, or "EXECUTION ERROR in " + what.
void RunCreationCode(const std::string& text, const std::string& what, CInstance* self);

}  // namespace qv::world
