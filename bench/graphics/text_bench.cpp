// Text drawing, headless through the real OpenGL path: 200 lines of 40 characters per frame with
// the default font (Liberation Sans 12), drawn by draw_text as game code calls it, against a floor
// that hands the same glyph quads to the device directly as one triangle list per line (the least
// work any text drawing must do). Each frame ends with a read of one pixel, so the GPU work is in
// the time. The program's main (sprite_bench.cpp) selects the headless video driver.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "graphics/builtins.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/font.h"
#include "graphics/text.h"
#include "graphics/texture_table.h"
#include "platform/game_window.h"

namespace {

using namespace qv::graphics;

constexpr int kLines = 200;

// The device of the graphics benchmarks: the one already made by another benchmark of this
// program, or a headless window and device of our own, made once.
bool Ready() {
  static std::unique_ptr<qv::platform::GameWindow> window;
  static bool ok = [] {
    if (display().device()) return true;
    window = qv::platform::GameWindow::Open(640, 480);
    if (!window) return false;
    display().bindWindow(window.get());
    return display().createDevice(640, 480, false);
  }();
  return ok;
}

std::string Line(int i) {
  std::string s = "Line " + std::to_string(i) + ": the quick brown fox jumps";
  s.resize(40, '.');
  return s;
}

qv::code::BuiltinHandler Handler(const char* name) {
  for (const auto& f : FontBuiltins())
    if (std::string(name) == f.name) return f.handler;
  return nullptr;
}

void EndFrame() {
  display().device()->endScene();
  benchmark::DoNotOptimize(display().capture(0, 0, 1, 1));
}

void BM_Text200LinesDrawText(benchmark::State& state) {
  if (!Ready()) {
    state.SkipWithError("no OpenGL device");
    return;
  }
  const auto drawText = Handler("draw_text");
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) lines.push_back(Line(i));
  drawState().colour = 0xFFFFFFFF;
  for (auto _ : state) {
    display().beginFrame();
    display().device()->clear(true, 0xFF000000, false, 1.0f);
    for (int i = 0; i < kLines; ++i) {
      qv::code::RValue args[3] = {qv::code::RValue(double(i % 4) * 150), qv::code::RValue(double(i % 50) * 9),
                                  qv::code::RValue(lines[size_t(i)])};
      qv::code::RValue result;
      qv::code::BuiltinCall call{nullptr, nullptr, 3, args, result};
      drawText(call);
    }
    EndFrame();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["glyphs/frame"] = double(kLines * 40);
}
BENCHMARK(BM_Text200LinesDrawText)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

void BM_Text200LinesFloor(benchmark::State& state) {
  if (!Ready()) {
    state.SkipWithError("no OpenGL device");
    return;
  }
  CFont& f = DefaultFont();
  const TextureEntry* e = textures().entry(f.texture);
  if (!e) {
    state.SkipWithError("no font texture");
    return;
  }
  // The glyph quads of every line, built once: two triangles per glyph.
  std::vector<std::vector<qv::platform::Vertex>> quads;
  for (int i = 0; i < kLines; ++i) {
    std::vector<qv::platform::Vertex> v;
    double pen = double(i % 4) * 150;
    const double y = double(i % 50) * 9;
    for (unsigned char ch : Line(i)) {
      const double x = pen + f.offset[ch], w = f.glyphWidth[ch], h = f.glyphHeight[ch];
      const double u0 = double(f.glyphX[ch]) / e->textureWidth, v0 = double(f.glyphY[ch]) / e->textureHeight;
      const double u1 = (f.glyphX[ch] + w) / e->textureWidth, v1 = (f.glyphY[ch] + h) / e->textureHeight;
      const auto corner = [&](double cx, double cy, double u, double vv) {
        return MakeVertex(cx - 0.5, cy - 0.5, 0xFFFFFFFF, u, vv);
      };
      const qv::platform::Vertex tl = corner(x, y, u0, v0), tr = corner(x + w, y, u1, v0),
                                 br = corner(x + w, y + h, u1, v1), bl = corner(x, y + h, u0, v1);
      v.insert(v.end(), {tl, tr, br, tl, br, bl});
      pen += f.advanceOf(ch);
    }
    quads.push_back(std::move(v));
  }
  for (auto _ : state) {
    display().beginFrame();
    display().device()->clear(true, 0xFF000000, false, 1.0f);
    textures().bind(f.texture);
    for (const auto& v : quads)
      display().device()->draw(qv::platform::PrimitiveType::TriangleList, v.data(), int(v.size()));
    EndFrame();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Text200LinesFloor)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace
