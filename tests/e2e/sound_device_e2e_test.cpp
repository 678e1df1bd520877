// The runner on a machine without a sound device: the example game with sounds (examples/bounce),
// built by the real qvpack and played by the real runner headless, says so in one line of its own
// on stderr, whatever the sound libraries below it would print, and plays on silently.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

TEST(SoundDevice, MissingDeviceIsOneLineOfOurOwn) {
  const fs::path dir = fs::temp_directory_path() / "qv_sound_device_e2e";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const auto built = qv::testing::RunProgram(
      {QV_PACK_PATH, "build", (fs::path(QV_SOURCE_DIR) / "examples" / "bounce").string(), "-o", "bounce"}, dir);
  ASSERT_EQ(built.status, 0) << built.err;
  // An ALSA configuration that names no device: ALSA fails on any machine, after printing its
  // reasons, as it does on a machine without a sound card.
  std::ofstream(dir / "asound.conf") << "\n";

  struct Case {
    const char* name;
    std::vector<std::string> env;
    std::string err;
  };
  const std::string noDevice = "No sound device detected. Sounds might not play.\n";
  const Case cases[] = {
      {"ALSA without a card", {"SDL_AUDIODRIVER=alsa", "ALSA_CONFIG_PATH=" + (dir / "asound.conf").string()}, noDevice},
      {"a driver that does not exist", {"SDL_AUDIODRIVER=nosuchdriver"}, noDevice},
      {"SDL's disk driver, which announces itself", {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + (dir / "out.raw").string()}, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> env = {"QUORVANE_HEADLESS=1", "SDL_VIDEODRIVER=offscreen", "QUORVANE_STEPS=30"};
    env.insert(env.end(), c.env.begin(), c.env.end());
    const auto run = qv::testing::RunProgram({QV_RUNNER_PATH, "./bounce"}, dir, env);
    EXPECT_FALSE(run.timedOut) << c.name;
    EXPECT_EQ(run.status, 0) << c.name;
    EXPECT_EQ(run.err, c.err) << c.name;
  }
  // The disk driver did open: the game's music went to its file.
  EXPECT_GT(fs::file_size(dir / "out.raw"), 0u);
  fs::remove_all(dir);
}

}  // namespace
