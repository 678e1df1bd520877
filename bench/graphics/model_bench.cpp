// 3D model drawing speed, headless.
//
//   BM_ModelLit100        a model of 10,000 triangles (a triangle list recorded vertex by vertex
//                         with normals) drawn 100 times per frame at 100 places with one directional
//                         light, through d3d_model_draw's path (uploaded once, drawn from the
//                         device's buffer)
//   BM_FloorModelLit100   the floor: a hand-written OpenGL program drawing the same vertex buffer
//                         100 times with a minimal shader doing the same per-vertex lighting
//
// Each frame clears colour and depth and ends with a one-pixel read-back, so the GPU work is
// inside the measured time. The counter "fps" is frames per second; the ratio of the two is the
// cost of the device over plain OpenGL (docs/3d.md).
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <memory>
#include <vector>

#include "graphics/d3d.h"
#include "graphics/d3d_model.h"
#include "graphics/d3dx.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "platform/game_window.h"
#include "support/gl_floor.h"

namespace {

using namespace qv;

constexpr int kColumns = 100, kRows = 50;  // 2 triangles per cell: 10,000 triangles
constexpr double kCell = 0.6;
constexpr int kDraws = 100;

// The device of the graphics benchmarks: the one another benchmark made, or our own.
bool Ready() {
  static std::unique_ptr<platform::GameWindow> window;
  static bool ok = [] {
    if (graphics::display().device()) return true;
    window = platform::GameWindow::Open(640, 480);
    if (!window) return false;
    graphics::display().bindWindow(window.get());
    return graphics::display().createDevice(640, 480, false);
  }();
  return ok;
}

// A rippled sheet of kColumns x kRows cells as model entries: one triangle list with normals.
int MakeModel() {
  const int id = graphics::ModelCreate();
  graphics::C3DModel* m = graphics::GetModel(id);
  m->append(graphics::ModelEntry{0, {4}});
  const auto vertex = [&](int i, int j) {
    const double nx = (i % 3) * 0.3, ny = (j % 2) * 0.4;
    m->append(graphics::ModelEntry{6, {i * kCell, j * kCell, 0, nx, ny, -1}});
  };
  for (int j = 0; j < kRows; ++j)
    for (int i = 0; i < kColumns; ++i) {
      vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1);
      vertex(i, j), vertex(i + 1, j + 1), vertex(i, j + 1);
    }
  m->append(graphics::ModelEntry{1, {}});
  return id;
}

double PlaceX(int k) { return 10 + (k % 10) * 62.0; }
double PlaceY(int k) { return 10 + (k / 10) * 46.0; }

void Lights() {
  graphics::SetLighting(true);
  graphics::LightDefineDirection(0, 0.3, 0.2, 1, 0xFFFFFF);
  graphics::LightEnable(0, true);
}

void BM_ModelLit100(benchmark::State& state) {
  if (!Ready()) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  graphics::SetMode3D(true);
  graphics::drawState().colour = 0xFFC0C0C0;
  const int id = MakeModel();
  graphics::C3DModel& m = *graphics::GetModel(id);
  auto& d = graphics::display();
  platform::Device* device = d.device();
  d.setViewport(0, 0, 640, 480);
  d.setProjection(0, 0, 640, 480, 0);
  Lights();
  const auto frame = [&] {
    device->clear(true, 0xFF000000, true, 1.0f);
    for (int k = 0; k < kDraws; ++k) graphics::ModelDraw(m, PlaceX(k), PlaceY(k), 0, -1);
    device->endScene();
    d.capture(0, 0, 1, 1);
  };
  frame();  // the upload and the shader variant's compilation stay outside the measure
  for (auto _ : state) frame();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = double(kColumns * kRows * 2 * kDraws);
  graphics::SetLighting(false);
  graphics::ModelDestroy(id);
  graphics::SetMode3D(false);
}

// --- the floor -----------------------------------------------------------------------------------

const char* kFloorVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
uniform mat4 uWorld, uViewProjection;
uniform vec3 uLightDirection, uLightColour;
out vec4 vColour;
void main() {
  vec3 n = mat3(uWorld) * aNormal;
  vColour = vec4(clamp(uLightColour * aColour.rgb * max(dot(n, -normalize(uLightDirection)), 0.0), 0.0, 1.0), aColour.a);
  gl_Position = uViewProjection * (uWorld * vec4(aPosition, 1.0));
}
)";
const char* kFloorFragment = R"(#version 330 core
in vec4 vColour;
out vec4 fragColour;
void main() { fragColour = vColour; }
)";

void BM_FloorModelLit100(benchmark::State& state) {
  if (!Ready()) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  // The same vertices the model path uploads.
  const int id = MakeModel();
  std::vector<platform::Vertex> vertices;
  std::vector<graphics::ModelRun> runs;
  graphics::BuildModelVertices(graphics::GetModel(id)->entries, 0xFFC0C0C0, vertices, runs);
  graphics::ModelDestroy(id);
  const bench::FloorProgram program(kFloorVertex, kFloorFragment);
  const bench::FloorFrame target(/*withDepth=*/true);
  GLuint vao = 0, vbo = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(platform::Vertex)), vertices.data(), GL_STATIC_DRAW);
  const GLsizei stride = sizeof(platform::Vertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(platform::Vertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(platform::Vertex, nx)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offsetof(platform::Vertex, colour)));
  glUseProgram(program.id());
  glViewport(0, 0, 640, 480);
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  // The same camera as the device's perspective view of (0, 0, 640, 480).
  const platform::Matrix vp = graphics::D3DXMatrixMultiply(
      graphics::D3DXMatrixLookAtLH({320, 240, -640}, {320, 240, 0}, {0, 1, 0}),
      graphics::D3DXMatrixPerspectiveLH(1, 480.0 / 640, 1, 32000));
  glUniformMatrix4fv(program.uniform("uViewProjection"), 1, GL_FALSE, vp.m.data());
  glUniform3f(program.uniform("uLightDirection"), 0.3f, 0.2f, 1.0f);
  glUniform3f(program.uniform("uLightColour"), 1, 1, 1);
  const GLint world = program.uniform("uWorld");
  const auto frame = [&] {
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int k = 0; k < kDraws; ++k) {
      const platform::Matrix m = graphics::D3DXMatrixTranslation(PlaceX(k), PlaceY(k), 0);
      glUniformMatrix4fv(world, 1, GL_FALSE, m.m.data());
      glDrawArrays(GL_TRIANGLES, 0, GLsizei(vertices.size()));
    }
    uint32_t pixel = 0;
    glReadPixels(0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
    benchmark::DoNotOptimize(pixel);
  };
  frame();
  for (auto _ : state) frame();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = double(kColumns * kRows * 2 * kDraws);
  glDeleteBuffers(1, &vbo);
  glDeleteVertexArrays(1, &vao);
  // The device binds its own objects again.
  graphics::display().resetDevice();
}

}  // namespace

BENCHMARK(BM_ModelLit100)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FloorModelLit100)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
