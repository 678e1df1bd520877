// The installation as a packager makes it: `cmake --install` of this build (stripped) into a
// staging folder holds the programs, manual pages, licence, desktop entry, icon and game file
// type, and the installed programs make and play a data-only game from the demo.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/run_program.h"

namespace fs = std::filesystem;
using qv::testing::ProgramRun;
using qv::testing::RunProgram;

namespace {

TEST(Install, StagedInstallationPlaysTheDemosDataOnlyGame) {
  const fs::path dir = fs::temp_directory_path() / "qv_install_stage";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path stage = dir / "usr";
  const std::string install = "cmake --install '" + std::string(QV_BINARY_DIR) + "' --prefix '" + stage.string() +
                              "' --strip > '" + (dir / "install.txt").string() + "' 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0) << qv::testing::ReadWholeFile(dir / "install.txt");
  for (const char* file : {"bin/quorvane", "bin/qvpack", "bin/qvscript", "share/man/man6/quorvane.6",
                           "share/man/man1/qvpack.1", "share/man/man1/qvscript.1", "share/doc/Quorvane/LICENSE",
                           "share/applications/quorvane.desktop", "share/icons/hicolor/scalable/apps/quorvane.svg",
                           "share/mime/packages/quorvane.xml"})
    EXPECT_TRUE(fs::exists(stage / file)) << file;
  EXPECT_LT(fs::file_size(stage / "bin/quorvane"), fs::file_size(QV_RUNNER_PATH)) << "the installed runner is stripped";

  const std::string demo = std::string(QV_SOURCE_DIR) + "/examples/demo";
  const ProgramRun built = RunProgram({(stage / "bin/qvpack").string(), "build", demo, "-o", "demo.qvg", "--data-only"}, dir);
  ASSERT_EQ(built.status, 0) << built.err;
  // Data only: far smaller than the runner, and no program.
  EXPECT_LT(fs::file_size(dir / "demo.qvg"), fs::file_size(stage / "bin/quorvane"));
  EXPECT_EQ(fs::status(dir / "demo.qvg").permissions() & fs::perms::owner_exec, fs::perms::none);
  const ProgramRun played = RunProgram({(stage / "bin/quorvane").string(), "demo.qvg"}, dir,
                                       {"QUORVANE_HEADLESS=1", "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                        "QUORVANE_STEPS=30"});
  EXPECT_EQ(played.status, 0) << played.err;
  // A game built with the installed runner beside the installed qvpack carries the stripped runner.
  const ProgramRun whole = RunProgram({(stage / "bin/qvpack").string(), "build", demo, "-o", "demo"}, dir);
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_LT(fs::file_size(dir / "demo"), fs::file_size(QV_RUNNER_PATH));
  fs::remove_all(dir);
}

}  // namespace
