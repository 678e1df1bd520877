// Helpers of the font and drawing tests: a clean drawing state, a synthetic font with exact glyph
// tables, a recording device, and a real headless OpenGL window with golden-image comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/background.h"
#include "graphics/d3d.h"
#include "graphics/bitmap_ops.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/sprite.h"
#include "graphics/texture_table.h"
#include "platform/game_window.h"
#include "platform/image_codecs.h"
#include "platform/recording_device.h"
#include "support/builtin_call.h"
#include "support/golden.h"

namespace qv::graphics::drawtest {

// Every list and state the drawing functions use back to a fresh start.
inline void ResetDrawing() {
  ResetDefaultFont();
  fonts().clear();
  sprites().clear();
  backgrounds().clear();
  textState() = TextState();
  drawState() = DrawState();
  Reset3D();
  display().releaseDevice();
  display() = Display();
  qv::testing::ClearErrors();
}

// A typeface font with a stored sheet: characters 'A'..'Z' and the space; every glyph is a cell of
// `w` x `h` pixels at (8 * (c - 'A'), 0) in a 256 x 16 sheet, fully covered; its advance is `w`
// plus 1, its offset 0. The space advances `space` and has no pixels.
inline CFont BlockFont(int w = 6, int h = 10, int space = 4) {
  CFont f;
  f.name = "Blocks";
  f.size = 10;
  f.first = 32;
  f.last = 90;
  f.sheetWidth = 256;
  f.sheetHeight = 16;
  f.alpha.assign(256 * 16, 0);
  for (int c = 32; c <= 90; ++c) {
    f.glyphHeight[size_t(c)] = h;
    f.advance[size_t(c)] = c == 32 ? space : w + 1;
  }
  for (int c = 'A'; c <= 'Z'; ++c) {
    const int gx = 8 * (c - 'A');
    f.glyphX[size_t(c)] = gx;
    f.glyphWidth[size_t(c)] = w;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) f.alpha[size_t(y * 256 + gx + x)] = 255;
  }
  f.glyphX[32] = 250;  // an empty cell
  f.glyphWidth[32] = 1;
  return f;
}

// A display with a recording device (no window).
inline platform::RecordingDevice* UseRecordingDevice() {
  auto device = std::make_unique<platform::RecordingDevice>();
  auto* raw = device.get();
  display().useDevice(std::move(device));
  return raw;
}

// A fresh drawing state on a recording device for every test.
class RecordingDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrawing();
    device = UseRecordingDevice();
  }
  void TearDown() override { ResetDrawing(); }
  platform::RecordingDevice* device = nullptr;
};

// Builtin arguments from a list of reals.
inline std::vector<code::RValue> Reals(std::initializer_list<double> v) {
  return std::vector<code::RValue>(v.begin(), v.end());
}

// A real headless window with its OpenGL device; skips when none can be made.
class GLDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrawing();
    window_ = platform::GameWindow::Open(640, 480);
    if (!window_) GTEST_SKIP() << "no OpenGL 3.3 window available";
    display().bindWindow(window_.get());
    if (!display().createDevice(640, 480, false)) GTEST_SKIP() << "no OpenGL device";
  }
  void TearDown() override {
    ResetDrawing();
    window_.reset();
  }
  // Clears the frame to `background`, runs `draw`, and captures w x h from the top left.
  data::TBitmap32 Render(int w, int h, const std::function<void()>& draw, uint32_t background = 0xFF404040) {
    display().beginFrame();
    display().device()->clear(true, background, false, 1.0f);
    draw();
    display().device()->endScene();
    return display().capture(0, 0, w, h);
  }
  std::unique_ptr<platform::GameWindow> window_;
};

}  // namespace qv::graphics::drawtest
