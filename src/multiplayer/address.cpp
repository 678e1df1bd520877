#include "multiplayer/address.h"

namespace qv::multiplayer {

std::optional<TcpipAddress> ParseTcpipAddress(std::string_view text) {
  TcpipAddress a;
  const size_t colon = text.find(':');
  a.host = std::string(text.substr(0, colon));
  if (colon == std::string_view::npos) return a;
  const std::string_view digits = text.substr(colon + 1);
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  uint32_t port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + uint32_t(c - '0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  a.port = static_cast<uint16_t>(port);
  return a;
}

}  // namespace qv::multiplayer
