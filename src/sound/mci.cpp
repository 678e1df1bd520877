#include "sound/mci.h"

#include <cstdint>

namespace qv::sound {
namespace {

// Without a drive there is no "cdaudio" device to open and no other device is provided: every
// command fails, and a failed command leaves the reply buffer empty.
class NoDriveCommandLayer final : public MciCommandLayer {
 public:
  std::string send(std::string_view) override { return {}; }
};

// The reply buffer holds 256 bytes with the terminator.
constexpr size_t kMaxReply = 255;

MciCommandLayer*& activeLayer() {
  static MciCommandLayer* layer = nullptr;
  return layer;
}

}  // namespace

void SetMciCommandLayer(MciCommandLayer* layer) { activeLayer() = layer; }

std::string MciSendString(std::string_view command) {
  static NoDriveCommandLayer noDrive;
  MciCommandLayer* layer = activeLayer() != nullptr ? activeLayer() : &noDrive;
  std::string reply = layer->send(command);
  if (reply.size() > kMaxReply) reply.resize(kMaxReply);
  return reply;
}

int64_t ParseMciNumber(std::string_view reply) {
  constexpr int64_t kMax = 2147483647;
  int64_t value = 0;
  for (char c : reply) {
    if (c < '0' || c > '9') continue;
    value = value * 10 + (c - '0');
    if (value > kMax) value = kMax;
  }
  return value;
}

}  // namespace qv::sound
