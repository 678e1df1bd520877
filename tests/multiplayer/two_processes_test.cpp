// Two (and three) real runner processes on 127.0.0.1 play games that talk through the mplay_*
// functions: one creates a session, the other finds it (by address and by a broadcast kept inside
// the loopback range) and joins it; then players, messages by id, by name and to all, counts and
// clears, shared data in both modes and a string cut to 32000 characters are checked from what
// each game prints. A game with another identifier finds nothing. Nothing is sent outside the
// loopback range.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "support/run_program.h"
#include "support/whole_file.h"
#include "multiplayer/two_players.h"

namespace fs = std::filesystem;
using qv::testing::FinishProgram;
using qv::testing::ProgramRun;
using qv::testing::ReadWholeFile;
using qv::testing::StartProgram;
using qv::testing::TestPort;
using qv::testing::WriteGameFolder;

namespace {

const char* kGuid = "27a1b2c3d4e5f60718293a4b5c6d7e8f";
const char* kOtherGuid = "27a1b2c3d4e5f60718293a4b5c6d7e80";

// Ann creates the session "room" and answers Bob.
const char* kAnn = R"(
var port, dl, bob, i, v;
port = environment_get_variable("MPLAY_PORT");
dl = current_time + 30000;
show_debug_message("name before any message: " + mplay_message_name());
show_debug_message("ipx " + string(mplay_init_ipx()) + ", modem " + string(mplay_init_modem("", "")) + ", serial " + string(mplay_init_serial(1, 9600, 0, 0, 0)));
show_debug_message("bad port " + string(mplay_init_tcpip("127.0.0.1:x1")) + ", state " + string(mplay_connect_status()));
show_debug_message("init " + string(mplay_init_tcpip("127.0.0.1:" + port)) + ", again " + string(mplay_init_ipx()) + ", state " + string(mplay_connect_status()));
show_debug_message("outside a session: send " + string(mplay_message_send(0, 1, 2)) + ", write " + string(mplay_data_write(5, 1)) + ", read " + string(mplay_data_read(5)));
show_debug_message("create " + string(mplay_session_create("room", 0, "ann")) + ", status " + string(mplay_session_status()));
while (mplay_player_find() < 2 && current_time < dl) sleep(5);
bob = mplay_player_id(1);
show_debug_message("players " + string(mplay_player_find()) + ": " + mplay_player_name(0) + ", " + mplay_player_name(1) + ", " + mplay_player_name(2) + "|");
show_debug_message("ids distinct and positive: " + string(mplay_player_id(0) > 0 && bob > 0 && bob != mplay_player_id(0)) + ", outside " + string(mplay_player_id(2)));
show_debug_message("to nobody " + string(mplay_message_send("nobody", 1, 2)));
show_debug_message("hello sent " + string(mplay_message_send_guaranteed("bob", 10, "hello bob")));
while (mplay_message_count(0) < 4 && current_time < dl) sleep(5);
show_debug_message("count all " + string(mplay_message_count(0)) + ", of bob " + string(mplay_message_count(bob)) + ", of -1 " + string(mplay_message_count(-1)) + ", of another " + string(mplay_message_count(bob + 1000)));
show_debug_message("receive -1: " + string(mplay_message_receive(-1)));
for (i = 0; i < 4; i += 1) {
  mplay_message_receive(0);
  v = mplay_message_value();
  if (is_string(v) && string_length(v) > 20) v = "string of " + string(string_length(v)) + " starting " + string_copy(v, 1, 4);
  else v = string(v);
  show_debug_message("message " + string(mplay_message_id()) + ": " + v + " from " + mplay_message_name() + ", sender is bob " + string(mplay_message_player() == bob));
}
mplay_message_send_guaranteed(bob, 11, "go on");
while (mplay_message_count(bob) < 3 && current_time < dl) sleep(5);
mplay_message_receive("bob");
show_debug_message("took " + string(mplay_message_id()) + ", left " + string(mplay_message_count(0)));
mplay_message_clear(bob);
show_debug_message("after clear " + string(mplay_message_count(0)) + ", receive " + string(mplay_message_receive(0)));
mplay_data_mode(0.5);
show_debug_message("plain write " + string(mplay_data_write(3, "three")));
mplay_data_mode(-0.6);
show_debug_message("guaranteed write " + string(mplay_data_write(4, 44)) + ", local " + string(mplay_data_read(4)));
while (mplay_data_read(6) != 66 && current_time < dl) sleep(5);
show_debug_message("bob wrote " + string(mplay_data_read(6)) + ", beyond " + string(mplay_data_read(1000001)));
while (mplay_message_count(0) < 1 && current_time < dl) sleep(5);
mplay_message_receive(0);
show_debug_message("last " + string(mplay_message_id()) + " " + string(mplay_message_value()));
show_debug_message("bye sent " + string(mplay_message_send_guaranteed(bob, 100, "bye")));
mplay_end();
show_debug_message("ended: state " + string(mplay_connect_status()) + ", session " + string(mplay_session_status()) + ", read after the end " + string(mplay_data_read(4)));
)";

// Bob finds the session twice (by address, then by broadcast), joins and talks to Ann.
const char* kBob = R"(
var port, dl, ann, n;
port = environment_get_variable("MPLAY_PORT");
dl = current_time + 30000;
show_debug_message("init " + string(mplay_init_tcpip("127.0.0.1:" + port)));
n = 0;
while (n == 0 && current_time < dl) n = mplay_session_find();
show_debug_message("found " + string(n) + ": " + mplay_session_name(0) + ", " + mplay_session_name(1) + "|");
mplay_end();
show_debug_message("after end: " + mplay_session_name(0) + "|" + string(mplay_connect_status()));
show_debug_message("init for broadcast " + string(mplay_init_tcpip(":" + port)));
show_debug_message("broadcast found " + string(mplay_session_find()) + ": " + mplay_session_name(0));
show_debug_message("join " + string(mplay_session_join(0, "bob")) + ", status " + string(mplay_session_status()) + ", join again " + string(mplay_session_join(0, "bob")));
show_debug_message("players " + string(mplay_player_find()) + ": " + mplay_player_name(0) + ", " + mplay_player_name(1));
ann = mplay_player_id(1);
while (!mplay_message_receive("ann") && current_time < dl) sleep(5);
show_debug_message("got " + string(mplay_message_id()) + ": " + mplay_message_value() + " from " + mplay_message_name());
mplay_message_send_guaranteed(ann, 1, 3.5);
mplay_message_send("ann", 2, "by name");
mplay_message_send_guaranteed(0, 3, 42);
mplay_message_send_guaranteed(ann, 4, string_repeat("abcd", 10000));
while (!mplay_message_receive(ann) && current_time < dl) sleep(5);
show_debug_message("got " + string(mplay_message_id()) + ": " + mplay_message_value());
for (n = 5; n <= 7; n += 1) mplay_message_send_guaranteed(ann, n, n * 10);
while (mplay_data_read(4) != 44 && current_time < dl) sleep(5);
show_debug_message("shared " + string(mplay_data_read(3)) + ", " + string(mplay_data_read(4)));
show_debug_message("write " + string(mplay_data_write(6, 66)));
mplay_message_send_guaranteed(ann, 99, "done");
while (!mplay_message_receive(ann) && current_time < dl) sleep(5);
show_debug_message("last " + string(mplay_message_id()) + " " + string(mplay_message_value()));
mplay_end();
)";

// Carol plays another game: the same machine and port show her no session.
const char* kCarol = R"(
mplay_init_tcpip("127.0.0.1:" + environment_get_variable("MPLAY_PORT"));
show_debug_message("other game finds " + string(mplay_session_find()));
mplay_init_tcpip("");
mplay_end();
mplay_init_tcpip(":" + environment_get_variable("MPLAY_PORT"));
show_debug_message("other game's broadcast finds " + string(mplay_session_find()));
)";

class TwoProcesses : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("qv_mplay_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path game(const std::string& name, const std::string& guid, const std::string& create) {
    const fs::path d = dir / name;
    WriteGameFolder(d / "project", guid, create);
    return d;
  }
  std::vector<std::string> env(uint16_t port, const std::string& extra = "") {
    std::vector<std::string> e = {"QUORVANE_STEPS=1", "QUORVANE_HEADLESS=1", "SDL_VIDEODRIVER=offscreen",
                                  "SDL_AUDIODRIVER=dummy", "MPLAY_PORT=" + std::to_string(port),
                                  "QUORVANE_MPLAY_BROADCAST=127.255.255.255"};
    if (!extra.empty()) e.push_back(extra);
    return e;
  }
  static bool waitFor(const fs::path& file, const std::string& text) {
    for (int i = 0; i < 1500; ++i) {
      if (ReadWholeFile(file).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
};

TEST_F(TwoProcesses, CreateFindJoinThenMessagesAndSharedData) {
  const uint16_t port = TestPort(0);
  ASSERT_NE(port, 0);
  const fs::path ann = game("ann", kGuid, kAnn), bob = game("bob", kGuid, kBob), carol = game("carol", kOtherGuid, kCarol);
  const auto annRun = StartProgram({QV_RUNNER_PATH, "project"}, ann, env(port));
  ASSERT_TRUE(waitFor(ann / "program_out.txt", "create 1")) << ReadWholeFile(ann / "program_err.txt");
  // The session is open now: another game looks for it first, then Bob.
  const ProgramRun carolRun = FinishProgram(StartProgram({QV_RUNNER_PATH, "project"}, carol, env(port)));
  const ProgramRun bobRun = FinishProgram(StartProgram({QV_RUNNER_PATH, "project"}, bob, env(port)));
  const ProgramRun annDone = FinishProgram(annRun);

  EXPECT_EQ(carolRun.out, "other game finds 0\nother game's broadcast finds 0\n");
  EXPECT_EQ(bobRun.status, 0) << bobRun.err;
  EXPECT_EQ(bobRun.out,
            "init 1\n"
            "found 1: room, |\n"
            "after end: |0\n"
            "init for broadcast 1\n"
            "broadcast found 1: room\n"
            "join 1, status 2, join again 0\n"
            "players 2: bob, ann\n"
            "got 10: hello bob from ann\n"
            "got 11: go on\n"
            "shared three, 44\n"
            "write 1\n"
            "last 100 bye\n");
  EXPECT_EQ(annDone.status, 0) << annDone.err;
  EXPECT_EQ(annDone.out,
            "name before any message: (unknown)\n"
            "ipx 0, modem 0, serial 0\n"
            "bad port 0, state 0\n"
            "init 1, again 0, state 2\n"
            "outside a session: send 0, write 0, read 0\n"
            "create 1, status 1\n"
            "players 2: ann, bob, |\n"
            "ids distinct and positive: 1, outside 0\n"
            "to nobody 0\n"
            "hello sent 1\n"
            "count all 4, of bob 4, of -1 0, of another 0\n"
            "receive -1: 0\n"
            "message 1: 3.50 from bob, sender is bob 1\n"
            "message 2: by name from bob, sender is bob 1\n"
            "message 3: 42 from bob, sender is bob 1\n"
            "message 4: string of 32000 starting abcd from bob, sender is bob 1\n"
            "took 5, left 2\n"
            "after clear 0, receive 0\n"
            "plain write 1\n"
            "guaranteed write 1, local 44\n"
            "bob wrote 66, beyond 0\n"
            "last 99 done\n"
            "bye sent 1\n"
            "ended: state 0, session 0, read after the end 0\n");
}

}  // namespace
