// The player's settings file and variables applied to a real game (tests/games/player_settings),
// built by the real qvpack and played by the real runner headless: the game keeps a count of its
// runs in a file of its own folder and shows whether it is in full screen; another shows where the
// mouse points in its room under each scaling mode.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/whole_file.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

Outcome shell(const fs::path& dir, const std::string& command) {
  const int raw = std::system(("cd '" + dir.string() + "' && " + command + " >out.txt 2>err.txt").c_str());
  Outcome r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = qv::testing::ReadWholeFile(dir / "out.txt");
  r.err = qv::testing::ReadWholeFile(dir / "err.txt");
  return r;
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PlayerSettingsGame, SaveFolderAndFullScreenFromTheFileAndTheEnvironment) {
  const fs::path dir = fs::temp_directory_path() / "qv_player_settings_game";
  fs::remove_all(dir);
  fs::create_directories(dir / "config" / "quorvane");
  const fs::path project = fs::path(QV_SOURCE_DIR) / "tests" / "games" / "player_settings";
  const Outcome built = shell(dir, "'" QV_PACK_PATH "' build '" + project.string() + "' -o game");
  ASSERT_EQ(built.status, 0) << built.err;
  const fs::path file = dir / "config" / "quorvane" / "settings.ini";
  std::ofstream(file) << "fullscreen = on\nvolume = 150\n[game 2801]\nsave_folder = " << (dir / "saves").string()
                      << "\n[game 2802]\nfullscreen = off\n";
  const std::string play = "env QUORVANE_HEADLESS=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_STEPS=3 "
                           "XDG_CONFIG_HOME='" + (dir / "config").string() + "' XDG_DATA_HOME='" +
                           (dir / "data").string() + "' ";

  // The file: full screen on, the game's section moves its folder, the bad volume reported once.
  const Outcome first = shell(dir, play + "./game");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "run 1, fullscreen 1\n");
  EXPECT_EQ(count(first.err, file.string() + ":2: bad value \"150\" for volume (expected a whole number from 0 to 100); ignored"), 1u)
      << first.err;
  EXPECT_TRUE(fs::exists(dir / "saves" / "2801" / "progress.txt"));
  EXPECT_FALSE(fs::exists(dir / "progress.txt"));

  // The environment over the file: windowed, and the same save folder found again.
  const Outcome second = shell(dir, play + "QUORVANE_FULLSCREEN=off ./game");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "run 2, fullscreen 0\n");

  // Another save folder from the environment starts the count anew there; a bad variable is
  // reported by name and changes nothing.
  const Outcome third = shell(dir, play + "QUORVANE_SAVE_FOLDER='" + (dir / "other").string() + "' QUORVANE_SCALING=big ./game");
  EXPECT_EQ(third.status, 0) << third.err;
  EXPECT_EQ(third.out, "run 1, fullscreen 1\n");
  EXPECT_NE(third.err.find("QUORVANE_SCALING: bad value \"big\" for scaling"), std::string::npos) << third.err;
  EXPECT_TRUE(fs::exists(dir / "other" / "2801" / "progress.txt"));

  // Without any settings the game keeps its own folder beside the game file.
  fs::remove(file);
  const Outcome plain = shell(dir, play + "./game");
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out, "run 1, fullscreen 0\n");
  EXPECT_EQ(plain.err, "");
  EXPECT_TRUE(fs::exists(dir / "progress.txt"));
  fs::remove_all(dir);
}

// The scaling modes seen by a game (tests/games/scaled_mouse): a 300 x 200 room in a 640 x 480
// window, the mouse at window point (92, 114) is a different room point in each mode.
TEST(PlayerSettingsGame, ScalingModesPlaceTheRoomInTheWindow) {
  const fs::path dir = fs::temp_directory_path() / "qv_scaled_mouse_game";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path project = fs::path(QV_SOURCE_DIR) / "tests" / "games" / "scaled_mouse";
  const Outcome built = shell(dir, "'" QV_PACK_PATH "' build '" + project.string() + "' -o game");
  ASSERT_EQ(built.status, 0) << built.err;
  struct Case {
    const char* scaling;
    const char* point;
  };
  const Case cases[] = {
      {"game", "-78,-26"},   // the game's fixed 100 %: the room centred at (170, 140)
      {"integer", "36,37"},  // scale 2: 600 x 400 at (20, 40)
      {"fit", "43,41"},      // scale 2.1333: 640 x 427 at (0, 26)
      {"stretch", "43,48"},  // 2.1333 across, 2.4 down
  };
  for (const Case& c : cases) {
    const Outcome played = shell(dir, std::string("env QUORVANE_HEADLESS=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                                                  "QUORVANE_STEPS=5 QUORVANE_INPUT=2:mousemove:92,114 QUORVANE_SCALING=") +
                                          c.scaling + " ./game");
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_EQ(played.out.substr(0, played.out.find(' ')), c.point) << c.scaling << ": " << played.out;
  }
  fs::remove_all(dir);
}

}  // namespace
