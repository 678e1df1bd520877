// The network under multiplayer sessions: an ENet host (reliable and unreliable messages over UDP)
// serviced by a thread of its own, one-shot UDP probes for finding sessions, and the machine's
// address. Nothing above this file sees ENet or a socket.
//
// Threading: a NetHost's service thread keeps its connections alive (pings, acknowledgements,
// resends) whether or not the game calls into the network. Every event handler runs on that
// thread with the host's mutex held; the game thread takes the same mutex (NetHost::mutex) around
// whatever it shares with the handlers, and Send/Disconnect take it themselves (it is recursive, so
// handlers may send).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv::platform {

// An IPv4 address and port. `host` is in network byte order, as the socket layer keeps it.
struct NetAddress {
  uint32_t host = 0;
  uint16_t port = 0;
  bool operator==(const NetAddress&) const = default;
};

// The address of a host name or dotted quad; nothing when it cannot be resolved.
std::optional<uint32_t> ResolveNetHost(const std::string& name);
// The dotted-quad text of an address in network byte order.
std::string NetHostText(uint32_t host);
// True for 127.0.0.0/8.
bool IsLoopbackHost(uint32_t host);

// The machine's address as a dotted quad: the first IPv4 address of an interface that is up and
// not the loopback, else 127.0.0.1 when the loopback is up, else "".
std::string LocalIpAddress();

using PeerId = uint32_t;

// What a NetHost reports; each runs on the service thread with the host's mutex held.
class NetEvents {
 public:
  virtual ~NetEvents() = default;
  virtual void OnConnect(PeerId peer) = 0;
  // `reliable`: the message travelled guaranteed.
  virtual void OnReceive(PeerId peer, std::span<const uint8_t> data, bool reliable) = 0;
  virtual void OnDisconnect(PeerId peer) = 0;
  // A datagram that starts with the probe mark (see ProbeMark): the reply to send back to its
  // sender, empty for none.
  virtual std::vector<uint8_t> OnProbe(std::span<const uint8_t> datagram) = 0;
  // Called every few milliseconds (at most every kIdleIntervalMs when the line is quiet), for
  // time-outs of the protocol above ENet.
  virtual void OnIdle() {}
};

inline constexpr int kIdleIntervalMs = 5;

// Datagrams that begin with these four bytes are probes, not ENet traffic (an ENet datagram opens
// with a peer id whose top bits are flags; this mark leaves those bits as no ENet peer sends them).
inline constexpr uint8_t kProbeMark[4] = {0x7f, 'Q', 'V', 'P'};

struct NetHostOptions {
  uint16_t port = 0;          // 0: any free port (a host that only connects out)
  size_t maxPeers = 1;        // connections at once
  size_t maxMessageBytes = 0;  // larger incoming messages end the connection that sent them
  // Test shim: the share (0 to 1) of incoming ENet datagrams dropped on arrival, as a lossy
  // network would. Reliable messages are then resent by ENet; unreliable ones are lost.
  double incomingLoss = 0;
};

class NetHost {
 public:
  // Opens the host and starts its service thread; nothing when the port cannot be bound or ENet
  // cannot start. `events` must outlive the host.
  static std::unique_ptr<NetHost> Open(const NetHostOptions& options, NetEvents& events);
  // Stops the thread, tells every peer the connection ends (briefly flushed) and closes the socket.
  ~NetHost();
  NetHost(const NetHost&) = delete;
  NetHost& operator=(const NetHost&) = delete;

  // Starts a connection; OnConnect reports it. Nothing when no peer slot is free.
  std::optional<PeerId> Connect(NetAddress to);
  // Queues a message and sends it at once; false when the peer is not connected or ENet refuses.
  bool Send(PeerId peer, std::span<const uint8_t> data, bool reliable);
  // Ends a connection at once (queued messages to it are dropped); OnDisconnect is not called.
  void Disconnect(PeerId peer);
  // The address a connected peer sends from; nothing for a peer that is not connected.
  std::optional<NetAddress> PeerAddress(PeerId peer);
  uint16_t port() const;
  // Services the host on the calling thread, waiting in ENet itself, until `done()` holds (checked
  // under the mutex after each event) or `timeoutMs` have passed; the service thread stands aside
  // meanwhile. For a reader that answers at once: no hand-over between threads on the way.
  bool ServiceUntil(int timeoutMs, const std::function<bool()>& done);
  // The test shim's share of incoming datagrams dropped from now on (see NetHostOptions).
  void SetIncomingLoss(double share);

  std::recursive_mutex& mutex();

  struct Impl;

 private:
  explicit NetHost(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Sends `query` to `to` (SO_BROADCAST set when `broadcast`) from a fresh UDP socket, again every
// `resendMs` in case one is lost, and hands each reply of at most `maxReplyBytes` to `onReply`
// (longer datagrams are skipped) until `timeoutMs` have passed or `onReply` returns true. False
// when no socket could be made.
using ProbeReplyHandler = std::function<bool(NetAddress from, std::span<const uint8_t> reply)>;
bool Probe(NetAddress to, bool broadcast, std::span<const uint8_t> query, int timeoutMs, int resendMs,
           size_t maxReplyBytes, const ProbeReplyHandler& onReply);

}  // namespace qv::platform
