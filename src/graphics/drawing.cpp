// Shapes, the primitive buffer and textured images.
//
// Shapes use the raw coordinates (pixel centres lie on whole numbers); only textured quads carry
// the half-pixel offsets. Rectangles add 0.01 to a whole-number right or bottom edge so that the
// pixels of that column and row are covered.
#include "graphics/drawing.h"

#include <algorithm>
#include <cmath>

#include "code/rounding.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/texture_table.h"

namespace qv::graphics {

using platform::PrimitiveType;
using platform::Vertex;

namespace {

struct Box2 {
  double x1, y1, x2, y2;
};

// Corners ordered, and a whole-number far edge moved by 0.01 to cover its pixels.
Box2 OrderedBox(double x1, double y1, double x2, double y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x2 == std::floor(x2)) x2 += 0.01;
  if (y2 == std::floor(y2)) y2 += 0.01;
  return {x1, y1, x2, y2};
}

void Ring(double cx, double cy, double rx, double ry, int from, int to, std::vector<Vertex>& out, uint32_t c) {
  const DrawState& ds = drawState();
  for (int k = from; k <= to; ++k)
    out.push_back(MakeVertex(cx + rx * ds.circleCos[size_t(k)], cy + ry * ds.circleSin[size_t(k)], c));
}

}  // namespace

// --- shapes --------------------------------------------------------------------------------------

void DrawPoint(double x, double y, uint32_t c) {
  const Vertex v = MakeVertex(x, y, c);
  DrawShape(PrimitiveType::PointList, &v, 1);
}

void DrawLine(double x1, double y1, double x2, double y2, uint32_t c1, uint32_t c2) {
  const Vertex v[2] = {MakeVertex(x1, y1, c1), MakeVertex(x2, y2, c2)};
  DrawShape(PrimitiveType::LineList, v, 2);
}

void DrawLineWidth(double x1, double y1, double x2, double y2, double w, uint32_t c1, uint32_t c2) {
  const double dx = x2 - x1, dy = y2 - y1, len = std::sqrt(dx * dx + dy * dy);
  if (len == 0) return;
  const double nx = -dy / len * w / 2, ny = dx / len * w / 2;
  const Vertex v[4] = {MakeVertex(x1 + nx, y1 + ny, c1), MakeVertex(x2 + nx, y2 + ny, c2),
                       MakeVertex(x2 - nx, y2 - ny, c2), MakeVertex(x1 - nx, y1 - ny, c1)};
  DrawShape(PrimitiveType::TriangleFan, v, 4);
}

void DrawRectangle(double x1, double y1, double x2, double y2, const std::array<uint32_t, 4>& c, bool outline) {
  const Box2 b = OrderedBox(x1, y1, x2, y2);
  const Vertex v[5] = {MakeVertex(b.x1, b.y1, c[0]), MakeVertex(b.x2, b.y1, c[1]), MakeVertex(b.x2, b.y2, c[2]),
                       MakeVertex(b.x1, b.y2, c[3]), MakeVertex(b.x1, b.y1, c[0])};
  if (outline)
    DrawShape(PrimitiveType::LineStrip, v, 5);
  else
    DrawShape(PrimitiveType::TriangleFan, v, 4);
}

void DrawRoundRect(double x1, double y1, double x2, double y2, uint32_t centre, uint32_t edge, bool outline) {
  const Box2 b = OrderedBox(x1, y1, x2, y2);
  // Corner arcs: quarter ellipses of diameter 10, at most the box's size, inside the corners.
  const double rx = std::min(10.0, b.x2 - b.x1) / 2, ry = std::min(10.0, b.y2 - b.y1) / 2;
  const int q = drawState().circlePrecision / 4;
  std::vector<Vertex> v;
  if (!outline) v.push_back(MakeVertex((b.x1 + b.x2) / 2, (b.y1 + b.y2) / 2, centre));
  // The table runs clockwise on the screen from the right: bottom-right, bottom-left, top-left, top-right.
  Ring(b.x2 - rx, b.y2 - ry, rx, ry, 0, q, v, edge);
  Ring(b.x1 + rx, b.y2 - ry, rx, ry, q, 2 * q, v, edge);
  Ring(b.x1 + rx, b.y1 + ry, rx, ry, 2 * q, 3 * q, v, edge);
  Ring(b.x2 - rx, b.y1 + ry, rx, ry, 3 * q, 4 * q, v, edge);
  v.push_back(v[outline ? 0 : 1]);  // closed
  DrawShape(outline ? PrimitiveType::LineStrip : PrimitiveType::TriangleFan, v.data(), int(v.size()));
}

void DrawTriangle(double x1, double y1, double x2, double y2, double x3, double y3, uint32_t c1, uint32_t c2,
                  uint32_t c3, bool outline) {
  const Vertex v[4] = {MakeVertex(x1, y1, c1), MakeVertex(x2, y2, c2), MakeVertex(x3, y3, c3), MakeVertex(x1, y1, c1)};
  DrawShape(outline ? PrimitiveType::LineStrip : PrimitiveType::TriangleList, v, outline ? 4 : 3);
}

void DrawEllipse(double x1, double y1, double x2, double y2, uint32_t centre, uint32_t edge, bool outline) {
  const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2, rx = std::fabs(x2 - x1) / 2, ry = std::fabs(y2 - y1) / 2;
  std::vector<Vertex> v;
  if (!outline) v.push_back(MakeVertex(cx, cy, centre));
  Ring(cx, cy, rx, ry, 0, drawState().circlePrecision, v, edge);
  DrawShape(outline ? PrimitiveType::LineStrip : PrimitiveType::TriangleFan, v.data(), int(v.size()));
}

void DrawArrow(double x1, double y1, double x2, double y2, double size, uint32_t c) {
  const double dx = x2 - x1, dy = y2 - y1, d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) return;
  size = std::min(size, d);
  DrawLine(x1, y1, x2, y2, c, c);
  const double ux = dx / d, uy = dy / d;
  const double bx = x2 - ux * size, by = y2 - uy * size, half = size / 3;
  const Vertex v[3] = {MakeVertex(x2, y2, c), MakeVertex(bx - uy * half, by + ux * half, c),
                       MakeVertex(bx + uy * half, by - ux * half, c)};
  DrawShape(PrimitiveType::TriangleList, v, 3);
}

void DrawButton(double x1, double y1, double x2, double y2, bool up, uint32_t face) {
  const uint32_t alpha = face & 0xFF000000;
  const uint32_t light = alpha | 0xFFFFFF, dark = alpha | 0x808080;
  const uint32_t first = up ? light : dark, second = up ? dark : light;
  const Vertex v[6] = {MakeVertex(x1, y1, first),  MakeVertex(x2, y1, first),  MakeVertex(x1, y2, first),
                       MakeVertex(x2, y2, second), MakeVertex(x1, y2, second), MakeVertex(x2, y1, second)};
  DrawShape(PrimitiveType::TriangleList, v, 6);
  DrawRectangle(std::min(x1, x2) + 2, std::min(y1, y2) + 2, std::max(x1, x2) - 2, std::max(y1, y2) - 2,
                {face, face, face, face}, false);
}

void DrawHealthbar(double x1, double y1, double x2, double y2, double amount, int32_t back, int32_t minColour,
                   int32_t maxColour, int direction, bool showBack, bool showBorder, double alpha) {
  const uint32_t black = ScriptToDevice(0, alpha);
  const auto fill = [&](double a, double b, double c, double d, uint32_t col) {
    DrawRectangle(a, b, c, d, {col, col, col, col}, false);
    if (showBorder) DrawRectangle(a, b, c, d, {black, black, black, black}, true);
  };
  if (showBack) fill(x1, y1, x2, y2, ScriptToDevice(back, alpha));
  amount = std::clamp(amount, 0.0, 100.0);
  const double f = amount / 100;
  double bx1 = x1, by1 = y1, bx2 = x2, by2 = y2;
  switch (direction) {
    case 1: bx1 = x2 - (x2 - x1) * f; break;
    case 2: by2 = y1 + (y2 - y1) * f; break;
    case 3: by1 = y2 - (y2 - y1) * f; break;
    default: bx2 = x1 + (x2 - x1) * f; break;
  }
  const uint32_t mid = MergeColour(uint32_t(minColour), uint32_t(maxColour), 0.5);
  const uint32_t bar = amount > 50 ? MergeColour(mid, uint32_t(maxColour), (amount - 50) / 50)
                                   : MergeColour(uint32_t(minColour), mid, amount / 50);
  fill(bx1, by1, bx2, by2, ScriptToDevice(int32_t(bar & 0xFFFFFF), alpha));
}

// --- primitives ----------------------------------------------------------------------------------

void PrimitiveBegin(int kind, int texture) {
  DrawState& ds = drawState();
  ds.primitiveKind = kind;
  ds.primitiveTexture = texture;
  ds.primitive.clear();
}

void PrimitiveVertex(double x, double y, double u, double v, uint32_t c) {
  DrawState& ds = drawState();
  if (int(ds.primitive.size()) >= DrawState::kMaxPrimitiveVertices) return;  // the buffer is full
  ds.primitive.push_back(MakeVertex(x, y, c, u, v));
}

void PrimitiveEnd() {
  DrawState& ds = drawState();
  const int n = int(ds.primitive.size());
  int used = 0;
  switch (ds.primitiveKind) {
    case 1: used = n; break;
    case 2: used = n / 2 * 2; break;
    case 3: used = n >= 2 ? n : 0; break;
    case 4: used = n / 3 * 3; break;
    case 5:
    case 6: used = n >= 3 ? n : 0; break;
    default: return;
  }
  platform::Device* device = display().device();
  if (!device || used == 0) return;
  textures().bind(ds.primitiveTexture);
  device->draw(PrimitiveType(ds.primitiveKind), ds.primitive.data(), used);
  textures().bind(-1);
}

// --- textured images -----------------------------------------------------------------------------

Image SpriteImage(const CSprite& s, int subimg) {
  const int i = s.frameIndex(subimg);
  if (i < 0) return {};
  const data::TBitmap32& f = s.frames[size_t(i)];
  return Image{s.frameTexture(i), f.width, f.height, s.xOrigin, s.yOrigin};
}

Image BackgroundImage(const CBackground& b) { return Image{b.texture, b.width(), b.height(), 0, 0}; }

void DrawImageExt(const Image& img, double x, double y, double xscale, double yscale, double rot, uint32_t c) {
  const double left = -xscale * img.xOrigin - 0.5, top = -yscale * img.yOrigin - 0.5;
  DrawTexturedQuad(img.texture, 0, 0, img.width, img.height, x, y, left, top, left + xscale * img.width,
                   top + yscale * img.height, rot, {c, c, c, c});
}

void DrawImageGeneral(const Image& img, double left, double top, double width, double height, double x, double y,
                      double xscale, double yscale, double rot, const std::array<uint32_t, 4>& c) {
  DrawTexturedQuad(img.texture, left, top, width, height, x, y, -0.5, -0.5, xscale * width - 0.5,
                   yscale * height - 0.5, rot, c);
}

void DrawImageStretched(const Image& img, double x, double y, double w, double h, uint32_t c) {
  if (!(w > 0) || !(h > 0) || img.width < 1 || img.height < 1) return;
  Image plain = img;
  plain.xOrigin = plain.yOrigin = 0;
  DrawImageExt(plain, x, y, w / img.width, h / img.height, 0.0, c);
}

void DrawImageTiled(const Image& img, double x, double y, double xscale, double yscale, uint32_t c, bool tileH,
                    bool tileV, const Area& area) {
  const int64_t cw = code::roundToInt64(img.width * xscale), ch = code::roundToInt64(img.height * yscale);
  if (cw < 1 || ch < 1) return;
  // Start of the first cell: the remainder of the rounded position, moved left of 1, then
  // forward by whole cells until it reaches the area (computed, not stepped).
  const auto start = [](double pos, int64_t cell, double areaStart) {
    int64_t s = code::roundToInt64(pos) % cell;
    if (s >= 1) s -= cell;
    if (areaStart > double(s + cell)) s += int64_t(std::floor((areaStart - double(s)) / double(cell)) - 1) * cell;
    while (areaStart > double(s + cell)) s += cell;
    return s;
  };
  const double x0 = tileH ? double(start(x, cw, area.left)) : double(code::roundToInt64(x));
  const double y0 = tileV ? double(start(y, ch, area.top)) : double(code::roundToInt64(y));
  for (double cy = y0; cy < area.top + area.height; cy += double(ch)) {
    for (double cx = x0; cx < area.left + area.width; cx += double(cw)) {
      DrawImageExt(img, cx, cy, xscale, yscale, 0.0, c);
      if (!tileH) break;
    }
    if (!tileV) break;
  }
}

std::function<Area()>& roomArea() {
  static std::function<Area()> area = [] {
    return Area{0, 0, double(display().regionWidth), double(display().regionHeight)};
  };
  return area;
}

}  // namespace qv::graphics
