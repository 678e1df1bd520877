// The CD functions: the command strings they send and how they read the replies, over a scripted
// command layer, and their answers on this machine's layer (no CD drive).
#include <gtest/gtest.h>

#include <map>

#include "sound/mci.h"
#include "sound_fixtures.h"

namespace qv::sound {
namespace {

using testing::Call;

// A disc in a drive, as scripted replies; every command sent is logged.
class ScriptedDrive final : public MciCommandLayer {
 public:
  std::string send(std::string_view command) override {
    log.emplace_back(command);
    const auto it = replies.find(std::string(command));
    return it == replies.end() ? std::string{} : it->second;
  }
  std::vector<std::string> log;
  std::map<std::string, std::string> replies;
};

class Cd : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.replies = {{"status cdaudio media present", "true"},
                     {"status cdaudio number of tracks", "12"},
                     {"status cdaudio mode", "playing"},
                     {"status cdaudio position", "04:01:15:20"}};
    SetMciCommandLayer(&drive);
  }
  void TearDown() override { SetMciCommandLayer(nullptr); }
  std::vector<std::string> run(const char* name, std::vector<code::RValue> args = {}) {
    drive.log.clear();
    last = Call(name, std::move(args));
    return drive.log;
  }
  ScriptedDrive drive;
  code::RValue last;
};

const std::string kOpen = "open cdaudio", kPresent = "status cdaudio media present";

TEST_F(Cd, PlaySendsTrackRanges) {
  const std::string tmsf = "set cdaudio time format tmsf wait";
  const std::string tracks = "status cdaudio number of tracks";
  EXPECT_EQ(run("cd_play", {3.0, 5.0}),
            (std::vector<std::string>{kOpen, kPresent, tmsf, kOpen, kOpen, kPresent, tracks, "play cdaudio from 3 to 6"}));
  EXPECT_EQ(run("cd_play", {3.0, 12.0}).back(), "play cdaudio from 3");
  EXPECT_EQ(run("cd_play", {0.0, 2.0}).back(), "play cdaudio from 1 to 3");
  EXPECT_EQ(run("cd_play", {5.0, 3.0}), (std::vector<std::string>{kOpen, kPresent, tmsf}));
}

TEST_F(Cd, TrackPositionsAreBuiltFromTheCurrentTrack) {
  EXPECT_EQ(run("cd_set_track_position", {75500.0}),
            (std::vector<std::string>{kOpen, kPresent,                                           // present
                                      kOpen, "set cdaudio time format tmsf wait", kOpen, kPresent,  // cd_track
                                      "status cdaudio position", "set cdaudio time format tmsf wait",
                                      kOpen, kOpen, kPresent, "status cdaudio mode",  // cd_playing
                                      "play cdaudio from 4:1:15", "set cdaudio time format tmsf"}));
  drive.replies["status cdaudio mode"] = "stopped";
  EXPECT_EQ(run("cd_set_track_position", {75500.0})[12], "seek cdaudio to 4:1:15");
  EXPECT_EQ(run("cd_set_position", {1234.0})[7], "seek cdaudio to 1234");
}

TEST_F(Cd, RepliesAreParsedAsDigits) {
  run("cd_track");
  EXPECT_EQ(last.real, 4);
  run("cd_track_position");
  EXPECT_EQ(last.real, 60000 + 15000);
  run("cd_number");
  EXPECT_EQ(last.real, 12);
  drive.replies["status cdaudio length track 5"] = "3:25";  // digits only: 325
  const auto sent = run("cd_track_length", {5.0});
  EXPECT_EQ(last.real, 325);
  EXPECT_EQ(sent.back(), "set cdaudio time format tmsf wait");
  run("cd_track_length", {13.0});
  EXPECT_EQ(last.real, 0);
  drive.replies["status cdaudio position"] = "4";  // short replies do not break the slicing
  run("cd_track_position");
  EXPECT_EQ(last.real, 0);
  EXPECT_EQ(ParseMciNumber("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseMciNumber("a1b2c3"), 123);
}

TEST_F(Cd, PausedIsTrueForAStoppedDisc) {
  for (const auto& [mode, paused] : std::vector<std::pair<std::string, double>>{{"paused", 1}, {"stopped", 1}, {"playing", 0}}) {
    drive.replies["status cdaudio mode"] = mode;
    const auto sent = run("cd_paused");
    EXPECT_EQ(last.real, paused) << mode;
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "status cdaudio mode"), mode == "paused" ? 1 : 2) << mode;
  }
}

TEST_F(Cd, WithoutAMachineDriveEveryFunctionAnswersZero) {
  SetMciCommandLayer(nullptr);
  for (const char* name : {"cd_present", "cd_number", "cd_playing", "cd_paused", "cd_track", "cd_length", "cd_position",
                           "cd_track_position"}) {
    EXPECT_EQ(Call(name).real, 0.0) << name;
  }
  EXPECT_EQ(Call("cd_track_length", {1.0}).real, 0.0);
  EXPECT_EQ(Call("MCI_command", {"status cdaudio media present"}).str, "");
  EXPECT_TRUE(Call("MCI_command", {"open cdaudio"}).isString());
}

TEST_F(Cd, WithoutADiscOnlyThePresentCheckIsSent) {
  drive.replies.clear();
  EXPECT_EQ(run("cd_stop"), (std::vector<std::string>{kOpen, kPresent}));
  EXPECT_EQ(run("cd_play", {1.0, 2.0}), (std::vector<std::string>{kOpen, kPresent}));
  EXPECT_EQ(run("cd_length"), (std::vector<std::string>{kOpen, "set cdaudio time format ms wait", kOpen, kPresent,
                                                       "set cdaudio time format tmsf wait"}));
  EXPECT_EQ(run("cd_open_door"), (std::vector<std::string>{kOpen, "set cdaudio door open"}));
  EXPECT_EQ(run("cd_init"), (std::vector<std::string>{"close cdaudio", kOpen}));
  drive.replies["x"] = std::string(400, 'y');
  run("MCI_command", {"x"});
  EXPECT_EQ(last.str.size(), 255u);
}

}  // namespace
}  // namespace qv::sound
