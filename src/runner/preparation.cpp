#include "runner/preparation.h"

#include <string>

#include "code/errors.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "extensions/extension_packages.h"
#include "graphics/sprite_drawing.h"
#include "graphics/display.h"
#include "platform/game_window.h"
#include "platform/message_box.h"
#include "game/included_files.h"
#include "runner/loader.h"
#include "runner/loading_window.h"
#include "runner/runner_main.h"
#include "data/settings.h"
#include "sound/sound.h"
#include "world/object.h"
#include "world/time_line.h"
#include "world/trigger.h"
#include "system/file_builtins.h"

namespace qv::runner {

namespace {

bool fail(const std::string& message) {
  platform::showMessageBox(ApplicationTitle(), message);
  return false;
}

}  // namespace

void ApplyPlayerDisplay(const PlayerSettings& player, graphics::DisplaySettings& d) {
  if (player.fullScreen != Switch::Game) d.fullScreen = player.fullScreen == Switch::On;
  if (player.vsync != Switch::Game) d.vsync = player.vsync == Switch::On;
  if (player.filtering != Filtering::Game) d.interpolate = player.filtering == Filtering::Linear;
  switch (player.scaling) {
    case Scaling::Game: break;
    case Scaling::Integer:
      d.scaling = -1;
      d.integerScaling = true;
      break;
    case Scaling::Fit:
      d.scaling = -1;
      d.integerScaling = false;
      break;
    case Scaling::Stretch:
      d.scaling = 0;
      d.integerScaling = false;
      break;
  }
}

bool PrepareGameGraphics(const PlayerSettings& player) {
  // The game window lives until the process ends: the device and its textures belong to its
  // context, and nothing may outlive it in the wrong order at exit.
  static platform::GameWindow* window = platform::GameWindow::Open(640, 480).release();
  if (!window) {
    platform::showMessageBox(ApplicationTitle(), "Failed to create the game window.");
    return false;
  }
  graphics::display().bindWindow(window);
  const data::GameSettings& g = data::CurrentSettings();
  graphics::DisplaySettings d;
  d.fullScreen = g.start_fullscreen;
  d.interpolate = g.interpolate_pixels;
  d.noBorder = g.hide_border;
  d.noButtons = g.hide_buttons;
  d.displayCursor = g.display_cursor;
  d.scaling = g.scaling;
  d.allowResize = g.allow_resize;
  d.stayOnTop = g.stay_on_top;
  d.windowColour = g.outside_color;
  d.setResolution = g.set_resolution;
  d.colourDepthCode = g.color_depth;
  d.resolutionCode = g.resolution;
  d.frequencyCode = g.frequency;
  d.vsync = g.use_vsync;
  ApplyPlayerDisplay(player, d);
  return graphics::PrepareGraphics(d);
}

bool PrepareAll(const std::function<bool()>& prepareGraphics) {
  // The error handler follows the game's settings from here on.
  const data::GameSettings& settings = data::CurrentSettings();
  code::errorSettings().display = settings.display_errors;
  code::errorSettings().log = settings.write_errors;
  code::errorSettings().abortOnAll = settings.abort_on_errors;
  code::codeSettings().uninitializedAsZero = settings.uninitialized_zero;

  Progress(50, "Extracting included files");
  game::ExtractIncludedFiles();

  Progress(55, "Preparing extension pacakges");
  {
    std::string failure;
    const auto show = [](const std::string& message) { platform::showMessageBox(ApplicationTitle(), message); };
    if (!extensions::PrepareExtensionPackages(show, failure)) return fail(failure);
  }

  Progress(60, "Preparing constants");
  std::string failure;
  if (!code::PrepareConstants(gameConstants(), failure)) {
    fail(failure);
    return fail("Failed to define the constants.");
  }

  Progress(61, "Preparing triggers");
  if (!world::CompileTriggers()) return fail("Failed to prepare triggers.");

  Progress(62, "Compiling scripts");
  if (!code::CompileScripts()) return fail("Failed to compile the scripts.");

  Progress(70, "Compiling time line actions");
  if (!world::CompileTimeLines()) return fail("Failed to compile the actions in the time lines.");

  Progress(72, "Compiling object actions");
  if (!world::CompileObjects()) return fail("Failed to compile the actions in the objects.");

  Progress(80, "Preparing sounds");
  sound::PrepareSounds();

  Progress(90, "Preparing graphics");
  if (prepareGraphics && !prepareGraphics()) {
    sound::CloseSounds();
    return false;
  }
  Progress(100, "Ready");
  HideLoadingWindow();
  return true;
}

void CleanUpGame() {
  sound::CloseSounds();
  system::CloseGameFiles();  // written text files replace their targets now
  game::RemoveIncludedFiles();
}

}  // namespace qv::runner
