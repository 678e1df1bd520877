#include "graphics/d3dx.h"

#include <cmath>
#include <fstream>

namespace qv::graphics {

namespace {
Matrix Identity() { return Matrix{}; }
float F(double v) { return static_cast<float>(v); }
Vector3 Sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Normalize(const Vector3& v) {
  const double l = std::sqrt(Dot(v, v));
  if (l == 0.0) return v;
  return {v.x / l, v.y / l, v.z / l};
}
}  // namespace

Matrix D3DXMatrixScaling(double sx, double sy, double sz) {
  Matrix m = Identity();
  m(0, 0) = F(sx);
  m(1, 1) = F(sy);
  m(2, 2) = F(sz);
  return m;
}

Matrix D3DXMatrixTranslation(double x, double y, double z) {
  Matrix m = Identity();
  m(3, 0) = F(x);
  m(3, 1) = F(y);
  m(3, 2) = F(z);
  return m;
}

Matrix D3DXMatrixRotationX(double a) {
  Matrix m = Identity();
  const double c = std::cos(a), s = std::sin(a);
  m(1, 1) = F(c); m(1, 2) = F(s);
  m(2, 1) = F(-s); m(2, 2) = F(c);
  return m;
}

Matrix D3DXMatrixRotationY(double a) {
  Matrix m = Identity();
  const double c = std::cos(a), s = std::sin(a);
  m(0, 0) = F(c); m(0, 2) = F(-s);
  m(2, 0) = F(s); m(2, 2) = F(c);
  return m;
}

Matrix D3DXMatrixRotationZ(double a) {
  Matrix m = Identity();
  const double c = std::cos(a), s = std::sin(a);
  m(0, 0) = F(c); m(0, 1) = F(s);
  m(1, 0) = F(-s); m(1, 1) = F(c);
  return m;
}

Matrix D3DXMatrixRotationAxis(const Vector3& axis, double a) {
  const Vector3 v = Normalize(axis);
  const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
  Matrix m = Identity();
  m(0, 0) = F(t * v.x * v.x + c);
  m(0, 1) = F(t * v.x * v.y + s * v.z);
  m(0, 2) = F(t * v.x * v.z - s * v.y);
  m(1, 0) = F(t * v.x * v.y - s * v.z);
  m(1, 1) = F(t * v.y * v.y + c);
  m(1, 2) = F(t * v.y * v.z + s * v.x);
  m(2, 0) = F(t * v.x * v.z + s * v.y);
  m(2, 1) = F(t * v.y * v.z - s * v.x);
  m(2, 2) = F(t * v.z * v.z + c);
  return m;
}

Matrix D3DXMatrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a(r, k) * b(k, c);
      m(r, c) = sum;
    }
  return m;
}

Matrix D3DXMatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
  const Vector3 z = Normalize(Sub(at, eye));
  const Vector3 x = Normalize(Cross(up, z));
  const Vector3 y = Cross(z, x);
  Matrix m = Identity();
  m(0, 0) = F(x.x); m(0, 1) = F(y.x); m(0, 2) = F(z.x);
  m(1, 0) = F(x.y); m(1, 1) = F(y.y); m(1, 2) = F(z.y);
  m(2, 0) = F(x.z); m(2, 1) = F(y.z); m(2, 2) = F(z.z);
  m(3, 0) = F(-Dot(x, eye)); m(3, 1) = F(-Dot(y, eye)); m(3, 2) = F(-Dot(z, eye));
  return m;
}

Matrix D3DXMatrixPerspectiveFovLH(double fovY, double aspect, double zn, double zf) {
  const double yScale = 1.0 / std::tan(fovY / 2.0), xScale = yScale / aspect;
  Matrix m;
  m.m.fill(0.0f);
  m(0, 0) = F(xScale);
  m(1, 1) = F(yScale);
  m(2, 2) = F(zf / (zf - zn));
  m(2, 3) = 1.0f;
  m(3, 2) = F(-zn * zf / (zf - zn));
  return m;
}

Matrix D3DXMatrixPerspectiveLH(double w, double h, double zn, double zf) {
  Matrix m;
  m.m.fill(0.0f);
  m(0, 0) = F(2.0 * zn / w);
  m(1, 1) = F(2.0 * zn / h);
  m(2, 2) = F(zf / (zf - zn));
  m(2, 3) = 1.0f;
  m(3, 2) = F(zn * zf / (zn - zf));
  return m;
}

Matrix D3DXMatrixOrthoLH(double w, double h, double zn, double zf) {
  Matrix m = Identity();
  m(0, 0) = F(2.0 / w);
  m(1, 1) = F(2.0 / h);
  m(2, 2) = F(1.0 / (zf - zn));
  m(3, 2) = F(zn / (zn - zf));
  return m;
}

namespace {
int NextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}
}  // namespace

bool D3DXCheckTextureRequirements(const platform::Device& device, int& width, int& height) {
  const int maxSize = device.limits().maxTextureSize;
  if (width < 1 || height < 1 || width > maxSize || height > maxSize) return false;
  if (device.limits().powerOfTwoTextures) {
    width = NextPowerOfTwo(width);
    height = NextPowerOfTwo(height);
  }
  return width <= maxSize && height <= maxSize;
}

platform::TextureHandle D3DXCreateTexture(platform::Device& device, int width, int height, bool renderTarget) {
  return device.createTexture(width, height, renderTarget);
}

bool D3DXLoadSurfaceFromMemory(platform::Device& device, platform::TextureHandle t, const uint32_t* pixels, int w,
                               int h, int pitch) {
  return device.uploadTexture(t, 0, 0, w, h, pixels, pitch);
}

bool WriteHelperLibrary(const std::string& tempDir, const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream f(tempDir + "/" + name, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace qv::graphics
