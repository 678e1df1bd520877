#include "platform/automation.h"

#include <cstdlib>
#include <cstring>

namespace qv::platform {

bool headlessMode() {
  const char* v = std::getenv("QUORVANE_HEADLESS");
  return v && std::strcmp(v, "1") == 0;
}

}  // namespace qv::platform
