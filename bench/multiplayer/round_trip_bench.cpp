// Round trips between two processes on 127.0.0.1: our sessions (multiplayer::Session, with its
// service thread, relay frames and payload codec) against a plain ENet ping-pong program doing
// the same, measured in the same run. The child process echoes every guaranteed message back to
// its sender; the parent measures
//   - latency: one 14-byte guaranteed message out and its echo back, one at a time (median and
//     99th percentile of kRoundTrips, after kWarmUp);
//   - throughput: kStream guaranteed messages sent back to back, until every echo is back
//     (messages per second).
// Usage: bench_multiplayer [PORT]   (default: QV_BENCH_PORT, else a free port)
// Our side waits on its inbox (Session::WaitForArrivals) as the plain program waits in ENet's
// service; a game that reads once a step adds up to a step to each delivery.
#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "multiplayer/discovery.h"
#include "multiplayer/session.h"

namespace {

using namespace qv::multiplayer;
using Clock = std::chrono::steady_clock;

constexpr int kWarmUp = 200;
constexpr int kRoundTrips = 5000;
constexpr int kStream = 20000;
// At most this many streamed messages are on their way at once (both sides keep to it): the echo
// side's inbox is bounded, and a sender that ignored that would measure drops, not speed.
constexpr int kWindow = 512;
const Guid kGame{0x27, 0xbe, 0x9c};

struct Figures {
  double medianUs = 0, p99Us = 0, messagesPerSecond = 0;
};

uint16_t FreePort() {
  if (const char* p = std::getenv("QV_BENCH_PORT"); p && *p) return static_cast<uint16_t>(std::atoi(p));
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

Figures Summarise(std::vector<double>& us, double streamSeconds) {
  std::sort(us.begin(), us.end());
  Figures f;
  f.medianUs = us[us.size() / 2];
  f.p99Us = us[us.size() * 99 / 100];
  f.messagesPerSecond = kStream / streamSeconds;
  return f;
}

double Micros(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::micro>(b - a).count(); }

// --- plain ENet ------------------------------------------------------------------------------

void EnetEcho(uint16_t port) {
  enet_initialize();
  ENetAddress a{};
  a.host = ENET_HOST_ANY;
  a.port = port;
  ENetHost* h = enet_host_create(&a, 4, 1, 0, 0);
  if (!h) _exit(1);
  ENetEvent ev{};
  for (;;) {
    if (enet_host_service(h, &ev, 1000) <= 0) continue;
    if (ev.type == ENET_EVENT_TYPE_RECEIVE) {
      ENetPacket* back = enet_packet_create(ev.packet->data, ev.packet->dataLength, ENET_PACKET_FLAG_RELIABLE);
      enet_peer_send(ev.peer, 0, back);
      enet_host_flush(h);
      enet_packet_destroy(ev.packet);
    } else if (ev.type == ENET_EVENT_TYPE_DISCONNECT) {
      break;
    }
  }
  enet_host_destroy(h);
  _exit(0);
}

Figures EnetClient(uint16_t port) {
  enet_initialize();
  ENetHost* h = enet_host_create(nullptr, 1, 1, 0, 0);
  ENetAddress a{};
  enet_address_set_host(&a, "127.0.0.1");
  a.port = port;
  ENetPeer* peer = enet_host_connect(h, &a, 1, 0);
  ENetEvent ev{};
  while (!(enet_host_service(h, &ev, 100) > 0 && ev.type == ENET_EVENT_TYPE_CONNECT)) {
  }
  const uint8_t payload[14] = {1};
  auto send = [&] {
    enet_peer_send(peer, 0, enet_packet_create(payload, sizeof payload, ENET_PACKET_FLAG_RELIABLE));
    enet_host_flush(h);
  };
  auto awaitEcho = [&] {
    for (;;)
      if (enet_host_service(h, &ev, 100) > 0 && ev.type == ENET_EVENT_TYPE_RECEIVE) {
        enet_packet_destroy(ev.packet);
        return;
      }
  };
  std::vector<double> us;
  for (int i = 0; i < kWarmUp + kRoundTrips; ++i) {
    const auto t0 = Clock::now();
    send();
    awaitEcho();
    if (i >= kWarmUp) us.push_back(Micros(t0, Clock::now()));
  }
  const auto s0 = Clock::now();
  int back = 0;
  for (int i = 0; i < kStream; ++i) {
    send();
    while (enet_host_service(h, &ev, 0) > 0)
      if (ev.type == ENET_EVENT_TYPE_RECEIVE) {
        enet_packet_destroy(ev.packet);
        ++back;
      }
    for (; i + 1 - back >= kWindow; ++back) awaitEcho();
  }
  for (; back < kStream; ++back) awaitEcho();
  const double seconds = std::chrono::duration<double>(Clock::now() - s0).count();
  enet_peer_disconnect(peer, 0);
  for (int i = 0; i < 20 && enet_host_service(h, &ev, 10) >= 0; ++i) {
  }
  enet_host_destroy(h);
  return Summarise(us, seconds);
}

// --- our sessions ----------------------------------------------------------------------------

Session::Options As(const char* name) {
  Session::Options o;
  o.game = kGame;
  o.playerName = name;
  return o;
}

void SessionEcho(uint16_t port) {
  auto host = Session::Create(As("echo"), "bench", 0, port);
  if (!host) _exit(1);
  for (;;) {
    for (const Record& r : host->TakeArrivals()) {
      if (r.id < 0) _exit(0);
      host->Send(r.player, r, true);
    }
    host->WaitForArrivals(100);
  }
}

Figures SessionClient(uint16_t port) {
  qv::platform::NetAddress at{*qv::platform::ResolveNetHost("127.0.0.1"), port};
  Guid instance{};
  while (instance == Guid{})
    qv::platform::Probe(at, false, EncodeQuery(kGame), kFindTimeoutMs, kFindResendMs, kMaxReplyBytes,
                        [&](qv::platform::NetAddress, std::span<const uint8_t> reply) {
                          if (auto a = ParseReply(reply, kGame)) instance = a->instance;
                          return true;
                        });
  auto me = Session::Join(As("bench"), instance, at);
  if (!me) {
    std::fprintf(stderr, "bench_multiplayer: could not join\n");
    std::exit(1);
  }
  const int32_t echo = me->OtherPlayers().at(0).id;
  Record ping;
  ping.id = 1;
  ping.value = 1.0;
  auto awaitEchoes = [&](int n) {
    int got = 0;
    while (got < n) {
      got += static_cast<int>(me->TakeArrivals().size());
      if (got < n) me->WaitForArrivals(100);
    }
    return got;
  };
  std::vector<double> us;
  for (int i = 0; i < kWarmUp + kRoundTrips; ++i) {
    const auto t0 = Clock::now();
    me->Send(echo, ping, true);
    awaitEchoes(1);
    if (i >= kWarmUp) us.push_back(Micros(t0, Clock::now()));
  }
  const auto s0 = Clock::now();
  int back = 0;
  for (int i = 0; i < kStream; ++i) {
    me->Send(echo, ping, true);
    back += static_cast<int>(me->TakeArrivals().size());
    if (i + 1 - back >= kWindow) back += awaitEchoes(i + 2 - kWindow - back);
  }
  awaitEchoes(kStream - back);
  const double seconds = std::chrono::duration<double>(Clock::now() - s0).count();
  Record stop;
  stop.id = -1;
  me->Send(echo, stop, true);
  me.reset();
  return Summarise(us, seconds);
}

template <class Server, class Client>
Figures Measure(uint16_t port, Server server, Client client) {
  const pid_t child = fork();
  if (child == 0) server(port);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const Figures f = client(port);
  int status = 0;
  waitpid(child, &status, 0);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const uint16_t port = argc > 1 ? static_cast<uint16_t>(std::atoi(argv[1])) : FreePort();
  const Figures plain = Measure(port, EnetEcho, EnetClient);
  const Figures ours = Measure(port, SessionEcho, SessionClient);
  std::printf("%-22s %12s %12s %14s\n", "", "median (us)", "p99 (us)", "messages/s");
  std::printf("%-22s %12.1f %12.1f %14.0f\n", "plain ENet", plain.medianUs, plain.p99Us, plain.messagesPerSecond);
  std::printf("%-22s %12.1f %12.1f %14.0f\n", "quorvane sessions", ours.medianUs, ours.p99Us, ours.messagesPerSecond);
  std::printf("%-22s %12.2fx %11.2fx %13.2fx   (target: within 1.5x)\n", "ratio (ours / plain)", ours.medianUs / plain.medianUs,
              ours.p99Us / plain.p99Us, plain.messagesPerSecond / ours.messagesPerSecond);
  return 0;
}
