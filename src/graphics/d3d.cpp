// Sections: mode and settings; the primitive buffer; shapes; projections; the world
// transformation and its stack; lights.
#include "graphics/d3d.h"

#include <algorithm>
#include <cmath>

#include "graphics/colour.h"
#include "graphics/d3d_model.h"
#include "graphics/d3dx.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/texture_table.h"
#include "platform/message_box.h"

namespace qv::graphics {

using platform::Matrix;
using platform::Vertex;

namespace {
constexpr double kPi = 3.14159265358979323846;
double Radians(double degrees) { return -degrees * kPi / 180.0; }
}  // namespace

// --- mode and settings ---------------------------------------------------------------------------

bool SetMode3D(bool on) {
  Display& d = display();
  if (d.mode3d == on) return true;
  d.mode3d = on;
  d.perspective = on;
  d.hiddenSurfaceRemoval = on;
  d.applyRenderStates();
  if (!d.device()) return true;  // no device yet: the items take effect when it is made
  if (d.resetDevice()) return true;
  platform::showMessageBox(d.caption, "Failed to use 3D mode.");
  d.mode3d = false;
  d.resetDevice();
  return false;
}

void SetPerspective(bool on) { display().perspective = on; }

void SetHiddenSurfaceRemoval(bool on) {
  display().hiddenSurfaceRemoval = on;
  display().applyRenderStates();
}

void SetDrawDepth(double depth) {
  // NaN counts as 0 (clamping keeps it otherwise).
  drawState().depth = display().mode3d && !std::isnan(depth) ? std::clamp(depth, -16000.0, 16000.0) : 0.0;
}

void SetLighting(bool on) {
  display().lighting = on;
  display().applyRenderStates();
}

void SetSmoothShading(bool on) {
  display().smoothShading = on;
  display().applyRenderStates();
}

void SetFog(bool on, int32_t colour, double start, double end) {
  Display& d = display();
  d.fog = on;
  d.fogColour = colour;
  d.fogStart = start;
  d.fogEnd = end;
  d.applyRenderStates();
}

void SetCulling(bool on) {
  display().culling = on;
  display().applyRenderStates();
}

// --- the primitive buffer ------------------------------------------------------------------------

Primitive3D& primitive3D() {
  static Primitive3D p;
  return p;
}

Vertex Vertex3D(double x, double y, double z, double nx, double ny, double nz, uint32_t argb, double u, double v) {
  Vertex p;
  p.x = float(x);
  p.y = float(y);
  p.z = float(z);
  p.nx = float(nx);
  p.ny = float(ny);
  p.nz = float(nz);
  p.colour = argb;
  p.u = float(u);
  p.v = float(v);
  return p;
}

void Primitive3DBegin(int kind, int texture) {
  Primitive3D& p = primitive3D();
  p.kind = kind;
  p.texture = texture;
  p.vertices.clear();
}

void Primitive3DVertex(const Vertex& v) {
  Primitive3D& p = primitive3D();
  if (int(p.vertices.size()) < kMax3DVertices) p.vertices.push_back(v);
}

int UsedVertices(int kind, int n) {
  int primitives = 0;
  switch (kind) {
    case 1: primitives = n; break;
    case 2: primitives = n / 2; break;
    case 3: primitives = n - 1; break;
    case 4: primitives = n / 3; break;
    case 5:
    case 6: primitives = n - 2; break;
    default: return 0;
  }
  return primitives >= 1 ? n : 0;
}

void DrawPrimitive3D(int kind, int texture, const Vertex* v, int n) {
  platform::Device* device = display().device();
  const int used = UsedVertices(kind, n);
  if (!device || used == 0) return;
  // 2D images clamp their addressing on the device; 3D primitives follow the texture repeat item.
  platform::RenderState s = device->state();
  const auto address = display().textureRepeat ? platform::TextureAddress::Wrap : platform::TextureAddress::Clamp;
  s.stage0.addressU = s.stage0.addressV = address;
  device->setState(s);
  textures().bind(texture);
  device->draw(platform::PrimitiveType(kind), v, used);
  textures().bind(-1);
}

void Primitive3DEnd() {
  const Primitive3D& p = primitive3D();
  DrawPrimitive3D(p.kind, p.texture, p.vertices.data(), int(p.vertices.size()));
}

// --- shapes --------------------------------------------------------------------------------------

int ShapeSteps(int steps) { return std::clamp(steps, 3, 128); }

Shape BlockShape(const Box3D& b, double h, double v, uint32_t c) {
  struct Corner {
    double x, y, z, u, w;
  };
  const auto face = [&](double nx, double ny, double nz, std::array<Corner, 4> corners) {
    ShapeGroup g{6, {}};
    for (const Corner& k : corners) g.vertices.push_back(Vertex3D(k.x, k.y, k.z, nx, ny, nz, c, k.u, k.w));
    return g;
  };
  const double x1 = b.x1, y1 = b.y1, z1 = b.z1, x2 = b.x2, y2 = b.y2, z2 = b.z2;
  return {
      face(0, 0, -1, {{{x1, y1, z1, 0, 0}, {x1, y2, z1, 0, v}, {x2, y2, z1, h, v}, {x2, y1, z1, h, 0}}}),
      face(0, 0, 1, {{{x1, y1, z2, 0, 0}, {x2, y1, z2, h, 0}, {x2, y2, z2, h, v}, {x1, y2, z2, 0, v}}}),
      face(0, 1, 0, {{{x1, y2, z1, 0, 0}, {x1, y2, z2, 0, v}, {x2, y2, z2, h, v}, {x2, y2, z1, h, 0}}}),
      face(1, 0, 0, {{{x2, y2, z1, 0, 0}, {x2, y2, z2, 0, v}, {x2, y1, z2, h, v}, {x2, y1, z1, h, 0}}}),
      face(0, -1, 0, {{{x2, y1, z1, 0, 0}, {x2, y1, z2, 0, v}, {x1, y1, z2, h, v}, {x1, y1, z1, h, 0}}}),
      face(-1, 0, 0, {{{x1, y1, z1, 0, 0}, {x1, y1, z2, 0, v}, {x1, y2, z2, h, v}, {x1, y2, z1, h, 0}}}),
  };
}

namespace {

struct Rim {
  double cx, cy, cz, rx, ry, rz;
  int steps;
  explicit Rim(const Box3D& b, int s)
      : cx((b.x1 + b.x2) / 2), cy((b.y1 + b.y2) / 2), cz((b.z1 + b.z2) / 2), rx((b.x2 - b.x1) / 2),
        ry((b.y2 - b.y1) / 2), rz((b.z2 - b.z1) / 2), steps(ShapeSteps(s)) {}
  double angle(int t) const { return 2 * kPi * t / steps; }
  Vertex point(int t, double z, double nx, double ny, double nz, uint32_t c, double u, double v) const {
    return Vertex3D(cx + rx * std::cos(angle(t)), cy + ry * std::sin(angle(t)), z, nx, ny, nz, c, u, v);
  }
};

// The closed bottom of cylinders and cones: the centre at z1, then the rim from steps down to 0.
ShapeGroup Bottom(const Rim& r, const Box3D& b, uint32_t c) {
  ShapeGroup g{6, {Vertex3D(r.cx, r.cy, b.z1, 0, 0, -1, c, 0, 0)}};
  for (int t = r.steps; t >= 0; --t) g.vertices.push_back(r.point(t, b.z1, 0, 0, -1, c, 0, 0));
  return g;
}

}  // namespace

Shape CylinderShape(const Box3D& b, double h, double v, bool closed, int steps, uint32_t c) {
  const Rim r(b, steps);
  Shape shape;
  if (closed) {
    ShapeGroup top{6, {Vertex3D(r.cx, r.cy, b.z2, 0, 0, 1, c, 0, v)}};
    for (int t = 0; t <= r.steps; ++t) top.vertices.push_back(r.point(t, b.z2, 0, 0, 1, c, 0, v));
    shape.push_back(std::move(top));
  }
  ShapeGroup side{5, {}};
  for (int t = 0; t <= r.steps; ++t) {
    const double nx = std::cos(r.angle(t)), ny = std::sin(r.angle(t)), u = h * t / r.steps;
    side.vertices.push_back(r.point(t, b.z2, nx, ny, 0, c, u, v));
    side.vertices.push_back(r.point(t, b.z1, nx, ny, 0, c, u, 0));
  }
  shape.push_back(std::move(side));
  if (closed) shape.push_back(Bottom(r, b, c));
  return shape;
}

Shape ConeShape(const Box3D& b, double h, double v, bool closed, int steps, uint32_t c) {
  const Rim r(b, steps);
  Shape shape;
  ShapeGroup side{5, {}};
  for (int t = 0; t <= r.steps; ++t) {
    const double u = h * t / r.steps;
    side.vertices.push_back(Vertex3D(r.cx, r.cy, b.z2, 0, 0, 1, c, u, v));
    side.vertices.push_back(r.point(t, b.z1, std::cos(r.angle(t)), std::sin(r.angle(t)), 0, c, u, 0));
  }
  shape.push_back(std::move(side));
  if (closed) shape.push_back(Bottom(r, b, c));
  return shape;
}

Shape EllipsoidShape(const Box3D& b, double h, double v, int steps, uint32_t c) {
  const Rim r(b, steps);
  const int rings = (r.steps + 1) / 2;
  Shape shape;
  const auto point = [&](int t, int j) {
    const double phi = kPi * j / rings, th = r.angle(t);
    const double nx = std::sin(phi) * std::cos(th), ny = std::sin(phi) * std::sin(th), nz = std::cos(phi);
    return Vertex3D(r.cx + r.rx * nx, r.cy + r.ry * ny, r.cz + r.rz * nz, nx, ny, nz, c, h * t / r.steps,
                    v * j / rings);
  };
  for (int j = 0; j < rings; ++j) {
    ShapeGroup ring{5, {}};
    for (int t = 0; t <= r.steps; ++t) {
      ring.vertices.push_back(point(t, j));
      ring.vertices.push_back(point(t, j + 1));
    }
    shape.push_back(std::move(ring));
  }
  return shape;
}

Shape WallShape(const Box3D& b, double h, double v, uint32_t c) {
  const double dx = b.x2 - b.x1, dy = b.y2 - b.y1;
  const double l = std::sqrt(dx * dx + dy * dy);
  if (l == 0) return {};
  const double nx = dy / l, ny = -dx / l;
  return {ShapeGroup{6,
                     {Vertex3D(b.x1, b.y1, b.z1, nx, ny, 0, c, 0, 0), Vertex3D(b.x2, b.y2, b.z1, nx, ny, 0, c, h, 0),
                      Vertex3D(b.x2, b.y2, b.z2, nx, ny, 0, c, h, v), Vertex3D(b.x1, b.y1, b.z2, nx, ny, 0, c, 0, v)}}};
}

Shape FloorShape(const Box3D& b, double h, double v, uint32_t c) {
  return {ShapeGroup{6,
                     {Vertex3D(b.x1, b.y1, b.z1, 0, 0, 1, c, 0, 0), Vertex3D(b.x1, b.y2, b.z1, 0, 0, 1, c, 0, v),
                      Vertex3D(b.x2, b.y2, b.z2, 0, 0, 1, c, h, v), Vertex3D(b.x2, b.y1, b.z2, 0, 0, 1, c, h, 0)}}};
}

void DrawShape3D(const Shape& shape, int texture) {
  if (shape.empty()) return;
  Display& d = display();
  const bool repeat = d.textureRepeat;
  d.textureRepeat = true;
  d.applyRenderStates();
  for (const ShapeGroup& g : shape) DrawPrimitive3D(g.kind, texture, g.vertices.data(), int(g.vertices.size()));
  d.textureRepeat = repeat;
  d.applyRenderStates();
}

// --- projections ---------------------------------------------------------------------------------

void SetProjectionLookAt(double xf, double yf, double zf, double xt, double yt, double zt, double xu, double yu,
                         double zu) {
  // Every value goes to the helper functions as a 32-bit float.
  const auto f = [](double v) { return double(float(v)); };
  if (platform::Device* device = display().device())
    device->setTransformView(D3DXMatrixLookAtLH({f(xf), f(yf), f(zf)}, {f(xt), f(yt), f(zt)}, {f(xu), f(yu), f(zu)}));
}

void SetProjectionExt(double xf, double yf, double zf, double xt, double yt, double zt, double xu, double yu,
                      double zu, double angle, double aspect, double znear, double zfar) {
  SetProjectionLookAt(xf, yf, zf, xt, yt, zt, xu, yu, zu);
  const auto f = [](double v) { return double(float(v)); };
  if (platform::Device* device = display().device())
    device->setTransformProjection(D3DXMatrixPerspectiveFovLH(f(angle * kPi / 180.0), f(aspect), f(znear), f(zfar)));
}

void SetProjectionOrtho(double x, double y, double w, double h, double angle) {
  display().setOrthoProjection(x, y, w, h, angle);
}

void SetProjectionPerspective(double x, double y, double w, double h, double angle) {
  display().setPerspectiveProjection(x, y, w, h, angle);
}

// --- the world transformation and its stack ------------------------------------------------------

TransformStack& transformStack() {
  static TransformStack s;
  return s;
}

Matrix RotationXMatrix(double degrees) { return D3DXMatrixRotationX(Radians(degrees)); }
Matrix RotationYMatrix(double degrees) { return D3DXMatrixRotationY(Radians(degrees)); }
Matrix RotationZMatrix(double degrees) { return D3DXMatrixRotationZ(Radians(degrees)); }
Matrix RotationAxisMatrix(double xa, double ya, double za, double degrees) {
  return D3DXMatrixRotationAxis({xa, ya, za}, Radians(degrees));
}

Matrix WorldMatrix() {
  const platform::Device* device = display().device();
  return device ? device->world() : Matrix{};
}

void SetWorld(const Matrix& m) {
  if (platform::Device* device = display().device()) device->setTransformWorld(m);
}

void AddWorld(const Matrix& m) { SetWorld(D3DXMatrixMultiply(WorldMatrix(), m)); }

bool StackPush() {
  TransformStack& s = transformStack();
  if (s.top >= kTransformSlots - 1) return false;
  s.slots[size_t(++s.top)] = WorldMatrix();
  return true;
}

bool StackPop() {
  TransformStack& s = transformStack();
  if (s.top < 0) return false;
  SetWorld(s.slots[size_t(s.top--)]);
  return true;
}

bool StackTop() {
  TransformStack& s = transformStack();
  if (s.top < 0) return false;
  SetWorld(s.slots[size_t(s.top)]);
  return true;
}

bool StackDiscard() {
  TransformStack& s = transformStack();
  if (s.top < 0) return false;
  --s.top;
  return true;
}

void StackClear() { transformStack().top = -1; }
bool StackEmpty() { return transformStack().top < 0; }

// --- lights --------------------------------------------------------------------------------------

namespace {

platform::ColourValue LightColour(int32_t c) {
  return {float(c & 255) / 255.0f, float((c >> 8) & 255) / 255.0f, float((c >> 16) & 255) / 255.0f, 0.0f};
}

// The device keeps eight lights; a definition keeps the light's enabled flag, as SetLight does.
void Define(int index, platform::Light light) {
  platform::Device* device = display().device();
  if (!device || index < 0 || index > 7) return;
  light.enabled = device->light(index).enabled;
  device->setLight(index, light);
}

}  // namespace

void LightDefineDirection(int index, double dx, double dy, double dz, int32_t colour) {
  platform::Light l;
  l.type = platform::LightType::Directional;
  l.diffuse = LightColour(colour);
  l.direction = {float(dx), float(dy), float(dz)};
  Define(index, l);
}

void LightDefinePoint(int index, double x, double y, double z, double range, int32_t colour) {
  platform::Light l;
  l.type = platform::LightType::Point;
  l.diffuse = LightColour(colour);
  l.position = {float(x), float(y), float(z)};
  l.direction = {0, 0, 0};
  l.range = float(range);
  l.attenuation0 = 1.0f;
  l.attenuation1 = range > 0 ? float(4.0 / range) : 0.0f;
  Define(index, l);
}

void LightEnable(int index, bool on) {
  platform::Device* device = display().device();
  if (!device || index < 0 || index > 7) return;
  platform::Light l = device->light(index);
  l.enabled = on;
  device->setLight(index, l);
}

void Reset3D() {
  StackClear();
  primitive3D() = Primitive3D();
  DestroyAllModels();
}

}  // namespace qv::graphics
