#include "runner/runner_main.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>

#include "code/date.h"
#include "code/debug_output.h"
#include "extensions/extension_packages.h"
#include "extensions/external_functions.h"
#include "data/container.h"
#include "data/messages.h"
#include "data/runner_state.h"
#include "data/settings.h"
#include "data/temp_directory.h"
#include "game/families.h"
#include "game/game_loop.h"
#include "graphics/display.h"
#include "graphics/seams.h"
#include "multiplayer/multiplayer.h"
#include "platform/automation.h"
#include "platform/gamepad.h"
#include "platform/interrupt.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/process_control.h"
#include "platform/screen_saver.h"
#include "runner/debug_mode.h"
#include "runner/game_parameters.h"
#include "runner/loader.h"
#include "runner/gamepad_keys.h"
#include "runner/loading_window.h"
#include "runner/player_settings.h"
#include "runner/preparation.h"
#include "sound/sound_backend.h"
#include "system/file_builtins.h"
#include "system/host_path.h"
#include "system/secure_mode.h"
#include "windows/modeless_dialogs.h"
#include "world/room_drawing.h"
#include "world/saved_game.h"
#include "world/input.h"
#include "world/scripted_input.h"

namespace qv::runner {
namespace fs = std::filesystem;

namespace {

std::string& title() {
  static std::string t = "quorvane";
  return t;
}

void showMessage(const char* text) { platform::showMessageBox(title(), text); }

std::string stemOf(const std::string& path) { return fs::path(path).stem().string(); }

// The game file: the runner's own image when it carries game data, else the first argument.
struct GameFile {
  std::string path;
  data::CStream bytes;
  size_t start = 0;
};

FolderBuilder& folderBuilder() {
  static FolderBuilder builder;
  return builder;
}

std::optional<GameFile> locateGame(const std::string& executable, const std::vector<std::string>& arguments) {
  GameFile game;
  game.path = executable;
  // A game that starts another game file (execute_program) starts this runner with the file as
  // the first argument and this mark, so that a runner carrying a game of its own plays the file.
  const bool argumentFirst = platform::environmentVariable(system::kPlayArgumentVariable).has_value();
  ::unsetenv(system::kPlayArgumentVariable);  // not handed on to the game's own programs
  // Only the candidates of the marker are read from a file, then the data after it: the runner's
  // own image is tens of megabytes that the game never needs in memory.
  bool unreadable = false;
  std::optional<size_t> start;
  if (!argumentFirst) start = data::LoadGameData(executable, game.bytes, unreadable);
  if (unreadable) {
    showMessage(data::messages::kCannotReadGame);
    return std::nullopt;
  }
  std::error_code ec;
  if (!start && !arguments.empty() && fs::is_directory(arguments[0], ec) && folderBuilder()) {
    // A project folder, built in memory: the game's own directory is the folder itself.
    const fs::path folder = fs::absolute(arguments[0], ec).lexically_normal();
    const std::string name = (folder.has_filename() ? folder : folder.parent_path()).filename().string();
    auto bytes = folderBuilder()(arguments[0]);
    if (!bytes) return std::nullopt;  // the reasons are on stderr
    game.path = (folder / name).string();
    title() = name;
    game.bytes = data::CStream(std::move(*bytes));
    start = data::FindGameData(game.bytes);
  } else if (!start && !arguments.empty()) {
    game.path = arguments[0];
    title() = stemOf(game.path);
    if (!fs::is_directory(game.path, ec)) start = data::LoadGameData(game.path, game.bytes, unreadable);
    if (fs::is_directory(game.path, ec) || unreadable) {
      showMessage(data::messages::kCannotReadGame);
      return std::nullopt;
    }
  }
  if (!start) {
    showMessage(data::messages::kNotValidGame);
    return std::nullopt;
  }
  game.start = *start;
  return game;
}

// The runner's own options, answered only when it carries no game (then its arguments are the
// game's). Returns the exit status when the first argument was an option.
std::optional<int> answerOption(const std::string& executable, const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0].size() < 2 || arguments[0].compare(0, 2, "--") != 0) return std::nullopt;
  if (data::HoldsGameData(executable)) return std::nullopt;
  const std::string& option = arguments[0];
  if (option == "--help") {
    std::fputs(
        "usage: quorvane GAME [ARGUMENT...]\n"
        "       quorvane FOLDER [ARGUMENT...]\n"
        "Plays a game: a game file (a runner with a game appended, or the game data alone) or a\n"
        "game project folder, built in memory. The arguments after it belong to the game.\n"
        "A runner that carries a game plays it and passes every argument to it.\n"
        "\n"
        "  --help       show this text\n"
        "  --version    show the version\n"
        "\n"
        "Exit status: 0 the game ran and ended; 1 it could not be read, built or started;\n"
        "2 an unknown option; 3 it ended by a fatal or aborted error; 130 and 143 after\n"
        "SIGINT and SIGTERM (the game still ends cleanly).\n"
        "Headless runs and automation: see the environment variables in the README.\n",
        stdout);
    return kExitPlayed;
  }
  if (option == "--version") {
    std::printf("quorvane %s\n", QV_VERSION);
    return kExitPlayed;
  }
  std::fprintf(stderr, "quorvane: unknown option %s (try --help)\n", option.c_str());
  return kExitUsage;
}

// As a game on its own system starts in its own folder: the game file's directory, or a per-game
// folder in the user's data directory when that one cannot be written. A save folder of the
// player's settings comes first: the game's folder is then <save folder>/<game id>, made when
// missing, so that its saves and other files land there.
void enterGameDirectory(const std::string& gamePath, int32_t gameId, const PlayerSettings& player) {
  std::error_code ec;
  if (const std::string saves = GameSaveFolder(player, gameId); !saves.empty()) {
    fs::create_directories(saves, ec);
    if (platform::directoryWritable(saves) && platform::changeDirectory(saves)) return;
    std::fprintf(stderr, "quorvane: the save folder %s cannot be used; the game keeps its own folder\n", saves.c_str());
  }
  fs::path dir = fs::absolute(gamePath, ec).parent_path();
  if (!ec && platform::directoryWritable(dir.string()) && platform::changeDirectory(dir.string())) return;
  fs::path own = fs::path(platform::userDataDirectory()) / "games" / std::to_string(gameId);
  fs::create_directories(own, ec);
  platform::changeDirectory(own.string());
}

// After the game: sound, then the included files marked for removal.
void cleanUpAfterGame() {
  HideLoadingWindow();
  CleanUpGame();
}

}  // namespace

const std::string& ApplicationTitle() { return title(); }

void SetFolderBuilder(FolderBuilder builder) { folderBuilder() = std::move(builder); }

bool RunGame(const std::string& executable, const std::vector<std::string>& arguments) {
  data::GameData game;
  std::string gamePath;
  PlayerSettings player;
  // 1. Open and read: any exception here means the data is corrupt.
  try {
    auto file = locateGame(executable, arguments);
    if (!file) return false;
    gamePath = file->path;
    std::vector<std::string> parameters{gamePath};
    const bool fromArgument = gamePath != executable;
    parameters.insert(parameters.end(), arguments.begin() + (fromArgument ? 1 : 0), arguments.end());
    SetGameParameters(std::move(parameters));
    KeepCodeSources(file->bytes.bytes());

    data::LoadStatus status = data::ReadGameData(file->bytes, file->start, data::CurrentSettings(), game, [](bool debug) {
      data::Runner().debug_mode = debug;
      platform::setScreenSaverAllowed(!data::CurrentSettings().disable_screensaver);
      Progress(1, "Reading data");
      ShowLoadingWindow(debug);
    });
    if (status != data::LoadStatus::Ok) {
      HideLoadingWindow();
      showMessage(data::LoadStatusMessage(status));
      return false;
    }
    if (!LoadAll(game.main)) {
      HideLoadingWindow();
      return false;
    }
  } catch (const std::exception&) {
    HideLoadingWindow();
    showMessage(data::messages::kCorrupted);
    return false;
  }
  // 2. to 4. Prepare and run.
  try {
    platform::raisePriority(data::EffectivePriority(data::CurrentSettings()));
    {
      // Read once, for this game; every problem is reported here and the setting ignored.
      std::vector<std::string> problems;
      player = ReadPlayerSettings(game.header.game_id, platform::environmentVariable, problems);
      for (const std::string& problem : problems) std::fprintf(stderr, "quorvane: %s\n", problem.c_str());
      sound::soundBackend().SetPlayerGain(PlayerGain(player));
    }
    enterGameDirectory(gamePath, game.header.game_id, player);
    world::currentGameId() = game.header.game_id;
    system::SetRegistryGameId(game.header.game_id);
    multiplayer::SetGameIdentifier(game.header.guid);
    if (!PrepareAll([&player] { return PrepareGameGraphics(player); })) {
      HideLoadingWindow();
      CleanUpGame();
      return false;
    }
    game::LoopOptions loop;
    if (auto steps = platform::environmentVariable("QUORVANE_STEPS")) {
      loop.maxSteps = std::atoll(steps->c_str());
      loop.paced = false;
    }
    graphics::display().inputHandler = world::HandleWindowInput;
    {
      const auto& settings = data::CurrentSettings();
      world::InputSettings& keys = world::inputSettings();
      keys.f1Information = settings.key_f1_information;
      keys.escEnds = settings.key_esc_ends;
      keys.f4Fullscreen = settings.key_f4_fullscreen;
      keys.f5f6SaveLoad = settings.key_f5_f6_save_load;
      keys.f9Screenshot = settings.key_f9_screenshot;
      keys.closeAsEsc = settings.close_as_esc;
      keys.freezeWhenInactive = settings.freeze_unfocused;
    }
    loop.pumpEvents = [] { return graphics::display().processEvents(); };
    if (player.gamepad) {
      // Controllers stand in for keys: after the window's events, the controls held now become
      // the key presses and releases of the keys they stand for.
      std::error_code ec;
      if (const std::string mappings = GamepadMappingsPath(platform::environmentVariable);
          !mappings.empty() && fs::exists(mappings, ec) && !platform::AddGamepadMappings(mappings))
        std::fprintf(stderr, "quorvane: %s: not a controller mapping file; ignored\n", mappings.c_str());
      // Buttons stand for the keys this game's objects react to most, where the player chose none.
      auto pad = std::make_shared<GamepadKeys>(FitGamepadKeysToGame(player.padKeys, player.padKeyChosen, GameKeyUse()));
      loop.pumpEvents = [pad] {
        const bool open = graphics::display().processEvents();
        for (const platform::WindowEvent& e : pad->update(platform::ReadGamepadControls()))
          if (graphics::display().inputHandler) graphics::display().inputHandler(e);
        return open;
      };
    }
    // Splashes and the information the game does not wait for live between steps and in the
    // waits for input, beside the game's own window.
    world::windowMessagePump() = [] {
      const bool open = graphics::display().processEvents();
      windows::ServiceModelessDialogs();
      return open;
    };
    loop.pumpEvents = [before = loop.pumpEvents] {
      const bool open = before();
      windows::ServiceModelessDialogs();
      return open;
    };
    system::SetProgramWaitPump([] { graphics::display().processEvents(); });
    world::AttachRoomDrawing();
    if (auto shot = platform::environmentVariable("QUORVANE_SCREENSHOT")) {
      // The frame after each step of QUORVANE_SCREENSHOT_STEP (default 1) goes to a PNG file: the
      // name given for one step, the name with the step number for several.
      const auto stepText = platform::environmentVariable("QUORVANE_SCREENSHOT_STEP");
      std::string error;
      const auto steps = stepText ? platform::ParseScreenshotSteps(*stepText, &error) : std::vector<int64_t>{1};
      if (!steps) {
        std::fprintf(stderr, "QUORVANE_SCREENSHOT_STEP: %s\n", error.c_str());
      } else {
        loop.afterStep = [path = *shot, wanted = *steps](int64_t step) {
          if (std::find(wanted.begin(), wanted.end(), step) == wanted.end()) return;
          const std::string file = platform::ScreenshotFileName(path, step, wanted.size() > 1);
          if (!graphics::display().saveScreen(file, 0, 0, 1 << 20, 1 << 20))
            std::fprintf(stderr, "QUORVANE_SCREENSHOT: could not write %s\n", file.c_str());
        };
      }
    }
    if (auto script = platform::environmentVariable("QUORVANE_INPUT")) {
      std::string error;
      auto events = world::ParseScriptedInput(*script, &error);
      if (!events) {
        std::fprintf(stderr, "QUORVANE_INPUT: %s\n", error.c_str());
      } else {
        auto input = std::make_shared<world::ScriptedInput>(std::move(*events));
        loop.beforeStep = [input](int64_t step) { input->deliverBefore(step); };
      }
    }
    SetUpDebugMode(loop);
    game::RunGameLoop(loop);
    windows::CloseModelessDialogs();
    EndDebugMode();
  } catch (const std::exception&) {
    HideLoadingWindow();
    showMessage(data::messages::kUnexpected);
    return false;
  }
  return true;
}

int RunnerMain(int argc, char** argv) {
  // Before anything starts SDL, which then leaves these handlers in place.
  platform::CatchInterruptSignals();
  const std::string executable = platform::executablePath();
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (auto status = answerOption(executable, arguments)) return *status;
  // Every game path that graphics opens goes through the one mapper.
  graphics::seams().hostPath = [](const std::string& gamePath) { return system::HostPath(gamePath); };
  // Date strings take the host's short date and long time formats; sound problems are shown as
  // every other start-up message is.
  code::UseHostDateFormats();
  sound::soundBackend().setMessageHandler([](std::string_view message) { showMessage(std::string(message).c_str()); });
  title() = stemOf(executable.empty() ? std::string(argc > 0 ? argv[0] : "quorvane") : executable);
  if (!data::CreateTempDirectory(fs::path(executable).parent_path().string(), platform::environmentVariable,
                                 [](const std::string& gamePath) { return system::HostPath(gamePath); }))
    showMessage(data::messages::kTempDirFailed);
  system::ReadSecureMode();
  game::UseGameFamilies();
  game::InstallGame();
  // Headless runs outside debug mode: debug messages go to stdout, where automation reads them
  // (in debug mode the debugger takes them, see SetUpDebugMode).
  if (platform::headlessMode())
    code::SetDebugMessageSink([](const std::string& line) {
      std::fprintf(stdout, "%s\n", line.c_str());
      std::fflush(stdout);  // whoever watches the output sees each line as it comes
    });
  const bool played = RunGame(executable, arguments);
  if (played) cleanUpAfterGame();
  extensions::ForgetExternals();  // every library still open is freed before its files go
  extensions::ForgetExtensionPackages();
  data::RemoveTempDirectory();
  if (!played) return kExitNotStarted;
  if (const int signal = platform::InterruptSignal()) return 128 + signal;
  return game::LastGameEnding() == game::GameEnding::Aborted ? kExitGameError : kExitPlayed;
}

bool LoadGameInProcess(std::vector<uint8_t> file) {
  data::CStream stream(std::move(file));
  const auto start = data::FindGameData(stream);
  if (!start) return false;
  data::GameData data;
  if (data::ReadGameData(stream, *start, data::CurrentSettings(), data) != data::LoadStatus::Ok) return false;
  if (!LoadAll(data.main)) return false;
  game::UseGameFamilies();
  game::InstallGame();
  return PrepareAll(nullptr);
}

}  // namespace qv::runner
