// Entry point of every test program: headless drivers unless the caller chose others.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/families.h"
#include "platform/leak_check_suppressions.h"

#ifdef QV_SANITIZED
#include <dlfcn.h>

namespace {

// SDL loads and unloads the GL driver; leaks inside it would be reported with unknown modules
// that no suppression can name. Keeping its libraries resident lets the suppression list name them.
void keepGraphicsDriversResident() {
  const char* libraries[] = {"libEGL_mesa.so.0", "libGLX_mesa.so.0", "libglapi.so.0", "libgbm.so.1",
                             "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libLLVM-15.so.1"};
  for (const char* name : libraries) dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}

}  // namespace
#endif

namespace {

// Every test process gets a temporary folder of its own (through TMPDIR, which the tests' scratch
// folders and the programs they start both use), so that test programs running at the same time,
// from this build or another, never meet in the same scratch folder. It goes when every test
// passed; after a failure it stays with what the failing test left there (pictures drawn, output).
std::string OwnTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qv_tests_XXXXXX").string();
  if (!mkdtemp(pattern.data())) return "";
  setenv("TMPDIR", pattern.c_str(), 1);
  return pattern;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string temporary = OwnTemporaryFolder();
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("QUORVANE_HEADLESS", "1", 0);
  // The games the tests play see none of the developer's own player settings: no settings file
  // (the configuration folder is the test's own, empty) and no setting variables.
  if (!temporary.empty()) setenv("XDG_CONFIG_HOME", (temporary + "/config").c_str(), 1);
  for (const char* name : {"QUORVANE_FULLSCREEN", "QUORVANE_SCALING", "QUORVANE_FILTERING", "QUORVANE_VSYNC",
                           "QUORVANE_VOLUME", "QUORVANE_MUTE", "QUORVANE_SAVE_FOLDER", "QUORVANE_GAMEPAD"})
    unsetenv(name);
#ifdef QV_SANITIZED
  keepGraphicsDriversResident();
#endif
  // Tests compile and run game code with every family of the game.
  qv::game::UseGameFamilies();
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  std::error_code ec;
  if (!temporary.empty() && status == 0 && !std::getenv("QV_KEEP")) std::filesystem::remove_all(temporary, ec);
  return status;
}
