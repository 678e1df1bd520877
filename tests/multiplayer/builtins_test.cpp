// The mplay_* functions called as the interpreter calls them, in one process with a session on
// 127.0.0.1: the truth rule of boolean arguments, ids-only counting, list indices, results without
// a connection, and messages to one's own player.
#include <gtest/gtest.h>

#include <regex>

#include "multiplayer/builtins.h"
#include "multiplayer/multiplayer.h"
#include "multiplayer/two_players.h"
#include "support/builtin_call.h"

using qv::code::RValue;
using namespace qv::multiplayer;

namespace {

RValue Call(const char* name, std::vector<RValue> args = {}) { return qv::testing::CallBuiltin(MultiplayerFunctions(), name, std::move(args)); }

// A string argument whose real field holds `real`, as a value computed from a string can carry.
RValue StringWithReal(const char* text, double real) {
  RValue v(text);
  v.real = real;
  return v;
}

class MultiplayerBuiltins : public ::testing::Test {
 protected:
  void SetUp() override { ResetMultiplayer(); }
  void TearDown() override { ResetMultiplayer(); }
};

TEST_F(MultiplayerBuiltins, BooleansAreTrueWhenTheyRoundToNonZero) {
  const struct {
    double arg;
    bool truth;
  } cases[] = {{0.5, false}, {-0.6, true}, {1.5, true}, {0.49, false}, {-0.5, false}, {2, true}};
  for (const auto& c : cases) {
    Call("mplay_data_mode", {c.arg});
    EXPECT_EQ(State().dataMode, c.truth) << c.arg;
    Call("mplay_session_mode", {c.arg});
    EXPECT_EQ(State().sessionMode, c.truth) << c.arg;
  }
  ResetMultiplayer();
  EXPECT_TRUE(State().dataMode) << "the data mode starts true";
  EXPECT_FALSE(State().sessionMode);
}

TEST_F(MultiplayerBuiltins, WithoutAConnectionEverythingAnswersEmpty) {
  EXPECT_EQ(Call("mplay_connect_status").real, 0);
  EXPECT_EQ(Call("mplay_session_find").real, 0);
  EXPECT_EQ(Call("mplay_session_name", {0.0}).str, "");
  EXPECT_EQ(Call("mplay_session_create", {"room", 0.0, "ann"}).real, 0);
  EXPECT_EQ(Call("mplay_player_find").real, 0);
  EXPECT_EQ(Call("mplay_player_name", {0.0}).str, "");
  EXPECT_EQ(Call("mplay_data_write", {5.0, 1.0}).real, 0);
  EXPECT_EQ(State().data.size(), 0u) << "data[5] untouched";
  EXPECT_EQ(Call("mplay_message_receive", {0.0}).real, 0);
  EXPECT_EQ(Call("mplay_message_name").str, "(unknown)");
  EXPECT_EQ(Call("mplay_message_value").real, 0);
  EXPECT_TRUE(std::regex_match(Call("mplay_ipaddress").str, std::regex(R"((\d{1,3}\.){3}\d{1,3}|)")));
}

TEST_F(MultiplayerBuiltins, AHostTalksToItselfAndCountsByIdOnly) {
  const std::string address = "127.0.0.1:" + std::to_string(qv::testing::TestPort(7));
  ASSERT_EQ(Call("mplay_init_tcpip", {address}).real, 1);
  ASSERT_EQ(Call("mplay_session_create", {"room", 0.0, "ann"}).real, 1);
  ASSERT_EQ(Call("mplay_player_find").real, 1);
  const double own = Call("mplay_player_id", {0.4}).real;
  EXPECT_GT(own, 0);
  EXPECT_EQ(Call("mplay_player_name", {-0.4}).str, "ann") << "indices are rounded";
  EXPECT_EQ(Call("mplay_player_name", {1.0}).str, "");
  EXPECT_EQ(Call("mplay_player_id", {1.0}).real, 0);
  EXPECT_EQ(Call("mplay_message_send", {"ann", 5.0, "to myself"}).real, 1);
  EXPECT_EQ(Call("mplay_message_send_guaranteed", {own, 6.0, 6.5}).real, 1);
  EXPECT_EQ(Call("mplay_message_send", {0.0, 7.0, 7.0}).real, 1) << "to all: nobody else, and not back to me";
  // Count and clear read a string argument's real part as the id; they do not look up names.
  EXPECT_EQ(Call("mplay_message_count", {StringWithReal("nobody", own)}).real, 2);
  EXPECT_EQ(Call("mplay_message_count", {StringWithReal("ann", -1)}).real, 0);
  EXPECT_EQ(Call("mplay_message_receive", {"ann"}).real, 1);
  EXPECT_EQ(Call("mplay_message_value").str, "to myself");
  EXPECT_EQ(Call("mplay_message_name").str, "ann");
  EXPECT_EQ(Call("mplay_message_player").real, own);
  EXPECT_EQ(Call("mplay_message_receive", {"nobody"}).real, 0);
  Call("mplay_message_clear", {StringWithReal("ann", own)});
  EXPECT_EQ(Call("mplay_message_count", {0.0}).real, 0);
  EXPECT_EQ(Call("mplay_message_id").real, 5) << "the current message stays";
  // Shared data: a write is stored locally once sent; reads grow the array.
  EXPECT_EQ(Call("mplay_data_write", {3.0, "three"}).real, 1);
  EXPECT_EQ(Call("mplay_data_read", {3.0}).str, "three");
  EXPECT_EQ(Call("mplay_data_read", {10.0}).real, 0);
  EXPECT_EQ(State().data.size(), 11u);
  EXPECT_EQ(Call("mplay_data_write", {-1.0, 1.0}).real, 0);
  EXPECT_EQ(Call("mplay_data_write", {1000001.0, 1.0}).real, 0);
  Call("mplay_end");
  EXPECT_EQ(Call("mplay_session_status").real, 0);
  EXPECT_EQ(State().data.size(), 11u) << "the end keeps the data";
  EXPECT_EQ(Call("mplay_message_id").real, 5);
}

}  // namespace
