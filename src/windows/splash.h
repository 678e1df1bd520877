// Splash screens: a video, an image, a text file or a web page shown in the game's main window
// (covering its client area) or in a window of its own, as the splash settings say, until it is
// closed: by its close button (a box at the panel's top right, when shown), by its timer (the
// delay, when 1 ms or more), by Escape (with the stop-key setting), by a click (with the
// stop-mouse setting) or, for a video that does not loop, by its end. The game waits meanwhile,
// unless the splash has a window of its own and "game waits" is off (windows/modeless_dialogs).
//
// An image or video is scaled by the scale setting when it is positive, else to fit the panel; it
// is centred, unless the window adapts to it (the adapt setting, in a window of its own that is
// not full screen), which then takes its size. A text fills the panel (scrolled by the wheel and
// the arrow keys). A web page opens in the desktop's browser; the splash shows its address until
// it is closed in one of the ways above.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "data/bitmap32.h"
#include "windows/modal_dialog.h"
#include "windows/rich_text.h"
#include "windows/video_player.h"

namespace qv::windows {

class RichTextView;

// Kept for the whole run.
struct SplashSettings {
  std::string caption;
  bool fullscreen = false, border = true;
  int width = 640, height = 480, x = -1, y = -1;
  bool adapt = true, top = true;
  int32_t colour = 0;
  bool main = true;
  double scale = -1;  // 0 or less: fit
  bool cursor = true, interrupt = true, stopKey = true, stopMouse = true, closeButton = true;
};
SplashSettings& splashSettings();

struct SplashContent {
  enum Kind { Image, Text, Web, Video } kind = Image;
  data::TBitmap32 image;
  std::vector<RichParagraph> text;
  std::string address;
  std::unique_ptr<VideoPlayer> video;
  bool loop = false;
};

class SplashWindow final : public ModalDialog {
 public:
  // `delayMs` of 1 or more closes it after that long.
  SplashWindow(SplashContent content, int64_t delayMs);
  ~SplashWindow() override;

  platform::DialogWindowSpec window() const override;
  data::TBitmap32 render() const override;
  bool handle(const platform::WindowEvent& e) override;
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override;
  std::string describe() const override;
  bool ticking() const override;
  bool tick(int64_t elapsedMs) override;
  bool endsByItself() const override;

  // The panel's size, and where the picture (image or video) sits in it.
  int width() const { return width_; }
  int height() const { return height_; }
  struct Placement {
    int x = 0, y = 0, w = 0, h = 0;
  };
  Placement picture() const { return picture_; }
  // True when it covers the main window's client area rather than a window of its own.
  bool inMainWindow() const { return inMainWindow_; }

 private:
  bool onCloseButton(int x, int y) const;

  SplashContent content_;
  SplashSettings settings_;  // as they were when it was shown
  int64_t delay_;
  int x_ = -1, y_ = -1, width_ = 1, height_ = 1;
  bool borderless_ = false;
  bool inMainWindow_ = false;
  Placement picture_;
  std::unique_ptr<RichTextView> view_;
  int scroll_ = 0;
};

// The splash functions (`splash_*`, `show_image`, `show_video`, `show_text`).
code::BuiltinFamily SplashFunctions();

// What the actions call: show a file (an image, a text, a video) or an address in the splash.
void SplashShowImage(const std::string& name, int64_t delayMs);
void SplashShowText(const std::string& name, int64_t delayMs);
void SplashShowVideo(const std::string& name, bool loop);
void SplashShowWeb(const std::string& address, int64_t delayMs);

}  // namespace qv::windows
