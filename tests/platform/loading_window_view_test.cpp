// The loading window drawn for real on the offscreen video driver, read back pixel by pixel.
#include "platform/loading_window_view.h"

#include <gtest/gtest.h>

using namespace qv::platform;

namespace {

constexpr uint32_t kPictureColour = 0xFF336699, kFullColour = 0xFFFF0000;

struct Drawing {
  std::vector<uint32_t> picture = std::vector<uint32_t>(size_t(120) * 60, kPictureColour);
  std::vector<uint32_t> full = std::vector<uint32_t>(4 * 4, kFullColour);
  LoadingWindowFrame frame() {
    LoadingWindowFrame f;
    f.width = 120;
    f.height = 60;
    f.picture = {120, 60, picture.data()};
    f.fullBar = {4, 4, full.data()};
    f.barVisible = true;
    f.barLeft = 24;
    f.barTop = 28;
    f.barHeight = 16;
    f.emptyBarWidth = 72;
    f.fullBarWidth = 36;
    f.labelLeft = 32;
    f.labelTop = 28;
    f.labelWidth = 60;
    f.labelHeight = 17;
    f.labelText = "Loading";
    return f;
  }
};

int darkPixels(const std::vector<uint32_t>& px, int x0, int y0, int w, int h) {
  int n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      uint32_t c = px[size_t(y) * 120 + size_t(x)];
      if (((c >> 16) & 255) < 60 && ((c >> 8) & 255) < 60 && (c & 255) < 60) ++n;
    }
  return n;
}

}  // namespace

TEST(LoadingWindowView, DrawsPictureBarsAndLabel) {
  Drawing d;
  LoadingWindowView view;
  LoadingWindowFrame f = d.frame();
  ASSERT_TRUE(view.open(f));
  std::vector<uint32_t> px = view.readPixels();
  ASSERT_EQ(px.size(), size_t(120) * 60);
  auto at = [&](int x, int y) { return px[size_t(y) * 120 + size_t(x)] | 0xFF000000u; };
  EXPECT_EQ(at(5, 5), kPictureColour);
  EXPECT_EQ(at(24 + 30, 28 + 8), kFullColour);        // inside the full part (stretched picture)
  EXPECT_NE(at(24 + 50, 28 + 8), kFullColour);        // the empty part beyond it
  EXPECT_NE(at(24 + 50, 28 + 8), kPictureColour);
  EXPECT_EQ(at(24 + 80, 28 + 8), kPictureColour);     // right of the bar
  EXPECT_EQ(darkPixels(px, 32, 28, 60, 17), 0);       // label hidden

  f.labelVisible = true;
  f.fullBarWidth = 0;
  view.update(f);
  px = view.readPixels();
  EXPECT_GT(darkPixels(px, 32, 28, 60, 17), 10);      // black text in the label's box
  EXPECT_EQ(darkPixels(px, 0, 0, 120, 27), 0);        // and nowhere above it
  view.close();
  EXPECT_FALSE(view.isOpen());
  EXPECT_TRUE(view.readPixels().empty());
}
