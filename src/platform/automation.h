// Switches that automated runs (tests, CI) set through QUORVANE_* environment variables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform {

// QUORVANE_HEADLESS=1: open no windows of our own and write messages to stderr instead of boxes.
bool headlessMode();

// QUORVANE_SCREENSHOT_STEP: one step number or a list of them separated by commas (blanks
// around the numbers are allowed), each 1 or more. Nothing, with `error` saying why, for any other
// text.
std::optional<std::vector<int64_t>> ParseScreenshotSteps(std::string_view text, std::string* error);

// The file the frame after `step` goes to: QUORVANE_SCREENSHOT's name as it is when one step is
// asked for; with several, the step number before the extension ("shot.png", 12 → "shot-12.png").
std::string ScreenshotFileName(const std::string& name, int64_t step, bool severalSteps);

}  // namespace qv::platform
