// The loading window: its layout and progress, kept as state here (so it is tracked and testable
// in headless runs) and drawn by the platform's view when a display is available.
//
// Layout: the client area is the loading picture's size (332 x 92 without one), centred on the
// screen; both bars sit at left 24, height 16, top = client height - 32; the empty bar is client
// width - 48 wide and the full bar empty width x percent / 100 (nearest, ties to even); the label
// at left 32, 273 x 17, shows the step's text in debug mode only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/bitmap32.h"

namespace qv::runner {

struct LoadingWindowState {
  bool shown = false;
  int client_width = 332, client_height = 92;
  int left = 0, top = 0;
  std::optional<data::TBitmap32> picture, empty_bar, full_bar;  // the controls' pictures
  bool transparent = false;
  uint32_t transparent_colour = 0;  // the picture's bottom-left pixel
  int alpha = 255;
  bool bar_visible = true;
  bool stretch_full_bar = true;
  bool label_visible = false;
  int bar_left = 24, bar_top = 60, bar_height = 16;
  int empty_bar_width = 284, full_bar_width = 0;
  int label_left = 32, label_top = 60, label_width = 273, label_height = 17;
  std::string label;
  bool on_screen = false;  // a real window exists (false in headless runs and without a display)
};

const LoadingWindowState& LoadingWindow();

// Prepares the window from the process-wide settings and shows it; `showText` is the debug flag.
// The settings' three pictures move into the window (the settings no longer hold them).
void ShowLoadingWindow(bool showText);

// Hides the window and frees its pictures.
void HideLoadingWindow();

// Sets the full bar's width for `percent` and the label's text, and lets the window repaint.
void Progress(int percent, std::string_view text);

}  // namespace qv::runner
