// Switches that automated runs (tests, CI) set through QUORVANE_* environment variables.
#pragma once

namespace qv::platform {

// QUORVANE_HEADLESS=1: open no windows of our own and write messages to stderr instead of boxes.
bool headlessMode();

}  // namespace qv::platform
