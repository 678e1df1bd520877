#include "runner/runner_main.h"

#include <cstdio>

namespace qv::runner {

int RunnerMain(int argc, char** argv) {
  std::fprintf(stderr, "quorvane: the runner shell is not built yet\n");
  return 1;
}

}  // namespace qv::runner
