// One multiplayer session as seen from this copy of the game: the host that created it or a
// member that joined it, the players, and the arrivals waiting to be read.
//
// Topology: a star. Members connect to the host only; the host relays what a member sends to
// another member or to all, stamping the sender from the connection it arrived on (a payload
// never names its sender).
//
// When the host leaves a session created with the host role free to move, the remaining player
// with the lowest id becomes the host, on the socket it already has; the others connect to it at
// the address the old host told them and rejoin with their ids (a new host waits kRejoinTimeoutMs
// for each, then tells the rest that player left). Without it, or when no player remains, the
// members stay in their session but can send nothing more, and see only their own player.
//
// Frames inside ENet messages (integers little-endian; a name is n (2 bytes) and n bytes; an
// address is the IPv4 host (4, network order) and port (2)):
//   1 join     member -> host   game (16) | session instance (16) | player name
//   2 welcome  host -> member   your id (4) | host may move (1) | most players (4) | count (2) |
//                               count x (id (4) | address | name), the host first
//   3 refuse   host -> member
//   4 added    host -> members  id (4) | address | name
//   5 left     host -> members  id (4)
//   6 send     member -> host   addressee (4, 0: all players) | payload
//   7 deliver  host -> member   sender (4) | payload
//   8 rejoin   member -> host   game (16) | session instance (16) | own id (4) | player name
// Anything else, or a frame whose sizes do not add up, is dropped.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <vector>

#include "multiplayer/discovery.h"
#include "multiplayer/payload.h"
#include "platform/net_host.h"

namespace qv::multiplayer {

struct Player {
  int32_t id = 0;
  std::string name;
};

// Names travel cut to this many bytes; a session has at most this many players (the host's
// first welcome must fit in one message).
inline constexpr size_t kMaxPlayerName = 255;
inline constexpr size_t kMaxPlayers = 250;
// Arrivals wait in the inbox until a script reads; beyond these bounds new arrivals are dropped,
// so a flooding peer cannot grow memory without bound.
inline constexpr size_t kInboxRecords = 8192;
inline constexpr size_t kInboxBytes = 32u << 20;
// How long a join waits for the host's answer; a host drops a connection that has not asked to
// join within kJoinTimeoutMs, so idle connections cannot hold every player slot.
inline constexpr int kJoinTimeoutMs = 3000;
// How long a new host keeps the place of a player who has not rejoined it. Players notice a host
// that ends its session at once, but one that vanishes only when its connection times out, which
// ENet takes several seconds to decide.
inline constexpr int kRejoinTimeoutMs = 10000;

class Session : public platform::NetEvents {
 public:
  struct Options {
    Guid game{};
    std::string playerName;
    bool hostMayMove = false;  // Create: another player becomes the host when the host leaves
    double incomingLoss = 0;   // test shim, see platform::NetHostOptions
  };

  // Hosts a new session on `port` (every interface); nothing when the port cannot be bound.
  static std::unique_ptr<Session> Create(const Options& options, const std::string& sessionName,
                                         int32_t maxPlayers, uint16_t port);
  // Joins the session `instance` at `host`; nothing (and no connection left open) when the host
  // does not welcome this player within kJoinTimeoutMs.
  // `sessionName` is what this copy announces should it become the host.
  static std::unique_ptr<Session> Join(const Options& options, const Guid& instance, platform::NetAddress host,
                                       const std::string& sessionName = {});

  ~Session() override;

  // True while this copy hosts the session (from its creation, or since the host role moved here).
  bool isHost() const { return host_role_; }
  int32_t ownId() const { return ownId_; }
  const std::string& ownName() const { return options_.playerName; }
  // The other players, in the order they joined.
  std::vector<Player> OtherPlayers();
  // Sends a record to player `to` (0: every other player); false when it could not be sent
  // (no such player, the host is gone, the network refused).
  bool Send(int32_t to, const Record& r, bool guaranteed);
  // The arrivals received so far, oldest first; the inbox is empty afterwards.
  std::deque<Record> TakeArrivals();
  // Waits up to `timeoutMs` for the inbox to hold anything, servicing the network on the calling
  // thread meanwhile; true when it does. (Games read once a step instead; tools and benchmarks
  // that answer at once wait here rather than spin.)
  bool WaitForArrivals(int timeoutMs);
  // Records dropped because the inbox was full (for tests and the flood check).
  size_t droppedArrivals();

  // The lock the service thread holds while it runs the handlers below.
  std::recursive_mutex& mutex() { return net_->mutex(); }
  // Test shim: drops this share of the datagrams that arrive from now on.
  void SetIncomingLoss(double share) { net_->SetIncomingLoss(share); }

  // NetEvents, on the service thread.
  void OnConnect(platform::PeerId peer) override;
  void OnReceive(platform::PeerId peer, std::span<const uint8_t> data, bool reliable) override;
  void OnDisconnect(platform::PeerId peer) override;
  std::vector<uint8_t> OnProbe(std::span<const uint8_t> datagram) override;
  void OnIdle() override;

 private:
  struct Member {
    platform::PeerId peer = 0;
    Player player;
    platform::NetAddress address;  // where the player's copy listens, as the host sees it
    // At a new host: a player who has not rejoined yet (no connection), and since when.
    bool awaited = false;
    std::chrono::steady_clock::time_point awaitedSince;
  };

  explicit Session(const Options& options) : options_(options) {}
  void Arrive(int32_t from, std::span<const uint8_t> payload);
  void Deliver(platform::PeerId peer, int32_t from, std::span<const uint8_t> payload, bool reliable);
  void HostReceive(platform::PeerId peer, std::span<const uint8_t> data, bool reliable);
  void MemberReceive(std::span<const uint8_t> data);
  // At a host: a player of the session coming back after the host role moved here.
  void HostRejoin(platform::PeerId peer, std::span<const uint8_t> frame);
  // The host is gone: the next host is chosen, and this copy takes the role or connects to it.
  void HostLost();
  void TakeHostRole();
  void SendWelcome(platform::PeerId peer, int32_t id);
  void TellLeft(int32_t id);
  // Routes a payload from player `from` to `to` at the host; a message to all skips the
  // connection `from` came on (`fromPeer`; none for the host's own messages).
  bool Route(int32_t from, int32_t to, std::span<const uint8_t> payload, bool reliable,
             std::optional<platform::PeerId> fromPeer);
  Member* MemberById(int32_t id);
  Member* MemberByPeer(platform::PeerId peer);

  Options options_;
  bool host_role_ = false;
  std::string sessionName_;
  int32_t maxPlayers_ = 0;
  Guid instance_{};
  int32_t ownId_ = 0;
  int32_t nextId_ = 2;
  std::vector<Member> members_;  // host: the members; member: the other players (peer unused)
  struct Pending {
    platform::PeerId peer = 0;
    std::chrono::steady_clock::time_point since;
  };
  std::vector<Pending> pending_;  // host: connections that have not joined yet
  platform::PeerId hostPeer_ = 0;
  int32_t hostId_ = 0;  // member: the host's player id
  bool hostMayMove_ = false;
  bool rejoining_ = false;  // member: connecting to a new host, to be welcomed back
  std::chrono::steady_clock::time_point rejoinSince_;
  enum class JoinState { Waiting, Welcomed, Refused, Lost } join_ = JoinState::Waiting;
  std::deque<Record> inbox_;
  size_t inboxBytes_ = 0;
  size_t dropped_ = 0;
  std::condition_variable_any changed_;
  std::unique_ptr<platform::NetHost> net_;  // last: destroyed first, which stops the service thread
};

}  // namespace qv::multiplayer
