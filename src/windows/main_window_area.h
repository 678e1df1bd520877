// Where the game's main window shows its client area on the screen, and the screen's size: what a
// dialog that is "shown in the main window" covers, and what other windows are limited to.
#pragma once

namespace qv::windows {

// False when there is no main window (headless tests, before the window opens).
bool MainWindowArea(int& x, int& y, int& w, int& h);
// The desktop's size; 0, 0 when unknown.
void ScreenSize(int& w, int& h);

}  // namespace qv::windows
