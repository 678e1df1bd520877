#include "runner/loading_window.h"

#include <algorithm>
#include <cmath>

#include "platform/automation.h"
#include "platform/code_page.h"
#include "platform/loading_window_view.h"
#include "data/settings.h"

namespace qv::runner {
namespace {

constexpr int kDefaultWidth = 332, kDefaultHeight = 92;
constexpr int kBarLeft = 24, kBarHeight = 16, kBarFromBottom = 32;

LoadingWindowState& state() {
  static LoadingWindowState s;
  return s;
}

platform::LoadingWindowView& view() {
  static platform::LoadingWindowView v;
  return v;
}

platform::PixelImage image(const std::optional<data::TBitmap32>& b) {
  if (!b || b->empty()) return {};
  return {b->width, b->height, b->pixels.data()};
}

platform::LoadingWindowFrame frame(const LoadingWindowState& s) {
  platform::LoadingWindowFrame f;
  f.width = s.client_width;
  f.height = s.client_height;
  f.left = s.left;
  f.top = s.top;
  f.picture = image(s.picture);
  f.emptyBar = image(s.empty_bar);
  f.fullBar = image(s.full_bar);
  f.barVisible = s.bar_visible;
  f.barLeft = s.bar_left;
  f.barTop = s.bar_top;
  f.barHeight = s.bar_height;
  f.emptyBarWidth = s.empty_bar_width;
  f.fullBarWidth = s.full_bar_width;
  f.stretchFullBar = s.stretch_full_bar;
  f.transparent = s.transparent;
  f.transparentColour = s.transparent_colour;
  f.alpha = s.alpha;
  f.labelVisible = s.label_visible;
  f.labelLeft = s.label_left;
  f.labelTop = s.label_top;
  f.labelWidth = s.label_width;
  f.labelHeight = s.label_height;
  f.labelText = platform::Cp1252ToUtf8(s.label);
  return f;
}

}  // namespace

const LoadingWindowState& LoadingWindow() { return state(); }

void ShowLoadingWindow(bool showText) {
  data::GameSettings& settings = data::CurrentSettings();
  LoadingWindowState& s = state();
  s = LoadingWindowState{};
  // 1. The picture, its transparency and alpha.
  if (settings.loading_picture && !settings.loading_picture->empty()) {
    s.picture = std::move(settings.loading_picture);
    s.client_width = s.picture->width;
    s.client_height = s.picture->height;
    if (settings.loading_transparent) {
      s.transparent = true;
      s.transparent_colour = s.picture->pixel(0, s.picture->height - 1);
    }
  } else {
    s.client_width = kDefaultWidth;
    s.client_height = kDefaultHeight;
  }
  // The stored alpha is not limited to 0..255 in the data.
  s.alpha = std::clamp(settings.loading_alpha, 0, 255);
  // 2. The bar pictures, used only with the bar on; freed in either case.
  if (settings.show_progress_bar) {
    s.empty_bar = std::move(settings.empty_bar_picture);
    s.full_bar = std::move(settings.full_bar_picture);
  }
  settings.ReleaseLoadingPictures();
  // 3. Visibility.
  s.bar_visible = settings.show_progress_bar;
  s.stretch_full_bar = settings.scale_progress_bar;
  s.label_visible = showText && settings.show_progress_bar;
  // 4. Centred on the screen (halves rounded toward zero).
  auto screen = platform::headlessMode() ? std::nullopt : platform::desktopSize();
  if (screen) {
    s.left = (screen->first - s.client_width) / 2;
    s.top = (screen->second - s.client_height) / 2;
  }
  // 5. Bars and label along the bottom.
  s.bar_left = kBarLeft;
  s.bar_height = kBarHeight;
  s.bar_top = s.client_height - kBarFromBottom;
  s.label_top = s.client_height - kBarFromBottom;
  s.empty_bar_width = s.client_width - 2 * kBarLeft;
  // 6. Start at zero, then show.
  Progress(0, "Loading");
  s.shown = true;
  if (screen) s.on_screen = view().open(frame(s));
}

void HideLoadingWindow() {
  LoadingWindowState& s = state();
  view().close();
  s.shown = false;
  s.on_screen = false;
  s.picture.reset();
  s.empty_bar.reset();
  s.full_bar.reset();
}

void Progress(int percent, std::string_view text) {
  LoadingWindowState& s = state();
  s.full_bar_width = int(std::nearbyint(double(s.empty_bar_width) * percent / 100.0));
  s.label = std::string(text);
  if (s.on_screen) view().update(frame(s));
}

}  // namespace qv::runner
