#include "windows/information_window.h"

#include <algorithm>

#include "graphics/colour.h"
#include "windows/dialog_canvas.h"
#include "windows/main_window_area.h"
#include "windows/rich_text_view.h"

namespace qv::windows {

namespace {

constexpr int kMargin = 4, kBarWidth = 10, kLine = 16;
constexpr int kMaxSide = 4096;

}  // namespace

InformationWindow::InformationWindow(const GameInformation& info) : info_(info) {
  int sw = 0, sh = 0;
  ScreenSize(sw, sh);
  width_ = std::clamp(info.width, 1, sw > 0 ? sw : kMaxSide);
  height_ = std::clamp(info.height, 1, sh > 0 ? sh : kMaxSide);
  x_ = info.left < 0 ? -1 : info.left;
  y_ = info.top < 0 ? -1 : info.top;
  int mx = 0, my = 0, mw = 0, mh = 0;
  if (info.showInMainWindow && MainWindowArea(mx, my, mw, mh)) {
    x_ = mx;
    y_ = my;
    width_ = mw;
    height_ = mh;
    inMainWindow_ = true;
  }
  view_ = std::make_unique<RichTextView>(ReadRichText(info.richText, RichDefaults{"Arial", 12, 0}),
                                         width_ - 2 * kMargin - kBarWidth);
}

InformationWindow::~InformationWindow() = default;

int InformationWindow::maxScroll() const { return std::max(0, view_->height() - (height_ - 2 * kMargin)); }

void InformationWindow::scrollBy(int pixels) { scroll_ = std::clamp(scroll_ + pixels, 0, maxScroll()); }

platform::DialogWindowSpec InformationWindow::window() const {
  platform::DialogWindowSpec s;
  s.captionUtf8 = info_.caption;
  s.x = x_;
  s.y = y_;
  s.width = width_;
  s.height = height_;
  s.captionBar = info_.border && !info_.showInMainWindow;
  return s;
}

data::TBitmap32 InformationWindow::render() const {
  DialogCanvas canvas(width_, height_, graphics::ScriptToDevice(info_.backgroundColour, 1.0));
  const ClipRect area{kMargin, kMargin, width_ - kMargin - kBarWidth, height_ - kMargin};
  view_->draw(canvas, area, scroll_);
  if (maxScroll() > 0) {
    // The bar: the track, and the thumb as long as the view is of the text, where the view is.
    const int track = height_ - 2 * kMargin;
    canvas.fill(width_ - kBarWidth - 2, kMargin, kBarWidth, track, 0xFFE0E0E0);
    const int thumb = std::max(16, int(int64_t(track) * track / std::max(1, view_->height())));
    const int top = kMargin + int(int64_t(track - thumb) * scroll_ / std::max(1, maxScroll()));
    canvas.fill(width_ - kBarWidth - 1, top, kBarWidth - 2, thumb, 0xFF909090);
  }
  return canvas.image();
}

bool InformationWindow::handle(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  const int page = std::max(kLine, height_ - 2 * kMargin - kLine);
  switch (e.kind) {
    case WindowEvent::Close:
    case WindowEvent::Quit: return true;
    case WindowEvent::KeyDown:
      switch (e.vk) {
        case 27: return true;
        case 38: scrollBy(-kLine); break;
        case 40: scrollBy(kLine); break;
        case 33: scrollBy(-page); break;
        case 34: scrollBy(page); break;
        case 36: scroll_ = 0; break;
        case 35: scroll_ = maxScroll(); break;
        default: break;
      }
      return false;
    case WindowEvent::Wheel: scrollBy(-3 * kLine * e.wheel); return false;
    default: return false;
  }
}

std::vector<platform::WindowEvent> InformationWindow::eventsFor(const ScriptedAnswer& a) const { return CommonEvents(a); }

std::string InformationWindow::describe() const { return "game information \"" + info_.caption + "\""; }

}  // namespace qv::windows
