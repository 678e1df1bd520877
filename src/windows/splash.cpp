#include "windows/splash.h"

#include <algorithm>
#include <cmath>

#include "graphics/colour.h"
#include "graphics/font.h"
#include "platform/code_page.h"
#include "windows/dialog_canvas.h"
#include "windows/main_window_area.h"
#include "windows/message_window.h"
#include "windows/rich_text_view.h"
#include "windows/video_player.h"

namespace qv::windows {

namespace {

constexpr int kCloseBox = 21, kCloseMargin = 4, kTextMargin = 4, kLine = 16;
constexpr int kMaxSide = 4096;

int clampSide(int64_t v) { return int(std::clamp<int64_t>(v, 1, kMaxSide)); }

}  // namespace

SplashSettings& splashSettings() {
  static SplashSettings s;
  return s;
}

SplashWindow::SplashWindow(SplashContent content, int64_t delayMs)
    : content_(std::move(content)), settings_(splashSettings()), delay_(delayMs) {
  const SplashSettings& s = settings_;
  int mx = 0, my = 0, mw = 0, mh = 0;
  int sw = 0, sh = 0;
  ScreenSize(sw, sh);
  bool adaptable = false;
  if (s.main && MainWindowArea(mx, my, mw, mh)) {
    x_ = mx, y_ = my, width_ = mw, height_ = mh;
    borderless_ = true;
    inMainWindow_ = true;
  } else if (s.fullscreen) {
    x_ = 0, y_ = 0;
    width_ = clampSide(sw > 0 ? sw : s.width);
    height_ = clampSide(sh > 0 ? sh : s.height);
    borderless_ = true;
  } else {
    x_ = s.x < 0 ? -1 : s.x;
    y_ = s.y < 0 ? -1 : s.y;
    width_ = clampSide(s.width);
    height_ = clampSide(s.height);
    borderless_ = !s.border;
    adaptable = s.adapt && !s.main;
  }

  // The picture: scaled by the setting, or to fit the panel; centred, or the window adapts to it.
  int pw = 0, ph = 0;
  if (content_.kind == SplashContent::Image) pw = content_.image.width, ph = content_.image.height;
  if (content_.kind == SplashContent::Video && content_.video) pw = content_.video->width(), ph = content_.video->height();
  if (pw > 0 && ph > 0) {
    const double factor = s.scale > 0 ? s.scale : std::min(double(width_) / pw, double(height_) / ph);
    picture_.w = clampSide(std::llround(pw * factor));
    picture_.h = clampSide(std::llround(ph * factor));
    if (adaptable) {
      width_ = picture_.w;
      height_ = picture_.h;
    } else {
      picture_.x = (width_ - picture_.w) / 2;
      picture_.y = (height_ - picture_.h) / 2;
    }
  }
  if (content_.kind == SplashContent::Text)
    view_ = std::make_unique<RichTextView>(content_.text, width_ - 2 * kTextMargin);
}

SplashWindow::~SplashWindow() = default;

platform::DialogWindowSpec SplashWindow::window() const {
  platform::DialogWindowSpec w;
  w.captionUtf8 = platform::Cp1252ToUtf8(settings_.caption);
  w.x = x_;
  w.y = y_;
  w.width = width_;
  w.height = height_;
  w.captionBar = !borderless_;
  w.cursorVisible = settings_.cursor;
  return w;
}

data::TBitmap32 SplashWindow::render() const {
  DialogCanvas canvas(width_, height_, graphics::ScriptToDevice(settings_.colour, 1.0));
  switch (content_.kind) {
    case SplashContent::Image:
      canvas.drawImage(content_.image, picture_.x, picture_.y, picture_.w, picture_.h);
      break;
    case SplashContent::Video:
      if (content_.video) canvas.drawImage(content_.video->frame(), picture_.x, picture_.y, picture_.w, picture_.h);
      break;
    case SplashContent::Text:
      view_->draw(canvas, ClipRect{kTextMargin, kTextMargin, width_ - kTextMargin, height_ - kTextMargin}, scroll_);
      break;
    case SplashContent::Web: {
      // The page is in the desktop's browser; the panel says where.
      const auto font = OpenDialogFont(DialogFont{"Arial", 12, 0, 0});
      const ClipRect all{0, 0, width_, height_};
      const int y = height_ / 2 - font->height();
      canvas.drawText(*font, 16, y, "The page is open in your web browser:", 0xFFC0C0C0, all);
      canvas.drawText(*font, 16, y + font->height() + 4, content_.address, 0xFFFFFFFF, all);
      break;
    }
  }
  if (settings_.closeButton) {
    const int bx = width_ - kCloseBox - kCloseMargin, by = kCloseMargin;
    canvas.fill(bx, by, kCloseBox, kCloseBox, 0xFFE8E8E8);
    canvas.frame(bx, by, kCloseBox, kCloseBox, 0xFF606060);
    for (int k = 5; k < kCloseBox - 5; ++k) {  // the cross
      canvas.fill(bx + k, by + k, 2, 1, 0xFF202020);
      canvas.fill(bx + kCloseBox - 1 - k - 1, by + k, 2, 1, 0xFF202020);
    }
  }
  return canvas.image();
}

bool SplashWindow::onCloseButton(int x, int y) const {
  const int bx = width_ - kCloseBox - kCloseMargin, by = kCloseMargin;
  return settings_.closeButton && x >= bx && x < bx + kCloseBox && y >= by && y < by + kCloseBox;
}

bool SplashWindow::handle(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  const int textRoom = view_ ? std::max(0, view_->height() - (height_ - 2 * kTextMargin)) : 0;
  switch (e.kind) {
    case WindowEvent::Close:
    case WindowEvent::Quit: return true;
    case WindowEvent::KeyDown:
      if (e.vk == 27) return settings_.stopKey;
      if (e.vk == 38) scroll_ = std::clamp(scroll_ - kLine, 0, textRoom);
      if (e.vk == 40) scroll_ = std::clamp(scroll_ + kLine, 0, textRoom);
      return false;
    case WindowEvent::Wheel:
      scroll_ = std::clamp(scroll_ - 3 * kLine * e.wheel, 0, textRoom);
      return false;
    case WindowEvent::MouseUp:
      if (e.button != 1) return false;
      return onCloseButton(e.x, e.y) || settings_.stopMouse;
    default: return false;
  }
}

std::vector<platform::WindowEvent> SplashWindow::eventsFor(const ScriptedAnswer& a) const {
  // Any button is the close button; a click is one in the middle of the panel.
  if (a.kind == ScriptedAnswer::Button) {
    if (!settings_.closeButton) return {};
    return ClickEvents(width_ - kCloseMargin - kCloseBox / 2, kCloseMargin + kCloseBox / 2);
  }
  if (a.kind == ScriptedAnswer::Click) return ClickEvents(width_ / 2, height_ / 2);
  return CommonEvents(a);
}

std::string SplashWindow::describe() const {
  switch (content_.kind) {
    case SplashContent::Image: return "splash image";
    case SplashContent::Text: return "splash text";
    case SplashContent::Web: return "splash web page \"" + content_.address + "\"";
    case SplashContent::Video: return content_.loop ? "splash video (looping)" : "splash video";
  }
  return "splash";
}

bool SplashWindow::ticking() const { return delay_ >= 1 || content_.kind == SplashContent::Video; }

bool SplashWindow::tick(int64_t elapsedMs) {
  if (content_.kind == SplashContent::Video && content_.video && !content_.video->advance(elapsedMs)) return true;
  return delay_ >= 1 && elapsedMs >= delay_;
}

bool SplashWindow::endsByItself() const {
  return delay_ >= 1 || (content_.kind == SplashContent::Video && !content_.loop);
}

}  // namespace qv::windows
