#include "code/errors.h"

#include <cstdio>

namespace qv::code {

ErrorState& errorState() {
  static ErrorState state;
  return state;
}

void HandleError(std::string_view message, bool fatal) {
  ErrorState& state = errorState();
  if (state.aborting) return;
  state.last.assign(message.data(), message.size());
  state.occurred = true;
  std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  if (fatal) state.aborting = true;
}

void ReportActionError(std::string_view message, bool fatal) { HandleError(message, fatal); }

}  // namespace qv::code
