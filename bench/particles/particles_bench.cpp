// Particle speed, headless (SDL_VIDEODRIVER=offscreen is set by main below when unset).
//
// The scene: one system of 100,000 live particles of four types (25,000 each, made type by type),
// with gravity on two types, an attractor that pulls every particle and a destroyer whose region
// every particle is tested against (it lies outside the scene, so the count stays).
//
//   BM_SystemUpdate  one update of the system (the seven stages)
//   BM_PlainLoop     the peer: one hand-written loop over an array of the same structs doing the
//                    same arithmetic (ageing, increments, gravity, attractor, wiggles, the move,
//                    the destroyer test, size and alpha)
//   BM_SystemDraw    drawing the system through the device (one draw call per type here)
//   BM_FloorDraw     the peer: a minimal hand-written OpenGL program that computes the same quads
//                    (rotated, scaled, coloured) into one buffer and draws them with one call per
//                    texture
//
// Each drawn frame ends with a one-pixel read-back so that the GPU work is inside the measured
// time. The counter "fps" is updates or frames per second; compare each case with its peer of the
// same run.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "code/random.h"
#include "graphics/display.h"
#include "graphics/texture_table.h"
#include "particles/particle_drawing.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"
#include "particles/shape_sprites.h"
#include "platform/game_window.h"
#include "support/gl_floor.h"

namespace {

using namespace qv;
using namespace qv::particles;

constexpr int kPerType = 25000;
constexpr double kRad = 3.14159265358979323846 / 180.0;

// A system in its steady state: nothing dies (lives are long), so every update sees 100,000.
CParticleSystem MakeScene() {
  ResetParticles();
  code::RandomSetSeed(2026);
  const int32_t ps = CreateSystem();
  const int shapes[4] = {1, 4, 8, 12};
  for (int k = 0; k < 4; ++k) {
    const int32_t t = CreateType();
    CParticleType& type = types()[size_t(t)];
    type.shape = shapes[k];
    type.lifeMin = type.lifeMax = 1000000000;
    type.sizeMin = 0.1, type.sizeMax = 0.3, type.sizeIncr = 0.0000001;
    type.speedMin = 0.2, type.speedMax = 1, type.speedWiggle = 0.1;
    type.dirMin = 0, type.dirMax = 360, type.dirIncr = 0.5, type.dirWiggle = 5;
    type.angMin = 0, type.angMax = 360, type.angIncr = 1;
    type.gravAmount = k % 2 ? 0.01 : 0;
    SetAlpha2(type, 1, 0.5);
    type.colour[0] = 0x2080FF;
    CEmitter e;
    e.xmin = 0, e.xmax = 640, e.ymin = 0, e.ymax = 480;
    Emit(systems()[size_t(ps)], e, t, kPerType);
  }
  CParticleSystem& s = systems()[size_t(ps)];
  s.attractors.push_back(CAttractor{true, 320, 240, 0.001, 1000, 0, false});
  s.destroyers.push_back(CDestroyer{true, -1000, -900, -1000, -900, 1});
  return s;
}

void BM_SystemUpdate(benchmark::State& state) {
  CParticleSystem s = MakeScene();
  for (auto _ : state) {
    UpdateSystem(s);
    benchmark::DoNotOptimize(s.particles.data());
  }
  if (s.particles.size() != 4 * kPerType) state.SkipWithError("the scene lost particles");
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The same arithmetic written as one loop over the array.
void PlainUpdate(std::vector<CParticle>& list, const std::vector<CParticleType>& kinds, const CAttractor& a,
                 const CDestroyer& d) {
  for (CParticle& p : list) {
    const CParticleType& t = kinds[size_t(p.type)];
    if (++p.age >= p.life) p.alive = false;
    p.xprevious = p.x, p.yprevious = p.y;
    p.speed = std::max(p.speed + t.speedIncr, 0.0);
    p.direction += t.dirIncr;
    p.angle += t.angIncr;
    double vx = p.speed * std::cos(p.direction * kRad), vy = -p.speed * std::sin(p.direction * kRad);
    vx += t.gravAmount * std::cos(t.gravDir * kRad), vy -= t.gravAmount * std::sin(t.gravDir * kRad);
    double dx = 0, dy = 0;
    const double dist = std::hypot(a.x - p.x, a.y - p.y);
    if (dist <= a.distance && dist != 0) dx = a.force * (a.x - p.x) / dist, dy = a.force * (a.y - p.y) / dist;
    const double ang = std::atan2(vy, vx) / kRad;
    p.direction = std::fmod(ang > 0 ? 360 - ang : -ang, 360.0);
    p.speed = std::sqrt(vx * vx + vy * vy);
    const int64_t w1 = (p.age + 3 * int64_t(p.seed)) % 24, w2 = (p.age + 4 * int64_t(p.seed)) % 20;
    const double wd = (w1 / 6.0 > 2 ? 4 - w1 / 6.0 : w1 / 6.0) - 1, ws = (w2 / 5.0 > 2 ? 4 - w2 / 5.0 : w2 / 5.0) - 1;
    const double s = p.speed + ws * t.speedWiggle, dir = (p.direction + wd * t.dirWiggle) * kRad;
    p.x += s * std::cos(dir) + dx;
    p.y += -s * std::sin(dir) + dy;
    if (p.x >= d.xmin && p.x <= d.xmax && p.y >= d.ymin && p.y <= d.ymax) {
      const double ex = 2 * (p.x - (d.xmin + d.xmax) / 2) / (d.xmax - d.xmin);
      const double ey = 2 * (p.y - (d.ymin + d.ymax) / 2) / (d.ymax - d.ymin);
      if (ex * ex + ey * ey <= 1) p.alive = false;
    }
    p.size = std::max(p.size + t.sizeIncr, 0.0);
    const double u = 2.0 * p.age / p.life;
    p.alpha = u >= 1 ? (u - 1) * t.alpha3 + (2 - u) * t.alpha2 : u * t.alpha2 + (1 - u) * t.alpha1;
  }
}

void BM_PlainLoop(benchmark::State& state) {
  CParticleSystem s = MakeScene();
  const std::vector<CParticleType> kinds = types();
  for (auto _ : state) {
    PlainUpdate(s.particles, kinds, s.attractors[0], s.destroyers[0]);
    benchmark::DoNotOptimize(s.particles.data());
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// --- drawing ---

std::unique_ptr<platform::GameWindow>& window() {
  static std::unique_ptr<platform::GameWindow> w = [] {
    auto made = platform::GameWindow::Open(640, 480);
    if (made) {
      graphics::display().bindWindow(made.get());
      graphics::display().createDevice(640, 480, false);
    }
    return made;
  }();
  return w;
}

void Sync() {
  uint32_t pixel = 0;
  glReadPixels(0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
  benchmark::DoNotOptimize(pixel);
}

void BM_SystemDraw(benchmark::State& state) {
  if (!window()) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  CParticleSystem s = MakeScene();
  platform::Device* device = graphics::display().device();
  uint64_t calls = 0;
  for (auto _ : state) {
    device->clear(true, 0xFF000000, false, 1.0f);
    const uint64_t before = device->drawCalls();
    DrawSystem(s);
    device->endScene();
    calls = device->drawCalls() - before;
    graphics::display().capture(0, 0, 1, 1);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["draw_calls"] = double(calls);
}

const char* kFloorVertex = R"(#version 330 core
layout(location = 0) in vec2 aPosition;
layout(location = 1) in vec2 aTexCoord;
layout(location = 2) in vec4 aColour;
out vec2 vTexCoord;
out vec4 vColour;
void main() {
  vTexCoord = aTexCoord;
  vColour = aColour;
  gl_Position = vec4(aPosition.x / 320.0 - 1.0, 1.0 - aPosition.y / 240.0, 0.0, 1.0);
}
)";
const char* kFloorFragment = R"(#version 330 core
in vec2 vTexCoord;
in vec4 vColour;
uniform sampler2D uTexture;
out vec4 fragColour;
void main() { fragColour = texture(uTexture, vTexCoord) * vColour; }
)";

struct FloorVertex {
  float x, y, u, v;
  uint32_t colour;
};

void BM_FloorDraw(benchmark::State& state) {
  if (!window()) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  CParticleSystem s = MakeScene();
  const bench::FloorProgram program(kFloorVertex, kFloorFragment);
  GLuint vao = 0, vbo = 0, textures[4] = {};
  glGenTextures(4, textures);
  for (int k = 0; k < 4; ++k) {
    const data::TBitmap32 image = ShapeIntensity(std::array{1, 4, 8, 12}[size_t(k)]);
    glBindTexture(GL_TEXTURE_2D, textures[k]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, image.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  }
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(FloorVertex), nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(FloorVertex), reinterpret_cast<void*>(8));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(FloorVertex), reinterpret_cast<void*>(16));
  glUseProgram(program.id());
  glBindSampler(0, 0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, 640, 480);
  std::vector<FloorVertex> buffer;
  for (auto _ : state) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    size_t first = 0;
    for (int k = 0; k < 4; ++k) {
      buffer.clear();
      for (size_t i = first; i < s.particles.size() && s.particles[i].type == k; ++i) {
        const CParticle& p = s.particles[i];
        const CParticleType& t = types()[size_t(p.type)];
        const double size = p.size, half = 32 * size, a = p.angle * kRad, c = std::cos(a), sn = std::sin(a);
        const uint32_t alpha = uint32_t(std::clamp(p.alpha, 0.0, 1.0) * 255 + 0.5);
        const uint32_t colour = alpha << 24 | uint32_t(p.colour);  // bytes r, g, b, a in memory
        const double corners[4][4] = {{-half, -half, 0, 0}, {half, -half, 1, 0}, {half, half, 1, 1}, {-half, half, 0, 1}};
        FloorVertex q[4];
        for (int j = 0; j < 4; ++j)
          q[j] = {float(p.x + corners[j][0] * c + corners[j][1] * sn), float(p.y - corners[j][0] * sn + corners[j][1] * c),
                  float(corners[j][2]), float(corners[j][3]), colour};
        buffer.insert(buffer.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
        (void)t;
        first = i + 1;
      }
      glBindTexture(GL_TEXTURE_2D, textures[k]);
      glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(buffer.size() * sizeof(FloorVertex)), buffer.data(), GL_STREAM_DRAW);
      glDrawArrays(GL_TRIANGLES, 0, GLsizei(buffer.size()));
    }
    Sync();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  glDeleteBuffers(1, &vbo);
  glDeleteVertexArrays(1, &vao);
  glDeleteTextures(4, textures);
  graphics::display().resetDevice();
}

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_SystemUpdate)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_FloorDraw)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_SystemDraw)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The device goes before the window that holds its context.
  ResetParticles();
  ForgetShapeSprites();
  graphics::display().releaseDevice();
  window().reset();
  return 0;
}
