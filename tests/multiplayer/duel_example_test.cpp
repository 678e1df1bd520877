// The example game examples/duel: two copies on 127.0.0.1, headless and steered by scripted keys.
// The first hosts, the second finds and joins; each moves its own block and sees the other's,
// step for step (the game plays in lockstep). After step 10 both frames show both blocks where the
// other copy's keys put them: the own block blue, the other's red.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "support/golden.h"
#include "platform/image_codecs.h"
#include "support/run_program.h"
#include "support/whole_file.h"
#include "multiplayer/two_players.h"

namespace fs = std::filesystem;
using qv::testing::FinishProgram;
using qv::testing::ReadWholeFile;
using qv::testing::StartProgram;

namespace {

const fs::path kDuel = fs::path(QV_SOURCE_DIR) / "examples" / "duel";

// The runner plays in the game's folder, so the frame goes to an absolute path.
std::vector<std::string> Env(const fs::path& frame, const std::string& input) {
  return {"QUORVANE_STEPS=10", "QUORVANE_HEADLESS=1", "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
          "QUORVANE_ERROR_ANSWER=abort", "QUORVANE_SCREENSHOT=" + frame.string(), "QUORVANE_SCREENSHOT_STEP=10",
          "QUORVANE_INPUT=" + input};
}

qv::data::TBitmap32 Frame(const fs::path& file) {
  const std::string png = ReadWholeFile(file);
  auto decoded = qv::platform::DecodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size());
  qv::data::TBitmap32 shot(decoded ? decoded->width : 0, decoded ? decoded->height : 0);
  if (decoded) shot.pixels = decoded->pixels;
  for (uint32_t& p : shot.pixels) p |= 0xFF000000;
  return shot;
}

uint32_t Rgb(const qv::data::TBitmap32& f, int x, int y) { return f.pixels[size_t(y) * size_t(f.width) + size_t(x)] & 0xFFFFFFu; }

TEST(DuelExample, EachPlayerSeesTheOthersBlockMove) {
  const fs::path dir = fs::temp_directory_path() / ("qv_duel_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "host");
  fs::create_directories(dir / "guest");
  const std::string address = "127.0.0.1:" + std::to_string(qv::testing::TestPort(6));
  // The host walks right during steps 2 to 7 (24 pixels); the guest walks down during steps 3 to 6
  // (16 pixels) and left during steps 5 to 8 (16 pixels).
  const auto host = StartProgram({QV_RUNNER_PATH, kDuel.string(), address}, dir / "host", Env(dir / "host" / "frame.png", "2:keydown:39;8:keyup:39"));
  bool hosting = false;
  for (int i = 0; i < 1000 && !hosting; ++i) {
    hosting = ReadWholeFile(dir / "host" / "program_out.txt").find("hosting") != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(hosting) << ReadWholeFile(dir / "host" / "program_err.txt");
  const auto guestRun = FinishProgram(StartProgram({QV_RUNNER_PATH, kDuel.string(), address}, dir / "guest",
                                                   Env(dir / "guest" / "frame.png", "3:keydown:40;7:keyup:40;5:keydown:37;9:keyup:37")));
  const auto hostRun = FinishProgram(host);
  EXPECT_EQ(hostRun.status, 0) << hostRun.err;
  EXPECT_EQ(guestRun.status, 0) << guestRun.err;
  EXPECT_EQ(hostRun.out, "hosting\nsession 1, players 2\n");
  EXPECT_EQ(guestRun.out, "session 2, players 2\n");

  const qv::data::TBitmap32 atHost = Frame(dir / "host" / "frame.png"), atGuest = Frame(dir / "guest" / "frame.png");
  ASSERT_EQ(atHost.width, 160);
  ASSERT_EQ(atGuest.width, 160);
  const uint32_t blue = 60u << 16 | 110u << 8 | 230u, red = 230u << 16 | 70u << 8 | 60u;
  // The host's block: from (20, 44) to (44, 44); the guest's: from (124, 44) to (108, 60).
  EXPECT_EQ(Rgb(atHost, 44 + 8, 44 + 8), blue);
  EXPECT_EQ(Rgb(atHost, 108 + 8, 60 + 8), red);
  EXPECT_EQ(Rgb(atGuest, 108 + 8, 60 + 8), blue);
  EXPECT_EQ(Rgb(atGuest, 44 + 8, 44 + 8), red);
  qv::ExpectGolden("example_duel_host_step10", atHost);
  qv::ExpectGolden("example_duel_guest_step10", atGuest);
  fs::remove_all(dir);
}

}  // namespace
