// Sprite drawing speed, headless (SDL_VIDEODRIVER=offscreen is set by main below when unset).
//
//   BM_SpritesOneTexture     10,000 sprites of one 32 x 32 texture per frame, through the device
//   BM_SpritesTwentyTextures 10,000 sprites cycling through 20 textures (every draw changes the
//                            texture: the worst order for batching)
//   BM_FloorOneBuffer        the floor: a minimal hand-written OpenGL program that builds the same
//                            10,000 quads into one buffer and draws them with one call
//   BM_ThousandToScreen      1,000 sprites straight to the screen
//   BM_ThousandViaSurface    the same 1,000 sprites into a surface of the screen's size (target set
//                            and reset every frame), then the surface drawn to the screen
//
// Each frame ends with a one-pixel read-back so that the GPU work is inside the measured time.
// The counter "fps" is frames per second; compare the device cases with the floor of the same run.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <random>

#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/sprite_drawing.h"
#include "graphics/surface.h"
#include "graphics/texture_table.h"
#include "platform/game_window.h"
#include "support/gl_floor.h"

namespace {

using namespace qv;

constexpr int kSprites = 10000;
constexpr int kTextures = 20;
constexpr int kSide = 32;

struct Scene {
  std::unique_ptr<platform::GameWindow> window;
  std::vector<graphics::CSprite> sprites;
  std::vector<std::pair<float, float>> positions;
};

Scene& scene() {
  static Scene s = [] {
    Scene sc;
    sc.window = platform::GameWindow::Open(640, 480);
    if (!sc.window) return sc;
    graphics::display().bindWindow(sc.window.get());
    graphics::display().createDevice(640, 480, false);
    // Point sampling, as the floor uses: the comparison is of the drawing path, not the filter.
    graphics::display().interpolation = false;
    graphics::display().applyRenderStates();
    for (int t = 0; t < kTextures; ++t) {
      graphics::CSprite spr;
      spr.frames = {data::TBitmap32(kSide, kSide, 0x80000000u | uint32_t(t * 12) << 16 | 0x8040)};
      graphics::CreateSpriteTextures(spr);
      sc.sprites.push_back(std::move(spr));
    }
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> x(0, 640 - kSide), y(0, 480 - kSide);
    for (int i = 0; i < kSprites; ++i) sc.positions.emplace_back(std::floor(x(random)), std::floor(y(random)));
    return sc;
  }();
  return s;
}

void Sync() {
  uint32_t pixel = 0;
  glReadPixels(0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
  benchmark::DoNotOptimize(pixel);
}

void DrawFrame(int textureCount) {
  Scene& s = scene();
  platform::Device* device = graphics::display().device();
  device->clear(true, 0xFF000000, false, 1.0f);
  for (int i = 0; i < kSprites; ++i)
    graphics::DrawSprite(s.sprites[size_t(i % textureCount)], 0, s.positions[size_t(i)].first,
                         s.positions[size_t(i)].second);
  device->endScene();
  graphics::display().capture(0, 0, 1, 1);  // reads one pixel: waits for the frame
}

void BM_SpritesOneTexture(benchmark::State& state) {
  if (!scene().window) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  for (auto _ : state) DrawFrame(1);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SpritesTwentyTextures(benchmark::State& state) {
  if (!scene().window) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  for (auto _ : state) DrawFrame(kTextures);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// --- drawing through a surface ---

constexpr int kThousand = 1000;

void DrawThousand() {
  Scene& s = scene();
  for (int i = 0; i < kThousand; ++i)
    graphics::DrawSprite(s.sprites[0], 0, s.positions[size_t(i)].first, s.positions[size_t(i)].second);
}

void BM_ThousandToScreen(benchmark::State& state) {
  if (!scene().window) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  platform::Device* device = graphics::display().device();
  for (auto _ : state) {
    device->clear(true, 0xFF000000, false, 1.0f);
    DrawThousand();
    device->endScene();
    graphics::display().capture(0, 0, 1, 1);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ThousandViaSurface(benchmark::State& state) {
  if (!scene().window) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  platform::Device* device = graphics::display().device();
  const int surface = graphics::SurfaceCreate(640, 480);
  const graphics::Image picture = graphics::SurfaceImage(surface);
  for (auto _ : state) {
    device->clear(true, 0xFF000000, false, 1.0f);
    graphics::SurfaceSetTarget(surface);
    device->clear(true, 0x00000000, false, 1.0f);
    DrawThousand();
    graphics::SurfaceResetTarget();
    graphics::DrawImage(picture, 0, 0);
    device->endScene();
    graphics::display().capture(0, 0, 1, 1);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  graphics::SurfaceFree(surface);
}

// --- the floor: plain OpenGL, one buffer, one draw ---

const char* kFloorVertex = R"(#version 330 core
layout(location = 0) in vec2 aPosition;
layout(location = 1) in vec2 aTexCoord;
out vec2 vTexCoord;
void main() {
  vTexCoord = aTexCoord;
  gl_Position = vec4(aPosition.x / 320.0 - 1.0, aPosition.y / 240.0 - 1.0, 0.0, 1.0);
}
)";
const char* kFloorFragment = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fragColour;
void main() { fragColour = texture(uTexture, vTexCoord); }
)";

void BM_FloorOneBuffer(benchmark::State& state) {
  if (!scene().window) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  const bench::FloorProgram program(kFloorVertex, kFloorFragment);
  const bench::FloorFrame target(/*withDepth=*/false);
  GLuint vao = 0, vbo = 0, texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  std::vector<uint32_t> texels(kSide * kSide, 0x80008040);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSide, kSide, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<void*>(8));
  glUseProgram(program.id());
  glBindSampler(0, 0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glViewport(0, 0, 640, 480);
  std::vector<float> buffer;
  for (auto _ : state) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    buffer.clear();
    for (const auto& [x, y] : scene().positions) {
      const float l = x, t = y, r = x + kSide, b = y + kSide;
      const float quad[6][4] = {{l, t, 0, 0}, {r, t, 1, 0}, {r, b, 1, 1}, {l, t, 0, 0}, {r, b, 1, 1}, {l, b, 0, 1}};
      for (const auto& v : quad) buffer.insert(buffer.end(), v, v + 4);
    }
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(buffer.size() * sizeof(float)), buffer.data(), GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(buffer.size() / 4));
    Sync();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  glDeleteBuffers(1, &vbo);
  glDeleteVertexArrays(1, &vao);
  glDeleteTextures(1, &texture);
  // The device applies its whole state again before its next draw.
  graphics::display().resetDevice();
}

BENCHMARK(BM_FloorOneBuffer)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_SpritesOneTexture)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_SpritesTwentyTextures)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ThousandToScreen)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ThousandViaSurface)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The device goes before the window that holds its context.
  graphics::display().releaseDevice();
  scene().sprites.clear();
  scene().window.reset();
  return 0;
}
