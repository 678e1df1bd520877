#include "data/runner_state.h"

namespace qv::data {

RunnerState& Runner() {
  static RunnerState state;
  return state;
}

}  // namespace qv::data
