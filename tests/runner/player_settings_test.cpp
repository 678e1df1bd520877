// The player's settings: the file's global keys, the game's own section and the environment in that
// order of precedence; bad lines reported with file and line and ignored; the file's place; the
// display settings they change and the ones they leave as the game says.
#include "runner/player_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "runner/preparation.h"

namespace qv::runner {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup table(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const char* name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

PlayerSettings with(const std::function<void(PlayerSettings&)>& change) {
  PlayerSettings s;
  change(s);
  return s;
}

struct Case {
  const char* name;
  const char* file;                        // the settings file's text
  std::map<std::string, std::string> env;  // QUORVANE_* variables
  PlayerSettings expected;
  std::vector<std::string> problems;       // "s.ini:LINE: ..." for the file, "VARIABLE: ..." for the environment
};

TEST(PlayerSettings, GlobalThenGameSectionThenEnvironment) {
  const Case cases[] = {
      {"nothing", "", {}, PlayerSettings{}, {}},
      {"keys before any section are global",
       "fullscreen = on\nscaling=fit\n", {},
       with([](PlayerSettings& s) { s.fullScreen = Switch::On; s.scaling = Scaling::Fit; }), {}},
      {"the game's section overrides the global one, whatever their order",
       "[game 42]\nscaling = integer\nvolume = 30\n[global]\nscaling = stretch\nvolume = 80\nfiltering = nearest\n", {},
       with([](PlayerSettings& s) { s.scaling = Scaling::Integer; s.volume = 30; s.filtering = Filtering::Nearest; }), {}},
      {"another game's section is not read",
       "[game 7]\nfullscreen = on\n[GAME   42]\nvsync = off\n", {},
       with([](PlayerSettings& s) { s.vsync = Switch::Off; }), {}},
      {"the environment overrides the game's section",
       "[game 42]\nscaling = integer\nmute = on\n", {{"QUORVANE_SCALING", "Stretch"}, {"QUORVANE_MUTE", "off"}},
       with([](PlayerSettings& s) { s.scaling = Scaling::Stretch; }), {}},
      {"game puts a global choice back to the game's own",
       "fullscreen = on\nfiltering = linear\n[game 42]\nfullscreen = game\n", {{"QUORVANE_FILTERING", "game"}},
       PlayerSettings{}, {}},
      {"an empty variable is as an unset one",
       "volume = 20\n", {{"QUORVANE_VOLUME", ""}},
       with([](PlayerSettings& s) { s.volume = 20; }), {}},
      {"save folders: absolute, from home, cleared by the game's section",
       "save_folder = ~/saves\n", {},
       with([](PlayerSettings& s) { s.saveFolder = "/home/ada/saves"; }), {}},
      {"save_folder cleared", "save_folder = /srv/saves\n[game 42]\nsave_folder =\n", {}, PlayerSettings{}, {}},
      {"comments, blank lines, spaces and CRLF",
       "; a comment\r\n# another\r\n\r\n  [ global ]  \r\n  VSync =   yes  \r\n", {},
       with([](PlayerSettings& s) { s.vsync = Switch::On; }), {}},
      {"bad values are reported with their line and ignored; the good ones stay",
       "volume = 70\nvolume = 101\nscaling = huge\n[game 7]\nmute = maybe\n[game 42]\nfullscreen = sometimes\n", {},
       with([](PlayerSettings& s) { s.volume = 70; }),
       {"s.ini:2: bad value \"101\" for volume (expected a whole number from 0 to 100); ignored",
        "s.ini:3: bad value \"huge\" for scaling (expected integer, fit, stretch or game); ignored",
        "s.ini:5: bad value \"maybe\" for mute (expected on or off); ignored",
        "s.ini:7: bad value \"sometimes\" for fullscreen (expected on, off or game); ignored"}},
      {"bad lines, keys and sections",
       "volume\nspeed = 3\n[player]\nvolume = 10\n[game x]\nvolume = 11\n[game 42\nvolume = 12\n[game 42]\nmute = on\n", {},
       with([](PlayerSettings& s) { s.mute = true; }),
       {"s.ini:1: expected KEY = VALUE; ignored", "s.ini:2: unknown setting \"speed\"; ignored",
        "s.ini:3: unknown section [player] (expected [global] or [game ID]); its keys are ignored",
        "s.ini:5: unknown section [game x] (expected [global] or [game ID] with a game id); its keys are ignored",
        "s.ini:7: section header without a closing ]; the keys up to the next section are ignored"}},
      {"relative save folder and a volume with a sign or a fraction",
       "save_folder = saves\nvolume = +5\nvolume = 5.5\n", {},
       PlayerSettings{},
       {"s.ini:1: bad value \"saves\" for save_folder (expected an absolute path, a path starting with ~/, or nothing "
        "for the game's own folder); ignored",
        "s.ini:2: bad value \"+5\" for volume (expected a whole number from 0 to 100); ignored",
        "s.ini:3: bad value \"5.5\" for volume (expected a whole number from 0 to 100); ignored"}},
      {"a bad variable is reported by name and leaves the file's value",
       "vsync = on\nvolume = 40\n", {{"QUORVANE_VSYNC", "fast"}, {"QUORVANE_VOLUME", "-1"}},
       with([](PlayerSettings& s) { s.vsync = Switch::On; s.volume = 40; }),
       {"QUORVANE_VSYNC: bad value \"fast\" for vsync (expected on, off or game); ignored",
        "QUORVANE_VOLUME: bad value \"-1\" for volume (expected a whole number from 0 to 100); ignored"}},
      {"an over-long line is skipped and counted",
       nullptr, {}, with([](PlayerSettings& s) { s.volume = 9; }),
       {"s.ini:1: line longer than 1024 bytes; ignored"}},
  };
  for (const Case& c : cases) {
    const std::string text = c.file ? c.file : "scaling = " + std::string(1100, 'x') + "\nvolume = 9\n";
    PlayerSettings s;
    std::vector<std::string> problems;
    ApplySettingsText(text, "s.ini", 42, "/home/ada", s, problems);
    ApplySettingsEnvironment(table(c.env), s, problems);
    EXPECT_EQ(s, c.expected) << c.name;
    EXPECT_EQ(problems, c.problems) << c.name;
  }
}

TEST(PlayerSettings, FileLocation) {
  EXPECT_EQ(PlayerSettingsPath(table({{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/ada"}})), "/cfg/quorvane/settings.ini");
  // A relative or empty XDG_CONFIG_HOME counts as unset.
  EXPECT_EQ(PlayerSettingsPath(table({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/ada"}})),
            "/home/ada/.config/quorvane/settings.ini");
  EXPECT_EQ(PlayerSettingsPath(table({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/ada"}})),
            "/home/ada/.config/quorvane/settings.ini");
  EXPECT_EQ(PlayerSettingsPath(table({})), "");
}

TEST(PlayerSettings, ReadsTheRealFileThenTheEnvironment) {
  const fs::path dir = fs::temp_directory_path() / "qv_player_settings_test";
  fs::remove_all(dir);
  std::vector<std::string> problems;
  // No file at all: the defaults and no complaint.
  EXPECT_EQ(ReadPlayerSettings(42, table({{"XDG_CONFIG_HOME", dir.string()}}), problems), PlayerSettings{});
  EXPECT_TRUE(problems.empty());

  fs::create_directories(dir / "quorvane");
  const std::string file = (dir / "quorvane" / "settings.ini").string();
  std::ofstream(file) << "volume = 50\nmute = loud\n[game 42]\nfiltering = nearest\n";
  const PlayerSettings s = ReadPlayerSettings(42, table({{"XDG_CONFIG_HOME", dir.string()}, {"QUORVANE_VOLUME", "60"}}), problems);
  EXPECT_EQ(s, with([](PlayerSettings& p) { p.volume = 60; p.filtering = Filtering::Nearest; }));
  EXPECT_EQ(problems, std::vector<std::string>{file + ":2: bad value \"loud\" for mute (expected on or off); ignored"});

  // A file past the size bound is not read at all.
  problems.clear();
  std::ofstream(file) << "volume = 50\n" << std::string(kMaxSettingsFileBytes, ';') << "\n";
  EXPECT_EQ(ReadPlayerSettings(42, table({{"XDG_CONFIG_HOME", dir.string()}}), problems), PlayerSettings{});
  EXPECT_EQ(problems, std::vector<std::string>{file + ": larger than 65536 bytes; not read"});
  fs::remove_all(dir);
}

TEST(PlayerSettings, GainAndSaveFolder) {
  EXPECT_DOUBLE_EQ(PlayerGain(PlayerSettings{}), 1.0);
  EXPECT_DOUBLE_EQ(PlayerGain(with([](PlayerSettings& s) { s.volume = 50; })), 0.25);
  EXPECT_DOUBLE_EQ(PlayerGain(with([](PlayerSettings& s) { s.mute = true; })), 0.0);
  EXPECT_EQ(GameSaveFolder(PlayerSettings{}, 42), "");
  EXPECT_EQ(GameSaveFolder(with([](PlayerSettings& s) { s.saveFolder = "/srv/saves//"; }), 42), "/srv/saves/42");
  EXPECT_EQ(GameSaveFolder(with([](PlayerSettings& s) { s.saveFolder = "/"; }), -3), "/-3");
}

TEST(PlayerSettings, DisplayChoicesOverTheGames) {
  graphics::DisplaySettings game;
  game.fullScreen = true;
  game.interpolate = true;
  game.scaling = 200;
  game.vsync = true;
  // As the game says: nothing changes.
  graphics::DisplaySettings d = game;
  ApplyPlayerDisplay(PlayerSettings{}, d);
  EXPECT_EQ(std::tuple(d.fullScreen, d.interpolate, d.scaling, d.integerScaling, d.vsync),
            std::tuple(true, true, 200, false, true));
  struct Row {
    Scaling scaling;
    int expectedScaling;
    bool integer;
  };
  for (const Row& r : {Row{Scaling::Integer, -1, true}, Row{Scaling::Fit, -1, false}, Row{Scaling::Stretch, 0, false}}) {
    d = game;
    ApplyPlayerDisplay(with([&](PlayerSettings& s) {
                         s.scaling = r.scaling;
                         s.fullScreen = Switch::Off;
                         s.filtering = Filtering::Nearest;
                         s.vsync = Switch::Off;
                       }),
                       d);
    EXPECT_EQ(std::tuple(d.fullScreen, d.interpolate, d.scaling, d.integerScaling, d.vsync),
              std::tuple(false, false, r.expectedScaling, r.integer, false));
  }
}

}  // namespace
}  // namespace qv::runner
