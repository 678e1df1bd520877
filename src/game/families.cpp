#include "game/families.h"

#include "actions/action_families.h"
#include "code/date_builtins.h"
#include "code/families.h"
#include "code/instance_world.h"
#include "code/math_builtins.h"
#include "code/string_builtins.h"
#include "datastructures/builtins.h"
#include "graphics/builtins.h"
#include "graphics/transition.h"
#include "motion/builtins.h"
#include "motion/collision_builtins.h"
#include "multiplayer/builtins.h"
#include "particles/builtins.h"
#include "sound/builtins.h"
#include "system/file_builtins.h"
#include "system/joysticks.h"
#include "system/system_builtins.h"
#include "extensions/external_builtins.h"
#include "windows/choosers.h"
#include "windows/game_information.h"
#include "windows/highscore.h"
#include "windows/messages.h"
#include "windows/splash.h"
#include "world/builtins.h"
#include "world/instance.h"
#include "game/included_file_builtins.h"
#include "game/saved_game.h"
#include "world/time_line.h"

namespace qv::game {

// One line per family. A new family adds its line here; registration order fixes the indices.
std::vector<code::BuiltinFamily> GameFamilies() {
  return {
      code::MathFunctions(),
      code::StringFunctions(),
      code::ScriptFamily(),
      code::DynamicFamily(),
      system::SystemFunctions(),
      code::DateFunctions(),
      graphics::DisplayBuiltins(),
      graphics::TextureBuiltins(),
      graphics::SpriteBuiltins(),
      graphics::BackgroundBuiltins(),
      graphics::FontBuiltins(),
      graphics::DrawBuiltins(),
      graphics::ColourBuiltins(),
      graphics::SurfaceBuiltins(),
      graphics::TransitionBuiltins(),
      sound::SoundFunctions(),
      sound::CdFunctions(),
      datastructures::DataStructureFunctions(),
      world::EventFunctions(),
      world::ObjectFunctions(),
      world::InstanceFunctions(),
      world::RoomFunctions(),
      world::TileFunctions(),
      world::TimeLineFunctions(),
      game::SavedGameFunctions(),
      world::InputFunctions(),
      system::JoystickFunctions(),
      windows::GameInformationFunctions(),
      windows::MessageFunctions(),
      extensions::ExternalFunctions(),
      windows::ChooserFunctions(),
      windows::HighscoreFunctions(),
      windows::SplashFunctions(),
      motion::MotionFunctions(),
      motion::PathFunctions(),
      motion::PlanningFunctions(),
      motion::CollisionFunctions(),
      motion::ContactFunctions(),
      particles::ParticleFunctions(),
      actions::MotionActions(),
      actions::InstanceActions(),
      actions::SpriteActions(),
      actions::GameActions(),
      actions::QuestionActions(),
      actions::ScoreActions(),
      actions::DrawingActions(),
      actions::ParticleActions(),
      actions::MessageActions(),
      actions::InertActions(),
      system::FileFunctions(),
      system::FileSearchFunctions(),
      system::FilenameFunctions(),
      system::IniFunctions(),
      system::RegistryFunctions(),
      system::ProgramFunctions(),
      game::IncludedFileFunctions(),
      multiplayer::MultiplayerFunctions(),
      graphics::D3DBuiltins(),
  };
}

void UseGameFamilies() {
  static const bool chosen = [] {
    code::SetBuiltinFamilies(GameFamilies());
    actions::SetGameSaver(SaveGame);
    code::SetInstanceFactory([]() -> std::unique_ptr<code::CInstanceBase> { return std::make_unique<world::CInstance>(); });
    return true;
  }();
  (void)chosen;
}

}  // namespace qv::game
