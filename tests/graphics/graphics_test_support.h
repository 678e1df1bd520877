// Shared helpers of the graphics tests: small bitmaps, a clean graphics state, and a real headless
// window with its OpenGL device.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/background.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/texture_table.h"
#include "platform/game_window.h"
#include "platform/recording_device.h"

namespace qv::graphics::testing {

inline constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kClear = 0x00000000;

// Bitmap from rows of characters: '.' transparent black, 'r', 'g', 'b', 'w' opaque colours,
// 'k' opaque black.
inline data::TBitmap32 FromRows(const std::vector<std::string>& rows) {
  data::TBitmap32 b(int(rows[0].size()), int(rows.size()));
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      uint32_t c = 0;
      switch (rows[size_t(y)][size_t(x)]) {
        case 'r': c = kRed; break;
        case 'g': c = kGreen; break;
        case 'b': c = kBlue; break;
        case 'w': c = 0xFFFFFFFF; break;
        case 'k': c = 0xFF000000; break;
        default: c = 0; break;
      }
      b.setPixel(x, y, c);
    }
  return b;
}

// Every list, table and display state back to a fresh start.
inline void ResetGraphics() {
  sprites().clear();
  backgrounds().clear();
  display().releaseDevice();
  display() = Display();
  code::errorState() = code::ErrorState();
}

// Calls a built-in handler with real arguments.
struct Call {
  std::vector<code::RValue> args;
  code::RValue result;
  template <class... A>
  explicit Call(A... a) : args{code::RValue(a)...} {}
  code::RValue run(code::BuiltinHandler h) {
    result.clear();
    code::BuiltinCall c{nullptr, nullptr, int(args.size()), args.data(), result};
    h(c);
    return result;
  }
};

// Finds a handler of a family by name (fails the test when it is missing).
inline code::BuiltinHandler Handler(code::BuiltinFamily family, const std::string& name) {
  for (const auto& f : family)
    if (name == f.name) return f.handler;
  ADD_FAILURE() << "no built-in " << name;
  return [](code::BuiltinCall&) {};
}

// A display with a recording device (no window).
inline platform::RecordingDevice* UseRecordingDevice() {
  auto device = std::make_unique<platform::RecordingDevice>();
  auto* raw = device.get();
  display().useDevice(std::move(device));
  return raw;
}

// A real headless window with its OpenGL device, bound to display(); skips when none can be made.
class GLFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGraphics();
    window_ = platform::GameWindow::Open(640, 480);
    if (!window_) GTEST_SKIP() << "no OpenGL 3.3 window available";
    display().bindWindow(window_.get());
    if (!display().createDevice(640, 480, false)) GTEST_SKIP() << "no OpenGL device";
  }
  void TearDown() override {
    ResetGraphics();
    window_.reset();
  }
  std::unique_ptr<platform::GameWindow> window_;
};

std::string TempPath(const std::string& name);

}  // namespace qv::graphics::testing
