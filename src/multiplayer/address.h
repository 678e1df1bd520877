// The address text of `mplay_init_tcpip`: "host", "host:port" or "". The text is split at its
// first colon; the host is the text before it, the port the decimal number after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::multiplayer {

// The port sessions use when the address names none.
inline constexpr uint16_t kDefaultPort = 6510;

struct TcpipAddress {
  std::string host;              // possibly empty: every machine of the local network
  std::optional<uint16_t> port;  // only when the text held a colon
  uint16_t portOrDefault() const { return port.value_or(kDefaultPort); }
};

// Nothing when the text after the colon is not a decimal number from 1 to 65535 (an address that
// would send to a port nobody chose; the connection is refused instead).
std::optional<TcpipAddress> ParseTcpipAddress(std::string_view text);

}  // namespace qv::multiplayer
