// The error window: a modal window that lists the game's error messages and asks whether to abort
// the game or ignore the error.
//
// Layout (client area 499 x 361, caption "Error Messages", centred): a read-only text box at
// (8, 8, 481 x 305) in "Courier New" scrolled to its end, and the buttons "Abort" (x 8, the
// default), "Ignore" (x 96, non-fatal errors only), "Copy" (x 328) and "Clear" (x 416), 75 x 25
// on the line y = 328. Enter chooses Abort; closing the window aborts; Copy puts the text on the
// clipboard; Clear empties it; the mouse wheel scrolls.
//
// Headless runs (QUORVANE_HEADLESS=1, the offscreen or dummy video driver, or no display) never
// open it: the new message is written to stderr and the answer comes from QUORVANE_ERROR_ANSWER
// ("abort" or "ignore"; default "ignore"). A fatal error always aborts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/error_answer.h"

namespace qv::platform {

// `lines` is the whole text of the window (CP1252; Clear empties it), `newLines` the lines of the
// new message, `allowIgnore` false for fatal errors.
ErrorAnswer ShowErrorWindow(std::vector<std::string>& lines, const std::vector<std::string>& newLines,
                            bool allowIgnore);

// Draws the window's client area into 499 x 361 pixels of 0xAARRGGBB, as shown (text scrolled
// `scrollLines` from the top). Used by the window and by tests.
std::vector<uint32_t> RenderErrorWindow(const std::vector<std::string>& lines, bool allowIgnore,
                                        int scrollLines);
inline constexpr int kErrorWindowWidth = 499;
inline constexpr int kErrorWindowHeight = 361;

}  // namespace qv::platform
