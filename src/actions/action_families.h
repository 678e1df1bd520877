// The action library: the `action_*` built-ins that drag-and-drop actions call, one family per
// theme, each member a thin adapter over its subsystem's own function.
#pragma once

#include <string>

#include "code/builtin.h"

namespace qv::actions {

code::BuiltinFamily MotionActions();    // moving, speeds, gravity, friction, positions, paths
code::BuiltinFamily InstanceActions();  // creating, changing and destroying instances
code::BuiltinFamily SpriteActions();    // the sprite of an instance, its look, replacing resources
code::BuiltinFamily GameActions();      // sound, rooms, alarms, time lines, the game, web pages, CD audio
code::BuiltinFamily QuestionActions();  // questions, scripts and inherited events
code::BuiltinFamily ScoreActions();     // score, lives, health, caption, drawing a value
code::BuiltinFamily DrawingActions();   // shapes, sprites, text, colour, font, cursor, screen
code::BuiltinFamily ParticleActions();  // the actions' particle system, its types and emitters, effects
code::BuiltinFamily MessageActions();   // a message, a question, the highscore table, splash screens
code::BuiltinFamily InertActions();     // members old games call that do nothing

// action_webpage: the address in the desktop's browser (refused in secure mode).
void OpenWebPage(const std::string& address);

// action_save_game saves through the game layer, which sets this when it chooses its families.
void SetGameSaver(bool (*save)(const std::string& fname));

}  // namespace qv::actions
