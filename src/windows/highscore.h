// The highscore functions of game code (`highscore_*`, `draw_highscore`) and what the actions
// call. Showing the table and asking for a name clear the keyboard and mouse state afterwards.
#pragma once

#include <cstdint>

#include "code/builtin.h"

namespace qv::windows {

// Inserts the score with an empty name, shows the window and, when the score gained a place,
// stores the name the player typed there.
void ShowHighscore(int32_t score);
void ClearHighscores();

code::BuiltinFamily HighscoreFunctions();

}  // namespace qv::windows
