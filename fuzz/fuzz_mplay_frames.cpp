// Feeds arbitrary frames to a session host as if they came over its connections: a hostile peer
// may send anything. The host lives on a real socket (made once, on a free port); the frames go
// straight to its handlers, under the lock its service thread holds for them. Checks: nothing
// crashes or reads out of bounds (the sanitizers watch), the players stay within their bound, and
// every arrival is a well-formed record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <span>

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

Session& Host() {
  static std::unique_ptr<Session> host = [] {
    Session::Options o;
    o.game = Guid{0x27};
    o.playerName = "host";
    std::unique_ptr<Session> made = Session::Create(o, "fuzz", 0, 0);
    check(made != nullptr, "a host can be made");
    return made;
  }();
  return *host;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Session& host = Host();
  if (size == 0) return 0;
  std::lock_guard<std::recursive_mutex> lock(host.mutex());
  // The first byte picks the peer the frame claims to come from (0 to 3); the rest is the frame.
  const qv::platform::PeerId peer = data[0] & 3;
  const std::span<const uint8_t> frame(data + 1, size - 1);
  host.OnReceive(peer, frame, (data[0] & 4) != 0);
  if (data[0] & 8) host.OnDisconnect(peer);
  check(host.OtherPlayers().size() <= kMaxPlayers, "the host's players stay bounded");
  for (const Record& r : host.TakeArrivals()) {
    check(r.kind <= kKindMessage, "arrivals are records");
    check(!r.value.isString() || r.value.str.size() <= kMaxStringBytes, "arrival strings are bounded");
  }
  host.OnProbe(frame);
  return 0;
}
