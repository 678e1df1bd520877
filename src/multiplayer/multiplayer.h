// The program's multiplayer state and the operations behind the mplay_* functions: the
// connection, the session (hosted or joined), the session and player lists, the message queue,
// the current message and the shared data.
//
// Everything here runs on the game thread. The network itself is serviced by the session's own
// thread (see session.h), which keeps connections alive and leaves arrivals in the session's
// inbox; they enter the message queue and the shared data only when a script reads (Receive
// below), so the queue's limit of 4000 records applies at that point.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "multiplayer/address.h"
#include "multiplayer/discovery.h"
#include "multiplayer/message_queue.h"
#include "multiplayer/session.h"
#include "multiplayer/shared_data.h"

namespace qv::multiplayer {

// Connection states.
enum Connection : int32_t { kNotConnected = 0, kIpx = 1, kTcpip = 2, kModem = 3, kSerial = 4 };
// Session states.
enum SessionState : int32_t { kNoSession = 0, kHosting = 1, kJoined = 2 };

struct FoundSession {
  Announcement announced;
  platform::NetAddress address;
};

struct Multiplayer {
  int32_t connection = kNotConnected;
  TcpipAddress address;
  int32_t sessionState = kNoSession;
  bool sessionMode = false;  // sessions created now let the host role move (see session.h)
  bool dataMode = true;
  std::unique_ptr<Session> session;
  int32_t ownId = 0;
  std::string ownName;
  std::vector<FoundSession> sessions;
  std::vector<Player> players;
  MessageQueue queue;
  Record current;
  SharedData data;
};

// The one state of the program.
Multiplayer& State();

// The game's 16-byte identifier, which names its sessions (set by the runner from the game data).
void SetGameIdentifier(const Guid& id);
const Guid& GameIdentifier();

// Each returns what its mplay_* function returns.
bool InitTcpip(const std::string& address);
void End();
bool SessionCreate(const std::string& name, int32_t maxPlayers, const std::string& playerName);
int32_t SessionFind();
bool SessionJoin(int32_t n, const std::string& playerName);
void SessionEnd();
int32_t PlayerFind();
// The id of the first player (after the list is rebuilt) named exactly `name`, else nothing.
std::optional<int32_t> PlayerIdByName(const std::string& name);
bool SendRecord(const Record& r, bool guaranteed);
// Moves the session's arrivals into the queue (kind 1) and the shared data (kind 0).
void ReceivePending();
bool DataWrite(int64_t index, const code::RValue& v);
code::RValue DataRead(int64_t index);
std::string CurrentSenderName();

// Closes any session and the connection and clears every list, the queue and the data: the state
// of a program that never used the network (the end of a game).
void ResetMultiplayer();

}  // namespace qv::multiplayer
