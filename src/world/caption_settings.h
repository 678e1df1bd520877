// What the window caption shows besides the room caption: the score, lives and health with their
// caption strings (`show_score`, `caption_score`, ...). The score is left out while it is below 1
// unless `show_score` was assigned during the game.
#pragma once

#include <string>

namespace qv::world {

struct CaptionSettings {
  bool showScore = true, showLives = false, showHealth = false;
  bool scoreShownAlways = false;  // `show_score` was assigned (by code or an action)
  std::string scoreCaption = "Score: ", livesCaption = "Lives: ", healthCaption = "Health: ";
};
CaptionSettings& captionSettings();

}  // namespace qv::world
