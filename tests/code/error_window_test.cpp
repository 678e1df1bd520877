// The error window's drawing: text in the box, Ignore only for non-fatal errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error_window.h"

namespace qv::platform {
namespace {

uint32_t at(const std::vector<uint32_t>& px, int x, int y) {
  return px[static_cast<size_t>(y * kErrorWindowWidth + x)];
}

int darkPixels(const std::vector<uint32_t>& px, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if ((at(px, x, y) & 0xFF) < 0x60) ++n;
  return n;
}

TEST(ErrorWindow, DrawsTextAndButtons) {
  const std::vector<std::string> lines = {"", std::string(43, '_'), "Unknown variable q"};
  const std::vector<uint32_t> withIgnore = RenderErrorWindow(lines, true, 0);
  const std::vector<uint32_t> fatal = RenderErrorWindow(lines, false, 0);
  ASSERT_EQ(withIgnore.size(), static_cast<size_t>(kErrorWindowWidth * kErrorWindowHeight));
  // Third text line (y 40..55): the message's glyphs are drawn inside the white box.
  EXPECT_GT(darkPixels(withIgnore, 10, 40, 300, 56), 20);
  EXPECT_EQ(darkPixels(withIgnore, 300, 40, 480, 56), 0);  // the line is short
  // The Ignore button (x 96..171, y 328..353) is drawn only when the error can be ignored.
  EXPECT_NE(at(withIgnore, 120, 330), at(fatal, 120, 330));
  EXPECT_GT(darkPixels(withIgnore, 96, 328, 171, 353), 20);
  EXPECT_EQ(darkPixels(fatal, 97, 329, 170, 352), 0);
  // Abort, Copy and Clear are always there.
  EXPECT_GT(darkPixels(fatal, 8, 328, 83, 353), 20);
  EXPECT_GT(darkPixels(fatal, 416, 328, 491, 353), 20);
}

TEST(ErrorWindow, ScrollsToTheLastLines) {
  std::vector<std::string> lines(100, "");
  lines.back() = "last line of many";
  const std::vector<uint32_t> top = RenderErrorWindow(lines, true, 0);
  const std::vector<uint32_t> end = RenderErrorWindow(lines, true, 1000);
  EXPECT_EQ(darkPixels(top, 10, 10, 470, 310), 0);
  EXPECT_GT(darkPixels(end, 10, 10, 470, 310), 20);
}

}  // namespace
}  // namespace qv::platform
