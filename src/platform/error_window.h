// The error window: a modal window that lists the game's error messages and asks whether to abort
// the game or ignore the error.
//
// Headless runs (QUORVANE_HEADLESS=1, or no display) never open it: the new message is written to
// stderr and the answer comes from QUORVANE_ERROR_ANSWER ("abort" or "ignore"; default "ignore").
// A fatal error always aborts.
#pragma once

#include <string>
#include <vector>

namespace qv::platform {

enum class ErrorAnswer { Abort, Ignore };

// `lines` is the whole text of the window (CP1252), `newLines` the lines of the new message,
// `allowIgnore` false for fatal errors.
ErrorAnswer ShowErrorWindow(const std::vector<std::string>& lines,
                            const std::vector<std::string>& newLines, bool allowIgnore);

// True when no modal window may be shown.
bool HeadlessRun();

}  // namespace qv::platform
