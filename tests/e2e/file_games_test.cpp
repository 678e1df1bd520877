// Games that use files and programs, built by the real qvpack and played by the real runner:
// the options game (tests/games/ini_options) saves its options to an INI file beside it and finds
// them again when it is started anew; the start game (tests/games/start_game) starts a copy of
// itself that is no host executable, which this runner then plays.
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

TEST(OptionsGame, KeepsItsOptionsAcrossARestart) {
  const fs::path dir = fs::temp_directory_path() / "qv_options_game";
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  const fs::path project = fs::path(QV_SOURCE_DIR) / "tests" / "games" / "ini_options";
  const Outcome built = shell(dir, "'" QV_PACK_PATH "' build '" + project.string() + "' -o game");
  ASSERT_EQ(built.status, 0) << built.err;
  const std::string play = "env QUORVANE_HEADLESS=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_STEPS=1 "
                           "XDG_DATA_HOME='" + (dir / "data").string() + "' ./game";

  // The game's parameters are the ones after the game: here "-windowed".
  const Outcome first = shell(dir, play + " -windowed");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "parameters 1: -windowed\nfirst run: volume 80\nundefined INI file reported: 1\n");
  EXPECT_EQ(qv::testing::ReadWholeFile(dir / "options.ini"), "[options]\r\nvolume=70\r\nplayer=Ada\r\nruns=1\r\n");

  const Outcome second = shell(dir, play);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "parameters 0: \nvolume 70, player Ada, runs 1\nundefined INI file reported: 1\n");
  EXPECT_EQ(qv::testing::ReadWholeFile(dir / "options.ini"), "[options]\r\nvolume=60\r\nplayer=Ada\r\nruns=2\r\n");
  fs::remove_all(dir);
}

TEST(StartGame, AGameFileThatIsNoHostProgramIsPlayedByTheRunner) {
  const fs::path dir = fs::temp_directory_path() / "qv_start_game";
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  const fs::path project = fs::path(QV_SOURCE_DIR) / "tests" / "games" / "start_game";
  const Outcome built = shell(dir, "'" QV_PACK_PATH "' build '" + project.string() + "' -o game");
  ASSERT_EQ(built.status, 0) << built.err;
  // The copy a Windows game would carry: not executable here.
  fs::copy_file(dir / "game", dir / "child.exe");
  fs::permissions(dir / "child.exe", fs::perms::owner_read | fs::perms::owner_write);
  const Outcome played = shell(dir, "env QUORVANE_HEADLESS=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                                    "QUORVANE_STEPS=1 XDG_DATA_HOME='" + (dir / "data").string() + "' ./game");
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.out, "parent: child got 3: one|two words|a;b\n");
  fs::remove_all(dir);
}

}  // namespace
