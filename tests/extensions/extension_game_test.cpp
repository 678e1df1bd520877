// The game in tests/games/extension_package, built by the real qvpack and played headless by the
// real runner: its package's functions come from a script file and from a native library (the
// test library, which the test puts where the project names it), and the same library is bound
// from game code by its Windows name beside the game.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/whole_file.h"

namespace {

namespace fs = std::filesystem;

int shell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

TEST(ExtensionGame, ScriptAndLibraryFunctionsPrintTheirResults) {
  const fs::path dir = fs::temp_directory_path() / "extension_game";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(QV_SOURCE_DIR) / "tests" / "games" / "extension_package", dir / "proj", fs::copy_options::recursive);
  fs::copy_file(QV_TEST_LIBRARY, dir / "proj" / "extension_packages" / "tools" / "qvtest.so");
  fs::copy_file(QV_TEST_LIBRARY, dir / "libqvtest.so");
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build proj -o game 2>build-err.txt"), 0)
      << qv::testing::ReadWholeFile(dir / "build-err.txt");
  EXPECT_EQ(shell(in + "QUORVANE_HEADLESS=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_STEPS=1 "
                       "./game >out.txt 2>err.txt"),
            0);
  EXPECT_EQ(qv::testing::ReadWholeFile(dir / "out.txt"),
            "script: 42, Hello, Ada!\nlibrary: 5.50, Hello, Bob, counter 105\nconstant: 42\nexternal: 41\n");
  EXPECT_EQ(qv::testing::ReadWholeFile(dir / "err.txt"), "");
  fs::remove_all(dir);
}

}  // namespace
