// The mplay_* functions: thin adapters over multiplayer.h. No failure shows a message or raises an
// error: each gives 0, "" or the real 0, and what needs a connection or a session does nothing
// without one.
#include "multiplayer/builtins.h"

#include "multiplayer/multiplayer.h"
#include "platform/net_host.h"

namespace qv::multiplayer {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::truthValue;

// A boolean argument is true when it rounds to a non-zero integer (0.5 is false, -0.6 true).
bool Flag(const BuiltinCall& c, int i) { return code::roundToInt64(c.real(i)) != 0; }

// A player argument: an id, or a name looked up in the rebuilt player list.
std::optional<int32_t> PlayerArgument(const BuiltinCall& c, int i) {
  if (c.args[i].isString()) return PlayerIdByName(c.string(i));
  return c.integer(i);
}

// The transports that do not exist here answer as a connection that could not be made.
void InitUnavailable(BuiltinCall& c) { c.result = 0.0; }
void InitTcpipF(BuiltinCall& c) { c.result = truthValue(InitTcpip(c.string(0))); }
void ConnectStatus(BuiltinCall& c) { c.result = double(State().connection); }
void EndF(BuiltinCall&) { End(); }

void SessionModeF(BuiltinCall& c) { State().sessionMode = Flag(c, 0); }
void SessionCreateF(BuiltinCall& c) { c.result = truthValue(SessionCreate(c.string(0), c.integer(1), c.string(2))); }
void SessionFindF(BuiltinCall& c) { c.result = double(SessionFind()); }
void SessionNameF(BuiltinCall& c) {
  const Multiplayer& s = State();
  const int64_t n = code::roundToInt64(c.real(0));
  c.result = (s.connection != kNotConnected && n >= 0 && static_cast<uint64_t>(n) < s.sessions.size())
                 ? code::RValue(s.sessions[static_cast<size_t>(n)].announced.name)
                 : code::RValue("");
}
void SessionJoinF(BuiltinCall& c) { c.result = truthValue(SessionJoin(c.integer(0), c.string(1))); }
void SessionStatus(BuiltinCall& c) { c.result = double(State().sessionState); }
void SessionEndF(BuiltinCall&) { SessionEnd(); }

void PlayerFindF(BuiltinCall& c) { c.result = double(PlayerFind()); }
const Player* ListedPlayer(const BuiltinCall& c) {
  const int64_t n = code::roundToInt64(c.real(0));
  const std::vector<Player>& list = State().players;
  return n >= 0 && static_cast<uint64_t>(n) < list.size() ? &list[static_cast<size_t>(n)] : nullptr;
}
void PlayerName(BuiltinCall& c) {
  const Player* p = ListedPlayer(c);
  c.result = p ? code::RValue(p->name) : code::RValue("");
}
void PlayerId(BuiltinCall& c) {
  const Player* p = ListedPlayer(c);
  c.result = p ? double(p->id) : 0.0;
}

void DataWriteF(BuiltinCall& c) { c.result = truthValue(DataWrite(code::roundToInt64(c.real(0)), c.args[1])); }
void DataReadF(BuiltinCall& c) { c.result = DataRead(code::roundToInt64(c.real(0))); }
void DataModeF(BuiltinCall& c) { State().dataMode = Flag(c, 0); }

void Send(BuiltinCall& c, bool guaranteed) {
  const std::optional<int32_t> to = PlayerArgument(c, 0);
  if (!to) return;
  Record r;
  r.player = *to;
  r.kind = kKindMessage;
  r.id = c.integer(1);
  code::CopyValue(r.value, c.args[2]);
  c.result = truthValue(SendRecord(r, guaranteed));
}
void MessageSend(BuiltinCall& c) { Send(c, false); }
void MessageSendGuaranteed(BuiltinCall& c) { Send(c, true); }
void MessageReceive(BuiltinCall& c) {
  const std::optional<int32_t> from = PlayerArgument(c, 0);
  if (!from) return;
  ReceivePending();
  Multiplayer& s = State();
  if (s.connection == kNotConnected || s.sessionState == kNoSession) return;
  c.result = truthValue(s.queue.Take(*from, s.current));
}
void MessageId(BuiltinCall& c) { c.result = double(State().current.id); }
void MessageValue(BuiltinCall& c) { c.result = State().current.value; }
void MessagePlayer(BuiltinCall& c) { c.result = double(State().current.player); }
void MessageName(BuiltinCall& c) { c.result = CurrentSenderName(); }
// Count and clear take ids only: a string's real part is used as the id.
void MessageCount(BuiltinCall& c) {
  ReceivePending();
  const Multiplayer& s = State();
  if (s.connection == kNotConnected || s.sessionState == kNoSession) return;
  c.result = double(s.queue.Count(c.integer(0)));
}
void MessageClear(BuiltinCall& c) {
  ReceivePending();
  Multiplayer& s = State();
  if (s.connection == kNotConnected || s.sessionState == kNoSession) return;
  s.queue.Clear(c.integer(0));
}

void IpAddress(BuiltinCall& c) { c.result = platform::LocalIpAddress(); }

const BuiltinFunction kMultiplayerFunctions[] = {
    {"mplay_init_ipx", InitUnavailable, 0},
    {"mplay_init_tcpip", InitTcpipF, 1},
    {"mplay_init_modem", InitUnavailable, 2},
    {"mplay_init_serial", InitUnavailable, 5},
    {"mplay_connect_status", ConnectStatus, 0},
    {"mplay_end", EndF, 0},
    {"mplay_session_mode", SessionModeF, 1},
    {"mplay_session_create", SessionCreateF, 3},
    {"mplay_session_find", SessionFindF, 0},
    {"mplay_session_name", SessionNameF, 1},
    {"mplay_session_join", SessionJoinF, 2},
    {"mplay_session_status", SessionStatus, 0},
    {"mplay_session_end", SessionEndF, 0},
    {"mplay_player_find", PlayerFindF, 0},
    {"mplay_player_name", PlayerName, 1},
    {"mplay_player_id", PlayerId, 1},
    {"mplay_data_write", DataWriteF, 2},
    {"mplay_data_read", DataReadF, 1},
    {"mplay_data_mode", DataModeF, 1},
    {"mplay_message_send", MessageSend, 3},
    {"mplay_message_send_guaranteed", MessageSendGuaranteed, 3},
    {"mplay_message_receive", MessageReceive, 1},
    {"mplay_message_id", MessageId, 0},
    {"mplay_message_value", MessageValue, 0},
    {"mplay_message_player", MessagePlayer, 0},
    {"mplay_message_name", MessageName, 0},
    {"mplay_message_count", MessageCount, 1},
    {"mplay_message_clear", MessageClear, 1},
    {"mplay_ipaddress", IpAddress, 0},
};

}  // namespace

code::BuiltinFamily MultiplayerFunctions() { return kMultiplayerFunctions; }

}  // namespace qv::multiplayer
