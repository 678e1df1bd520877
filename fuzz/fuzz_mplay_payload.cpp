// Feeds arbitrary bytes to the multiplayer payload decoder and the session-search datagram
// parsers, as a hostile peer on the network would send them. Checks: whatever decodes encodes
// back to exactly the same bytes (so nothing is accepted beyond the two exact forms), strings stay
// within 32000 characters, and a reply names only the game it was asked for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "multiplayer/discovery.h"
#include "multiplayer/payload.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_mplay_payload: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv::multiplayer;
  const std::span<const uint8_t> bytes(data, size);
  if (const std::optional<Record> r = DecodePayload(bytes)) {
    check(r->player == 0, "a payload carries no player");
    check(!r->value.isString() || r->value.str.size() <= kMaxStringBytes, "strings are at most 32000 characters");
    std::vector<uint8_t> again;
    EncodePayload(*r, again);
    check(again == std::vector<uint8_t>(bytes.begin(), bytes.end()), "a decoded payload encodes to the same bytes");
  }
  if (const std::optional<Guid> game = ParseQuery(bytes))
    check(EncodeQuery(*game) == std::vector<uint8_t>(bytes.begin(), bytes.end()), "a query encodes to the same bytes");
  // The reply is checked against the game that the bytes themselves name (when long enough) and
  // against another one, which must never match.
  Guid game{};
  if (size >= 24)
    for (size_t i = 0; i < 16; ++i) game[i] = data[8 + i];
  if (const std::optional<Announcement> a = ParseReply(bytes, game)) {
    check(a->name.size() <= kMaxAnnouncedName, "announced names are cut");
    check(EncodeReply(game, *a) == std::vector<uint8_t>(bytes.begin(), bytes.end()), "a reply encodes to the same bytes");
    Guid other = game;
    other[0] ^= 1;
    check(!ParseReply(bytes, other), "a reply names one game only");
  }
  return 0;
}
