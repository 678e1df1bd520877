// The loading window on screen: a borderless SDL window with the loading picture, the two progress
// bar pictures and an hourglass cursor. The runner's model (runner/loading_window) decides every
// position and size; this only draws what it is given.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv::platform {

// A picture in the runner's 32-bit format (0xAARRGGBB, row 0 on top); not owned.
struct PixelImage {
  int width = 0;
  int height = 0;
  const uint32_t* pixels = nullptr;
  bool valid() const { return width > 0 && height > 0 && pixels; }
};

struct LoadingWindowFrame {
  int width = 0, height = 0;  // client area
  int left = 0, top = 0;      // position on the screen
  PixelImage picture;          // drawn at (0, 0)
  PixelImage emptyBar, fullBar;
  bool barVisible = false;
  int barLeft = 0, barTop = 0, barHeight = 0;
  int emptyBarWidth = 0, fullBarWidth = 0;
  bool stretchFullBar = true;
  bool transparent = false;    // transparent where the picture has `transparentColour`
  uint32_t transparentColour = 0;
  int alpha = 255;             // window opacity 0..255
  bool labelVisible = false;   // black text, vertically centred in its box
  int labelLeft = 0, labelTop = 0, labelWidth = 0, labelHeight = 0;
  std::string labelText;       // UTF-8
};

// Size of the desktop, when a display is available (the video subsystem is started for it).
std::optional<std::pair<int, int>> desktopSize();

class LoadingWindowView {
 public:
  LoadingWindowView();
  ~LoadingWindowView();
  LoadingWindowView(const LoadingWindowView&) = delete;
  LoadingWindowView& operator=(const LoadingWindowView&) = delete;

  // Opens (or re-opens) the window for `frame`; false when no window can be made (no display).
  bool open(const LoadingWindowFrame& frame);
  // Redraws with the new bar widths, then lets the window system handle pending events (input
  // events are dropped: the game's handlers do not exist yet).
  void update(const LoadingWindowFrame& frame);
  void close();
  bool isOpen() const;
  // What the window shows now, 0xAARRGGBB row by row (empty when closed). For tests.
  std::vector<uint32_t> readPixels() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qv::platform
