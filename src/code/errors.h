// The one reporting path for errors of game code.
//
// Built-in functions report bad arguments and failing operations through ReportActionError, which
// adds the header of the running action and hands the message to HandleError. Parts without an
// action context (compilation of scripts and triggers, room creation code, ...) call HandleError.
#pragma once

#include <string>
#include <string_view>

namespace qv::code {

void ReportActionError(std::string_view message, bool fatal = false);
void HandleError(std::string_view message, bool fatal);

// The state behind `error_occurred` and `error_last`.
struct ErrorState {
  bool occurred = false;
  std::string last;
  bool aborting = false;
};
ErrorState& errorState();

}  // namespace qv::code
