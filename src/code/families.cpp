#include "code/families.h"

#include "code/date_builtins.h"
#include "code/math_builtins.h"
#include "code/string_builtins.h"
#include "code/system_builtins.h"
#include "datastructures/builtins.h"
#include "graphics/builtins.h"
#include "motion/builtins.h"
#include "motion/collision_builtins.h"
#include "sound/builtins.h"
#include "system/joysticks.h"
#include "windows/game_information.h"
#include "world/builtins.h"
#include "world/saved_game.h"
#include "world/time_line.h"

namespace qv::code {

// Every subsystem's table, one line per family. Registration order fixes the function indices;
// the list is the one place that knows every family, so new subsystems add their line here.
std::vector<BuiltinFamily> AllFamilies() {
  return {
      MathFunctions(),
      StringFunctions(),
      ScriptFamily(),
      DynamicFamily(),
      SystemFunctions(),
      DateFunctions(),
      graphics::DisplayBuiltins(),
      graphics::TextureBuiltins(),
      graphics::SpriteBuiltins(),
      graphics::BackgroundBuiltins(),
      graphics::FontBuiltins(),
      graphics::DrawBuiltins(),
      graphics::ColourBuiltins(),
      sound::SoundFunctions(),
      sound::CdFunctions(),
      datastructures::DataStructureFunctions(),
      world::EventFunctions(),
      world::ObjectFunctions(),
      world::InstanceFunctions(),
      world::RoomFunctions(),
      world::TileFunctions(),
      world::TimeLineFunctions(),
      world::SavedGameFunctions(),
      world::InputFunctions(),
      system::JoystickFunctions(),
      windows::GameInformationFunctions(),
      motion::MotionFunctions(),
      motion::PathFunctions(),
      motion::CollisionFunctions(),
      motion::ContactFunctions(),
  };
}

}  // namespace qv::code
