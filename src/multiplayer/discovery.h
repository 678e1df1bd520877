// Finding sessions: a query datagram sent to one machine (or broadcast on the local network) and
// the replies of the session hosts listening there. Both travel on the session's own UDP port
// beside its ENet traffic, told apart by the probe mark.
//
//   query: mark (4) | "FIND" | game identifier (16)                                  24 bytes
//   reply: mark (4) | "SESS" | game identifier (16) | session instance (16) | n (1) | name (n)
//
// A host answers only a query that carries its own game's identifier and only while its session
// takes new players, so copies of different games never see each other's sessions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv::multiplayer {

using Guid = std::array<uint8_t, 16>;

// The finder waits this long for replies; a query to one machine ends at its first valid reply
// (one port holds at most one session). The query is sent again every kFindResendMs in case a
// datagram is lost.
inline constexpr int kFindTimeoutMs = 1000;
inline constexpr int kFindResendMs = 250;
// Session names travel cut to this many bytes.
inline constexpr size_t kMaxAnnouncedName = 255;
inline constexpr size_t kMaxReplyBytes = 41 + kMaxAnnouncedName;
// The most sessions one search lists (a network full of answering hosts cannot grow it further).
inline constexpr size_t kMaxSessionsFound = 256;

struct Announcement {
  Guid instance{};
  std::string name;
};

std::vector<uint8_t> EncodeQuery(const Guid& game);
// The game identifier of a query; nothing for any other datagram.
std::optional<Guid> ParseQuery(std::span<const uint8_t> datagram);

std::vector<uint8_t> EncodeReply(const Guid& game, const Announcement& session);
// The session a reply announces, when the reply is well formed and names the game `game`.
std::optional<Announcement> ParseReply(std::span<const uint8_t> datagram, const Guid& game);

}  // namespace qv::multiplayer
