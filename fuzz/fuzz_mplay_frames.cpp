// Feeds arbitrary frames to a session host and to a member of its session as if they came over
// their connections: a hostile peer may send anything. Both live on real sockets on 127.0.0.1
// (made once: the member really joins the host); the frames go straight to their handlers, under
// the lock their service threads hold for them. Checks: nothing crashes or reads out of bounds
// (the sanitizers watch), the players stay within their bound, and every arrival is a well-formed
// record from a player with a positive id.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <span>

#include "multiplayer/discovery.h"
#include "multiplayer/session.h"
#include "platform/net_host.h"

namespace {

using namespace qv::multiplayer;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_mplay_frames: %s\n", what);
    std::abort();
  }
}

struct Pair {
  std::unique_ptr<Session> host, member;
};

// The host takes the first free port from a base; the member finds its session there and joins.
Pair& Sessions() {
  static Pair pair = [] {
    Pair p;
    Session::Options o;
    o.game = Guid{0x27};
    o.playerName = "host";
    uint16_t port = 0;
    for (port = 47270; port < 47370 && !p.host; ++port) p.host = Session::Create(o, "fuzz", 0, port);
    check(p.host != nullptr, "a host can be made");
    --port;
    const qv::platform::NetAddress at{*qv::platform::ResolveNetHost("127.0.0.1"), port};
    Guid instance{};
    qv::platform::Probe(at, false, EncodeQuery(o.game), kFindTimeoutMs, kFindResendMs, kMaxReplyBytes,
                        [&](qv::platform::NetAddress, std::span<const uint8_t> reply) {
                          if (auto a = ParseReply(reply, o.game)) instance = a->instance;
                          return true;
                        });
    o.playerName = "member";
    p.member = Session::Join(o, instance, at);
    check(p.member != nullptr, "a member can join");
    return p;
  }();
  return pair;
}

void CheckArrivals(Session& s) {
  for (const Record& r : s.TakeArrivals()) {
    check(r.kind <= kKindMessage, "arrivals are records");
    check(r.player > 0, "arrivals come from players");
    check(!r.value.isString() || r.value.str.size() <= kMaxStringBytes, "arrival strings are bounded");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Pair& p = Sessions();
  if (size == 0) return 0;
  // The first byte picks the receiver (bit 4: the member, whose one connection is peer 0, else the
  // host) and the peer the frame claims to come from (bits 0 and 1); the rest is the frame.
  Session& to = (data[0] & 16) ? *p.member : *p.host;
  const qv::platform::PeerId peer = (data[0] & 16) ? 0 : data[0] & 3;
  const std::span<const uint8_t> frame(data + 1, size - 1);
  {
    std::lock_guard<std::recursive_mutex> lock(to.mutex());
    to.OnReceive(peer, frame, (data[0] & 4) != 0);
    // A disconnect of the member's host would end the session for every later input.
    if ((data[0] & 8) && &to == p.host.get()) to.OnDisconnect(peer);
    to.OnProbe(frame);
  }
  check(to.OtherPlayers().size() <= kMaxPlayers, "the players stay bounded");
  CheckArrivals(to);
  return 0;
}
