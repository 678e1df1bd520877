// Preparation: what happens between loading and the first room, step by step with its progress
// and its failure message.
#pragma once

#include <functional>

#include "graphics/display.h"
#include "runner/player_settings.h"

namespace qv::runner {

// Runs every step in order; shows the failing step's message and returns false.
// `prepareGraphics` makes the display and the textures (the runner passes the real one; tests that
// need no window pass their own).
bool PrepareAll(const std::function<bool()>& prepareGraphics);

// The player's display settings over the game's: each one that is not "as the game says" wins.
void ApplyPlayerDisplay(const PlayerSettings& player, graphics::DisplaySettings& display);

// The real graphics step: display and device from the game settings as the player's settings
// change them, the textures.
bool PrepareGameGraphics(const PlayerSettings& player);

// Clean-up after the game: sound closed, included files marked for removal deleted.
void CleanUpGame();

}  // namespace qv::runner
