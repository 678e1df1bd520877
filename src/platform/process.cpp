#include "platform/process.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace qv::platform {

std::string executablePath() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::optional<std::string> environmentVariable(const char* name) {
  const char* v = std::getenv(name);
  if (!v) return std::nullopt;
  return std::string(v);
}

}  // namespace qv::platform
