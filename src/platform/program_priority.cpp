#include "platform/program_priority.h"

#include <sys/resource.h>

namespace qv::platform {

int niceValueForLevel(int level) {
  switch (level) {
    case -3: return 19;
    case -2: return 2;
    case -1: return 1;
    case 1: return -1;
    case 2: return -5;
    case 3: return -10;
    default: return 0;
  }
}

void setProgramPriority(int level) { (void)setpriority(PRIO_PROCESS, 0, niceValueForLevel(level)); }

}  // namespace qv::platform
