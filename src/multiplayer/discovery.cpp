#include "multiplayer/discovery.h"

#include <algorithm>
#include <cstring>

#include "platform/net_host.h"

namespace qv::multiplayer {

namespace {

constexpr uint8_t kQueryTag[4] = {'F', 'I', 'N', 'D'};
constexpr uint8_t kReplyTag[4] = {'S', 'E', 'S', 'S'};

void Head(std::vector<uint8_t>& out, const uint8_t (&tag)[4], const Guid& game) {
  out.insert(out.end(), std::begin(platform::kProbeMark), std::end(platform::kProbeMark));
  out.insert(out.end(), std::begin(tag), std::end(tag));
  out.insert(out.end(), game.begin(), game.end());
}

bool HasHead(std::span<const uint8_t> d, const uint8_t (&tag)[4]) {
  return d.size() >= 24 && std::memcmp(d.data(), platform::kProbeMark, 4) == 0 && std::memcmp(d.data() + 4, tag, 4) == 0;
}

}  // namespace

std::vector<uint8_t> EncodeQuery(const Guid& game) {
  std::vector<uint8_t> out;
  Head(out, kQueryTag, game);
  return out;
}

std::optional<Guid> ParseQuery(std::span<const uint8_t> d) {
  if (d.size() != 24 || !HasHead(d, kQueryTag)) return std::nullopt;
  Guid g{};
  std::copy_n(d.data() + 8, 16, g.begin());
  return g;
}

std::vector<uint8_t> EncodeReply(const Guid& game, const Announcement& session) {
  std::vector<uint8_t> out;
  Head(out, kReplyTag, game);
  out.insert(out.end(), session.instance.begin(), session.instance.end());
  const size_t n = std::min(session.name.size(), kMaxAnnouncedName);
  out.push_back(static_cast<uint8_t>(n));
  out.insert(out.end(), session.name.begin(), session.name.begin() + static_cast<std::ptrdiff_t>(n));
  return out;
}

std::optional<Announcement> ParseReply(std::span<const uint8_t> d, const Guid& game) {
  if (d.size() < 41 || !HasHead(d, kReplyTag) || !std::equal(game.begin(), game.end(), d.data() + 8)) return std::nullopt;
  const size_t n = d[40];
  if (d.size() != 41 + n) return std::nullopt;
  Announcement a;
  std::copy_n(d.data() + 24, 16, a.instance.begin());
  a.name.assign(reinterpret_cast<const char*>(d.data() + 41), n);
  return a;
}

}  // namespace qv::multiplayer
