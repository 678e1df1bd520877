// The answer to an error when no error window may open: the new message goes to stderr and the
// answer comes from QUORVANE_ERROR_ANSWER ("abort" or "ignore"; default "ignore"). A fatal error
// (no ignoring allowed) always aborts. Needs no window system, so programs without one use it too.
#pragma once

#include <string>
#include <vector>

namespace qv::platform {

enum class ErrorAnswer { Abort, Ignore };

ErrorAnswer HeadlessErrorAnswer(const std::vector<std::string>& newLines, bool allowIgnore);

// True when no modal window may be shown (QUORVANE_HEADLESS=1, SDL's offscreen or dummy video
// driver, or no display at all).
bool HeadlessRun();

}  // namespace qv::platform
