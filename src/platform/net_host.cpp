#include "platform/net_host.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

namespace qv::platform {

namespace {

// ENet keeps a process-wide start-up count of its own; once is enough for us.
bool StartEnet() {
  static const bool started = enet_initialize() == 0;
  return started;
}

bool IsProbe(const uint8_t* data, size_t size) {
  return size >= sizeof kProbeMark && std::memcmp(data, kProbeMark, sizeof kProbeMark) == 0;
}

// Probes that came too close on each other's heels are answered at most this often a second, so
// that a flood of queries costs the host little.
constexpr int kProbeAnswersPerSecond = 200;

constexpr size_t kMaxWaitingBytesPerPeer = 4u << 20;

// How long closing a host waits for its peers to acknowledge what was sent to them.
constexpr int kCloseWaitMs = 500;

}  // namespace

std::optional<uint32_t> ResolveNetHost(const std::string& name) {
  if (name.empty() || !StartEnet()) return std::nullopt;
  ENetAddress a{};
  if (enet_address_set_host(&a, name.c_str()) != 0) return std::nullopt;
  return a.host;
}

std::string NetHostText(uint32_t host) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr a{};
  a.s_addr = host;
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

bool IsLoopbackHost(uint32_t host) { return (ntohl(host) >> 24) == 127; }

std::string LocalIpAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return "";
  std::string first, loopback;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
    const uint32_t host = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr;
    if (IsLoopbackHost(host)) {
      if (loopback.empty()) loopback = NetHostText(host);
    } else if (first.empty()) {
      first = NetHostText(host);
    }
  }
  freeifaddrs(list);
  return first.empty() ? loopback : first;
}

struct NetHost::Impl {
  ENetHost* host = nullptr;
  NetEvents* events = nullptr;
  std::recursive_mutex mutex;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::atomic<int> readersServicing{0};  // threads inside ServiceUntil
  double incomingLoss = 0;
  std::minstd_rand lossDraw{12345};
  int64_t probeSecond = 0;
  int probesThisSecond = 0;

  // The intercept sees every raw datagram before ENet does; it runs inside enet_host_service on
  // the service thread, where `current` is this host.
  static thread_local Impl* current;

  static int ENET_CALLBACK Intercept(ENetHost* host, ENetEvent*) {
    Impl* self = current;
    if (!self) return 0;
    const uint8_t* data = host->receivedData;
    const size_t size = host->receivedDataLength;
    if (IsProbe(data, size)) {
      self->AnswerProbe(host, std::span<const uint8_t>(data, size));
      return 1;
    }
    if (self->incomingLoss > 0 && std::uniform_real_distribution<double>(0, 1)(self->lossDraw) < self->incomingLoss)
      return 1;  // the test shim's lost datagram
    return 0;
  }

  void AnswerProbe(ENetHost* h, std::span<const uint8_t> datagram) {
    const int64_t second = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::steady_clock::now().time_since_epoch()).count();
    if (second != probeSecond) {
      probeSecond = second;
      probesThisSecond = 0;
    }
    if (++probesThisSecond > kProbeAnswersPerSecond) return;
    const std::vector<uint8_t> reply = events->OnProbe(datagram);
    if (reply.empty()) return;
    ENetBuffer b{};
    b.data = const_cast<uint8_t*>(reply.data());
    b.dataLength = reply.size();
    enet_socket_send(h->socket, &h->receivedAddress, &b, 1);
  }

  void Dispatch(const ENetEvent& ev) {
    const PeerId peer = static_cast<PeerId>(ev.peer - host->peers);
    switch (ev.type) {
      case ENET_EVENT_TYPE_CONNECT:
        events->OnConnect(peer);
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        events->OnReceive(peer, std::span<const uint8_t>(ev.packet->data, ev.packet->dataLength),
                          (ev.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0);
        enet_packet_destroy(ev.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        events->OnDisconnect(peer);
        break;
      case ENET_EVENT_TYPE_NONE:
        break;
    }
  }

  // Handles at most `budget` events without waiting; true when any arrived.
  bool ServiceSome(int budget) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    Impl* outer = current;
    current = this;
    bool any = false;
    ENetEvent ev{};
    while (budget-- > 0 && enet_host_service(host, &ev, 0) > 0) {
      any = true;
      Dispatch(ev);
    }
    current = outer;
    return any;
  }

  void Run() {
    while (!stop.load()) {
      if (readersServicing.load() > 0) {
        // A reader is servicing the host itself; contending for the mutex would only slow it.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      const bool busy = ServiceSome(256);
      {
        std::lock_guard<std::recursive_mutex> lock(mutex);
        events->OnIdle();
      }
      if (busy) continue;
      // Wait for traffic outside the lock so the game thread is never held up by the wait; the
      // short bound keeps ENet's timers (pings, resends) running on an idle line.
      enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
      enet_socket_wait(host->socket, &condition, kIdleIntervalMs);
    }
  }
};

thread_local NetHost::Impl* NetHost::Impl::current = nullptr;

std::unique_ptr<NetHost> NetHost::Open(const NetHostOptions& options, NetEvents& events) {
  if (!StartEnet()) return nullptr;
  auto impl = std::make_unique<Impl>();
  ENetAddress bind{};
  bind.host = ENET_HOST_ANY;
  bind.port = options.port;
  impl->host = enet_host_create(&bind, options.maxPeers == 0 ? 1 : options.maxPeers, 1, 0, 0);
  if (!impl->host) return nullptr;
  impl->host->intercept = Impl::Intercept;
  if (options.maxMessageBytes > 0) impl->host->maximumPacketSize = options.maxMessageBytes;
  // What one peer may have waiting in ENet's own buffers (partly received messages and messages
  // not yet handed over); ENet's default of 32 MB a peer would let many peers hold gigabytes.
  impl->host->maximumWaitingData = kMaxWaitingBytesPerPeer;
  impl->events = &events;
  impl->incomingLoss = options.incomingLoss;
  std::unique_ptr<NetHost> host(new NetHost(std::move(impl)));
  Impl* raw = host->impl_.get();
  raw->thread = std::thread([raw] { raw->Run(); });
  return host;
}

NetHost::NetHost(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NetHost::~NetHost() {
  impl_->stop.store(true);
  if (impl_->thread.joinable()) impl_->thread.join();
  // A graceful end: each peer is told once what was sent to it has been acknowledged, so messages
  // sent just before the end still arrive; a peer that does not answer is dropped after the wait.
  ENetHost* h = impl_->host;
  for (size_t i = 0; i < h->peerCount; ++i)
    if (h->peers[i].state == ENET_PEER_STATE_CONNECTED) enet_peer_disconnect_later(&h->peers[i], 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
  ENetEvent ev{};
  auto anyPeer = [h] {
    for (size_t i = 0; i < h->peerCount; ++i)
      if (h->peers[i].state != ENET_PEER_STATE_DISCONNECTED) return true;
    return false;
  };
  while (anyPeer() && std::chrono::steady_clock::now() < end) {
    if (enet_host_service(h, &ev, 10) > 0 && ev.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(ev.packet);
  }
  for (size_t i = 0; i < h->peerCount; ++i)
    if (h->peers[i].state != ENET_PEER_STATE_DISCONNECTED) enet_peer_disconnect_now(&h->peers[i], 0);
  enet_host_flush(h);
  enet_host_destroy(h);
}

std::optional<PeerId> NetHost::Connect(NetAddress to) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  ENetAddress a{};
  a.host = to.host;
  a.port = to.port;
  ENetPeer* peer = enet_host_connect(impl_->host, &a, 1, 0);
  if (!peer) return std::nullopt;
  enet_host_flush(impl_->host);
  return static_cast<PeerId>(peer - impl_->host->peers);
}

bool NetHost::Send(PeerId id, std::span<const uint8_t> data, bool reliable) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (id >= impl_->host->peerCount) return false;
  ENetPeer* peer = &impl_->host->peers[id];
  if (peer->state != ENET_PEER_STATE_CONNECTED) return false;
  ENetPacket* packet = enet_packet_create(data.data(), data.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (!packet) return false;
  if (enet_peer_send(peer, 0, packet) != 0) {
    enet_packet_destroy(packet);
    return false;
  }
  enet_host_flush(impl_->host);
  return true;
}

void NetHost::Disconnect(PeerId id) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (id < impl_->host->peerCount) enet_peer_disconnect_now(&impl_->host->peers[id], 0);
}

std::optional<NetAddress> NetHost::PeerAddress(PeerId id) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (id >= impl_->host->peerCount) return std::nullopt;
  const ENetPeer& peer = impl_->host->peers[id];
  if (peer.state != ENET_PEER_STATE_CONNECTED) return std::nullopt;
  return NetAddress{peer.address.host, peer.address.port};
}

bool NetHost::ServiceUntil(int timeoutMs, const std::function<bool()>& done) {
  struct Reader {
    std::atomic<int>& count;
    explicit Reader(std::atomic<int>& c) : count(c) { ++count; }
    ~Reader() { --count; }
  } reader(impl_->readersServicing);
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  Impl* outer = Impl::current;
  Impl::current = impl_.get();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool reached = done();
  while (!reached) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left < 0) break;
    ENetEvent ev{};
    if (enet_host_service(impl_->host, &ev, static_cast<enet_uint32>(left)) <= 0) {
      reached = done();
      if (left == 0) break;
      continue;
    }
    impl_->Dispatch(ev);
    reached = done();
  }
  Impl::current = outer;
  return reached;
}

uint16_t NetHost::port() const { return impl_->host->address.port; }

void NetHost::SetIncomingLoss(double share) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->incomingLoss = share;
}

std::recursive_mutex& NetHost::mutex() { return impl_->mutex; }

bool Probe(NetAddress to, bool broadcast, std::span<const uint8_t> query, int timeoutMs, int resendMs,
           size_t maxReplyBytes, const ProbeReplyHandler& onReply) {
  if (!StartEnet()) return false;
  ENetSocket s = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  if (s == ENET_SOCKET_NULL) return false;
  ENetAddress any{};
  any.host = ENET_HOST_ANY;
  any.port = 0;
  if (enet_socket_bind(s, &any) != 0) {
    enet_socket_destroy(s);
    return false;
  }
  enet_socket_set_option(s, ENET_SOCKOPT_NONBLOCK, 1);
  if (broadcast) enet_socket_set_option(s, ENET_SOCKOPT_BROADCAST, 1);
  ENetAddress target{};
  target.host = to.host;
  target.port = to.port;
  ENetBuffer out{};
  out.data = const_cast<uint8_t*>(query.data());
  out.dataLength = query.size();
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now(), end = start + std::chrono::milliseconds(timeoutMs);
  auto nextSend = start;
  std::vector<uint8_t> buffer(maxReplyBytes + 1);
  bool done = false;
  while (!done) {
    const auto now = Clock::now();
    if (now >= end) break;
    if (now >= nextSend) {
      enet_socket_send(s, &target, &out, 1);
      nextSend = now + std::chrono::milliseconds(resendMs);
    }
    const auto until = std::min(end, nextSend);
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    const auto waitMs = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
    if (enet_socket_wait(s, &condition, static_cast<enet_uint32>(std::max<int64_t>(waitMs, 1))) != 0) break;
    if (!(condition & ENET_SOCKET_WAIT_RECEIVE)) continue;
    while (!done) {
      ENetAddress from{};
      ENetBuffer in{};
      in.data = buffer.data();
      in.dataLength = buffer.size();
      const int got = enet_socket_receive(s, &from, &in, 1);
      if (got <= 0) break;
      if (static_cast<size_t>(got) > maxReplyBytes) continue;
      done = onReply(NetAddress{from.host, from.port}, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(got)));
    }
  }
  enet_socket_destroy(s);
  return true;
}

}  // namespace qv::platform
