// Preparation: what happens between loading and the first room, step by step with its progress
// and its failure message.
#pragma once

#include <functional>

namespace qv::runner {

// Runs every step in order; shows the failing step's message and returns false.
// `prepareGraphics` makes the display and the textures (the runner passes the real one; tests that
// need no window pass their own).
bool PrepareAll(const std::function<bool()>& prepareGraphics);

// The real graphics step: display and device from the game settings, the textures.
bool PrepareGameGraphics();

// Clean-up after the game: sound closed, included files marked for removal deleted.
void CleanUpGame();

}  // namespace qv::runner
