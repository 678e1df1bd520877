// Golden images: a picture compared with a reviewed PNG in tests/golden/ (per-channel tolerance
// 2). QV_UPDATE_GOLDEN=1 writes the picture instead; each written picture is looked at before it
// is committed. A picture that differs is kept beside the test's temporary files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "graphics/bitmap_ops.h"
#include "platform/image_codecs.h"

namespace qv {

inline std::string GoldenPath(const std::string& name) {
  return std::string(QV_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

// Largest per-channel difference, or 256 when the sizes differ.
inline int MaxDifference(const data::TBitmap32& a, const data::TBitmap32& b) {
  if (a.width != b.width || a.height != b.height) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int s = 0; s < 32; s += 8)
      worst = std::max(worst, std::abs(int((a.pixels[i] >> s) & 255) - int((b.pixels[i] >> s) & 255)));
  return worst;
}

inline void ExpectGolden(const std::string& name, const data::TBitmap32& actual) {
  const std::string path = GoldenPath(name);
  if (std::getenv("QV_UPDATE_GOLDEN")) {
    ASSERT_TRUE(graphics::SavePng(actual, path));
    return;
  }
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(graphics::ReadWholeFile(path, bytes)) << "missing golden image " << path;
  auto golden = platform::DecodePng(bytes.data(), bytes.size());
  ASSERT_TRUE(golden);
  data::TBitmap32 g(golden->width, golden->height);
  g.pixels = golden->pixels;
  const int diff = MaxDifference(actual, g);
  const std::string actualPath = (std::filesystem::temp_directory_path() / (name + ".actual.png")).string();
  if (diff > 2) graphics::SavePng(actual, actualPath);
  EXPECT_LE(diff, 2) << name << " differs; the picture drawn is in " << actualPath;
}

}  // namespace qv
