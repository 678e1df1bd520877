// The loading window's layout and progress, tracked in headless runs exactly as on screen.
#include "runner/loading_window.h"

#include <gtest/gtest.h>

#include "data/settings.h"

using namespace qv;
using namespace qv::data;
using namespace qv::runner;
using qv::data::TBitmap32;

namespace {

struct FreshSettings {
  FreshSettings() { data::CurrentSettings() = data::GameSettings{}; }
  ~FreshSettings() {
    HideLoadingWindow();
    data::CurrentSettings() = data::GameSettings{};
  }
};

}  // namespace

TEST(LoadingWindow, DefaultLayoutWithoutAPicture) {
  FreshSettings fresh;
  Progress(1, "Reading data");
  ShowLoadingWindow(false);
  const LoadingWindowState& w = LoadingWindow();
  EXPECT_TRUE(w.shown);
  EXPECT_EQ(w.client_width, 332);
  EXPECT_EQ(w.client_height, 92);
  EXPECT_EQ(w.bar_left, 24);
  EXPECT_EQ(w.bar_height, 16);
  EXPECT_EQ(w.bar_top, 60);
  EXPECT_EQ(w.label_top, 60);
  EXPECT_EQ(w.empty_bar_width, 284);
  EXPECT_EQ(w.full_bar_width, 0);  // reset by showing
  EXPECT_EQ(w.label, "Loading");
  EXPECT_TRUE(w.bar_visible);
  EXPECT_FALSE(w.label_visible);
  Progress(50, "Loading sprites");
  EXPECT_EQ(w.full_bar_width, 142);
  EXPECT_EQ(w.label, "Loading sprites");
  Progress(100, "done");
  EXPECT_EQ(w.full_bar_width, 284);
}

TEST(LoadingWindow, ThePictureSetsTheSizeTransparencyAndAlpha) {
  FreshSettings fresh;
  data::TBitmap32 pic(98, 40, 0xFF112233);
  pic.setPixel(0, 39, 0xFFABCDEF);  // bottom-left
  data::GameSettings& s = data::CurrentSettings();
  s.loading_picture = pic;
  s.loading_transparent = true;
  s.loading_alpha = 300;
  s.empty_bar_picture = data::TBitmap32(4, 4);
  s.full_bar_picture = data::TBitmap32(4, 4);
  s.scale_progress_bar = false;
  ShowLoadingWindow(true);
  const LoadingWindowState& w = LoadingWindow();
  EXPECT_EQ(w.client_width, 98);
  EXPECT_EQ(w.client_height, 40);
  EXPECT_EQ(w.bar_top, 8);
  EXPECT_EQ(w.empty_bar_width, 50);
  EXPECT_TRUE(w.transparent);
  EXPECT_EQ(w.transparent_colour, 0xFFABCDEFu);
  EXPECT_EQ(w.alpha, 255);  // clamped
  EXPECT_TRUE(w.label_visible);
  EXPECT_FALSE(w.stretch_full_bar);
  EXPECT_TRUE(w.empty_bar && w.full_bar && w.picture);
  // The settings no longer hold the pictures.
  EXPECT_FALSE(s.loading_picture || s.empty_bar_picture || s.full_bar_picture);
  // Nearest with ties to even: 50 x 1% = 0.5 -> 0, 3% = 1.5 -> 2, 5% = 2.5 -> 2.
  for (auto [percent, width] : {std::pair{1, 0}, {3, 2}, {5, 2}, {7, 4}}) {
    Progress(percent, "x");
    EXPECT_EQ(w.full_bar_width, width) << percent;
  }
  HideLoadingWindow();
  EXPECT_FALSE(w.shown);
  EXPECT_FALSE(w.picture || w.empty_bar || w.full_bar);
}

TEST(LoadingWindow, WithoutTheBarNoBarsNoLabelAndBarPicturesAreFreed) {
  FreshSettings fresh;
  data::GameSettings& s = data::CurrentSettings();
  s.show_progress_bar = false;
  s.empty_bar_picture = data::TBitmap32(4, 4);
  s.full_bar_picture = data::TBitmap32(4, 4);
  s.loading_alpha = -5;
  ShowLoadingWindow(true);
  const LoadingWindowState& w = LoadingWindow();
  EXPECT_FALSE(w.bar_visible);
  EXPECT_FALSE(w.label_visible);
  EXPECT_FALSE(w.empty_bar || w.full_bar);
  EXPECT_FALSE(s.empty_bar_picture || s.full_bar_picture);
  EXPECT_EQ(w.alpha, 0);
}
