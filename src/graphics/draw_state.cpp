#include "graphics/draw_state.h"

#include <algorithm>
#include <cmath>

#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/texture_table.h"

namespace qv::graphics {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void DrawState::setCirclePrecision(int precision) {
  precision = std::clamp(precision, 4, 64);
  circlePrecision = precision - precision % 4;
  for (int k = 0; k <= circlePrecision; ++k) {
    circleCos[size_t(k)] = std::cos(2.0 * kPi * k / circlePrecision);
    circleSin[size_t(k)] = std::sin(2.0 * kPi * k / circlePrecision);
  }
}

int32_t DrawState::scriptColour() const { return DeviceToScript(colour); }

DrawState& drawState() {
  static DrawState state;
  return state;
}

platform::Vertex MakeVertex(double x, double y, uint32_t argb, double u, double v) {
  platform::Vertex p;
  p.x = float(x);
  p.y = float(y);
  p.z = float(drawState().depth);
  p.colour = argb;
  p.u = float(u);
  p.v = float(v);
  return p;
}

void DrawShape(platform::PrimitiveType type, const platform::Vertex* vertices, int count) {
  platform::Device* device = display().device();
  if (!device || count <= 0) return;
  textures().bind(-1);
  device->draw(type, vertices, count);
}

void DrawTexturedQuad(int texture, double srcX, double srcY, double srcW, double srcH, double x, double y,
                      double left, double top, double right, double bottom, double rot,
                      const std::array<uint32_t, 4>& colours) {
  platform::Device* device = display().device();
  const TextureEntry* e = textures().entry(texture);
  if (!device || !e || e->textureWidth < 1 || e->textureHeight < 1) return;
  platform::RenderState s = device->state();
  s.stage0.addressU = s.stage0.addressV = platform::TextureAddress::Clamp;
  device->setState(s);
  textures().bind(texture);
  const double tw = e->textureWidth, th = e->textureHeight;
  const double u0 = srcX / tw, v0 = srcY / th, u1 = (srcX + srcW) / tw, v1 = (srcY + srcH) / th;
  const double offsets[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  const double uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
  const double a = rot * kPi / 180.0;
  const bool turned = std::fabs(a) >= 0.001;
  const double c = std::cos(a), sn = std::sin(a);
  platform::Vertex q[4];
  for (size_t i = 0; i < 4; ++i) {
    const double cx = offsets[i][0], cy = offsets[i][1];
    q[i] = MakeVertex(turned ? x + cx * c + cy * sn : x + cx, turned ? y - cx * sn + cy * c : y + cy, colours[i],
                      uv[i][0], uv[i][1]);
  }
  device->draw(platform::PrimitiveType::TriangleFan, q, 4);
}

}  // namespace qv::graphics
