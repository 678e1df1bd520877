#include "runner/runner_state.h"

namespace qv::runner {

RunnerState& Runner() {
  static RunnerState state;
  return state;
}

}  // namespace qv::runner
