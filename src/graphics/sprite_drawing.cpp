#include "graphics/sprite_drawing.h"

#include <algorithm>
#include <cmath>

#include "graphics/colour.h"
#include "graphics/font.h"
#include "graphics/texture_table.h"

namespace qv::graphics {

namespace {

constexpr double kPi = 3.14159265358979323846;

// One quad as a fan of four vertices (top-left, top-right, bottom-right, bottom-left) with the
// image's texture coordinates, addressing clamped.
void DrawQuad(int texture, int w, int h, double x, double y, double left, double top, double right, double bottom,
              double rot, uint32_t argb) {
  platform::Device* device = display().device();
  const TextureEntry* e = textures().entry(texture);
  if (!device || !e) return;
  platform::RenderState s = device->state();
  s.stage0.addressU = s.stage0.addressV = platform::TextureAddress::Clamp;
  device->setState(s);
  textures().bind(texture);
  const float u = float(double(w) / e->textureWidth), v = float(double(h) / e->textureHeight);
  const double offsets[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  const float uv[4][2] = {{0, 0}, {u, 0}, {u, v}, {0, v}};
  const double a = rot * kPi / 180.0;
  const bool turned = std::fabs(a) >= 0.001;
  const double c = std::cos(a), sn = std::sin(a);
  platform::Vertex q[4];
  for (int i = 0; i < 4; ++i) {
    const double cx = offsets[i][0], cy = offsets[i][1];
    q[i].x = float(turned ? x + cx * c + cy * sn : x + cx);
    q[i].y = float(turned ? y - cx * sn + cy * c : y + cy);
    q[i].z = 0.0f;
    q[i].colour = argb;
    q[i].u = uv[i][0];
    q[i].v = uv[i][1];
  }
  device->draw(platform::PrimitiveType::TriangleFan, q, 4);
}

}  // namespace

void DrawSprite(const CSprite& s, int subimg, double x, double y) {
  const int i = s.frameIndex(subimg);
  if (i < 0) return;
  const data::TBitmap32& f = s.frames[size_t(i)];
  const double left = -s.xOrigin - 0.5, top = -s.yOrigin - 0.5;
  DrawQuad(s.frameTexture(i), f.width, f.height, x, y, left, top, left + f.width, top + f.height, 0.0, 0xFFFFFFFF);
}

void DrawSpriteExt(const CSprite& s, int subimg, double x, double y, double xscale, double yscale, double rot,
                   int32_t colour, double alpha) {
  const int i = s.frameIndex(subimg);
  if (i < 0) return;
  const data::TBitmap32& f = s.frames[size_t(i)];
  const double left = -xscale * s.xOrigin - 0.5, top = -yscale * s.yOrigin - 0.5;
  DrawQuad(s.frameTexture(i), f.width, f.height, x, y, left, top, left + xscale * f.width, top + yscale * f.height,
           rot, ScriptToDevice(colour, alpha));
}

void DrawBackground(const CBackground& b, double x, double y) {
  DrawQuad(b.texture, b.width(), b.height(), x, y, -0.5, -0.5, b.width() - 0.5, b.height() - 0.5, 0.0, 0xFFFFFFFF);
}

void DrawImage(const Image& img, double x, double y) {
  const double left = -img.xOrigin - 0.5, top = -img.yOrigin - 0.5;
  DrawQuad(img.texture, img.width, img.height, x, y, left, top, left + img.width, top + img.height, 0.0, 0xFFFFFFFF);
}

void DrawBackgroundExt(const CBackground& b, double x, double y, double xscale, double yscale, double rot,
                       int32_t colour, double alpha) {
  DrawQuad(b.texture, b.width(), b.height(), x, y, -0.5, -0.5, xscale * b.width() - 0.5, yscale * b.height() - 0.5,
           rot, ScriptToDevice(colour, alpha));
}

bool PrepareGraphics(const DisplaySettings& settings) {
  if (!display().prepare(settings)) return false;
  for (int i = 0; i < backgrounds().count(); ++i)
    if (CBackground* b = backgrounds().get(i)) CreateBackgroundTexture(*b);
  for (int i = 0; i < sprites().count(); ++i)
    if (CSprite* s = sprites().get(i)) CreateSpriteTextures(*s);
  CreateFontTextures();
  display().beginFrame();
  return true;
}

}  // namespace qv::graphics
