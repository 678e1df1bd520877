// The player's own settings: how this machine shows and sounds a game, whatever the game asks for.
// They come from settings.ini in $XDG_CONFIG_HOME/quorvane (else ~/.config/quorvane): keys before
// any section or in [global] hold for every game, keys in [game ID] for the game with that id
// and override the global ones; then the QUORVANE_* environment variables override the file.
// Every setting defaults to "as the game says", so an absent file changes nothing.
//
// Reading is apart from applying (the runner applies them) so that the rules can be tested on
// their own. A bad line or value is reported once and ignored; nothing here is ever fatal.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runner/gamepad_keys.h"

namespace qv::runner {

enum class Switch { Game, On, Off };
enum class Scaling { Game, Integer, Fit, Stretch };
enum class Filtering { Game, Linear, Nearest };

struct PlayerSettings {
  Switch fullScreen = Switch::Game;
  Scaling scaling = Scaling::Game;
  Filtering filtering = Filtering::Game;
  Switch vsync = Switch::Game;
  int volume = 100;        // percent of the game's own level
  bool mute = false;
  std::string saveFolder;  // absolute; empty keeps the game's own folder
  bool gamepad = true;     // controllers stand in for keys
  GamepadKeyTable padKeys = DefaultGamepadKeys();
  GamepadChosen padKeyChosen{};  // controls the player gave a key: the game's keys do not move them

  bool operator==(const PlayerSettings&) const = default;
};

// Looks up an environment variable (the process's own, or a table in tests).
using EnvironmentLookup = std::function<std::optional<std::string>(const char*)>;

// Longest settings file and line read; a longer file is not read, a longer line is skipped.
inline constexpr size_t kMaxSettingsFileBytes = 64 * 1024;
inline constexpr size_t kMaxSettingsLineBytes = 1024;

// $XDG_CONFIG_HOME/quorvane/settings.ini (when that variable holds an absolute path), else
// $HOME/.config/quorvane/settings.ini; empty when neither is known.
std::string PlayerSettingsPath(const EnvironmentLookup& environment);

// gamecontrollerdb.txt beside the settings file: extra controller mappings in SDL's format.
std::string GamepadMappingsPath(const EnvironmentLookup& environment);

// Applies the text of a settings file for the game `gameId` onto `settings`: the global keys, then
// the game's section. Every problem of the file (in any section) is added to `problems` as
// "FILE:LINE: message". `home` expands a save folder written as "~/...".
void ApplySettingsText(std::string_view text, const std::string& fileName, int32_t gameId, const std::string& home,
                       PlayerSettings& settings, std::vector<std::string>& problems);

// Applies the QUORVANE_* variables that are set and not empty; problems as "VARIABLE: message".
void ApplySettingsEnvironment(const EnvironmentLookup& environment, PlayerSettings& settings,
                              std::vector<std::string>& problems);

// The whole reading: defaults, the file (a missing one is no problem), then the environment.
PlayerSettings ReadPlayerSettings(int32_t gameId, const EnvironmentLookup& environment,
                                  std::vector<std::string>& problems);

// The linear gain of the player's volume and mute: the square of the fraction, which follows
// loudness more closely than the fraction itself (50 is a quarter, about -12 dB); 0 when muted.
double PlayerGain(const PlayerSettings& settings);

// The folder a game with this id keeps its files in: <save folder>/<id>; empty when none is set.
std::string GameSaveFolder(const PlayerSettings& settings, int32_t gameId);

}  // namespace qv::runner
