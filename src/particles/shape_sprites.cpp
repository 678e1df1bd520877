// How the shapes are made: each intensity image is a function of the position relative to the
// centre, sampled 4 x 4 times per pixel and averaged (soft edges without a separate filter). The
// noisy shapes (explosion, cloud, smoke) use value noise from a fixed integer hash, so every run
// makes the same pixels. The colour image is plain white, so a particle's colour tints the shape.
#include "particles/shape_sprites.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "graphics/bitmap_ops.h"
#include "graphics/texture_table.h"

namespace qv::particles {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentre = 32.5;  // the origin pixel's centre, where the particle's position falls

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// A fixed hash of a lattice point, 0..1.
double Hash(int x, int y, int salt) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(salt) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

// Value noise on a lattice of `cell` pixels, smoothly interpolated.
double Noise(double x, double y, double cell, int salt) {
  const double gx = x / cell + 16, gy = y / cell + 16;
  const int ix = int(std::floor(gx)), iy = int(std::floor(gy));
  double fx = gx - ix, fy = gy - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const double a = Hash(ix, iy, salt), b = Hash(ix + 1, iy, salt), c = Hash(ix, iy + 1, salt),
               d = Hash(ix + 1, iy + 1, salt);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double vx = bx - ax, vy = by - ay;
  const double t = std::clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
  return std::hypot(px - ax - t * vx, py - ay - t * vy);
}

// Inside the five-pointed star with its top point up (outer radius 30, inner 12).
bool InStar(double x, double y) {
  std::array<double, 20> v{};
  for (int k = 0; k < 10; ++k) {
    const double r = k % 2 ? 12.0 : 30.0, a = kPi / 2 + k * kPi / 5;
    v[size_t(2 * k)] = r * std::cos(a);
    v[size_t(2 * k + 1)] = -r * std::sin(a);
  }
  bool inside = false;
  for (int i = 0, j = 9; i < 10; j = i++) {
    const double xi = v[size_t(2 * i)], yi = v[size_t(2 * i + 1)], xj = v[size_t(2 * j)], yj = v[size_t(2 * j + 1)];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

// Brightness 0..1 of shape n at (x, y) from the centre (y down).
double Brightness(int n, double x, double y) {
  const double r = std::hypot(x, y);
  switch (n) {
    case 0: return std::fabs(x) < 1.5 && std::fabs(y) < 1.5 ? 1 : 0;  // pixel: a 3 x 3 dot
    case 1: return Clamp01((29 - r) / 2);                              // disk
    case 2: return std::fabs(x) <= 28 && std::fabs(y) <= 28 ? 1 : 0;  // square
    case 3: return std::fabs(y) <= 2 ? Clamp01((31 - std::fabs(x)) / 4) : 0;  // line along the x axis
    case 4: return InStar(x, y) ? 1 : 0;                              // star
    case 5: return Clamp01(2.5 - std::fabs(r - 27));                  // circle: a thin outline
    case 6: return std::exp(-((r - 23) / 4.5) * ((r - 23) / 4.5));    // ring: a soft band
    case 7: return r < 30 ? std::sqrt(1 - (r / 30) * (r / 30)) : 0;   // sphere: lit from the front
    case 8: {                                                          // flare: a core and two rays
      const double rays = std::exp(-std::fabs(y) / 1.2) * Clamp01(1 - std::fabs(x) / 31) +
                          std::exp(-std::fabs(x) / 1.2) * Clamp01(1 - std::fabs(y) / 31);
      return Clamp01(std::exp(-r / 6) + 0.8 * rays);
    }
    case 9: {                                                          // spark: eight thin rays
      double best = 0;
      for (int k = 0; k < 4; ++k) {
        const double a = k * kPi / 4, c = std::cos(a), s = std::sin(a);
        const double along = std::fabs(x * c + y * s), across = std::fabs(-x * s + y * c);
        const double reach = k % 2 ? 18.0 : 31.0;
        best = std::max(best, std::exp(-across / 0.8) * Clamp01(1 - along / reach));
      }
      return Clamp01(best + std::exp(-r / 3));
    }
    case 10: {                                                         // explosion: a ragged ball
      const double edge = 20 + 9 * Noise(std::atan2(y, x) * 6, 0, 1.3, 1);
      return Clamp01((edge - r) / 6) * (0.55 + 0.45 * Noise(x, y, 5, 2));
    }
    case 11: {                                                         // cloud: five soft puffs
      const double puffs[5][3] = {{-14, 4, 12}, {0, -6, 15}, {14, 3, 12}, {-4, 9, 11}, {7, 10, 10}};
      double v = 0;
      for (const auto& p : puffs) v = std::max(v, Clamp01((p[2] - std::hypot(x - p[0], y - p[1])) / 6));
      return v * (0.75 + 0.25 * Noise(x, y, 6, 3));
    }
    case 12: return std::exp(-(r / 17) * (r / 17)) * (0.45 + 0.55 * Noise(x, y, 7, 4));  // smoke
    case 13: {                                                         // snow flake: six arms, each with a pair of twigs
      double d = 1e9;
      for (int k = 0; k < 6; ++k) {
        const double a = k * kPi / 3, c = std::cos(a), s = std::sin(a);
        d = std::min(d, SegmentDistance(x, y, 0, 0, 28 * c, 28 * s));
        for (int side = -1; side <= 1; side += 2) {
          const double b = a + side * kPi / 4;
          d = std::min(d, SegmentDistance(x, y, 16 * c, 16 * s, 16 * c + 8 * std::cos(b), 16 * s + 8 * std::sin(b)));
        }
      }
      return Clamp01(2 - d);
    }
    default: return 0;
  }
}

std::array<std::unique_ptr<graphics::CSprite>, kShapeCount>& shapes() {
  static std::array<std::unique_ptr<graphics::CSprite>, kShapeCount> list;
  return list;
}

// The texture table generation each shape's textures were made in (0: none).
std::array<uint64_t, kShapeCount>& texturesMadeFor() {
  static std::array<uint64_t, kShapeCount> generations{};
  return generations;
}

}  // namespace

data::TBitmap32 ShapeIntensity(int32_t n) {
  data::TBitmap32 b(kShapeSide, kShapeSide, 0xFF000000);
  for (int py = 0; py < kShapeSide; ++py)
    for (int px = 0; px < kShapeSide; ++px) {
      double sum = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
          sum += Brightness(n, px + (sx + 0.5) / 4 - kCentre, py + (sy + 0.5) / 4 - kCentre);
      const uint32_t g = uint32_t(std::lround(Clamp01(sum / 16) * 255));
      b.setPixel(px, py, 0xFF000000u | g << 16 | g << 8 | g);
    }
  return b;
}

void MakeShapeSprites() {
  auto& list = shapes();
  if (list[0]) return;
  const data::TBitmap32 colour(kShapeSide, kShapeSide, 0xFFFFFFFF);
  for (int n = 0; n < kShapeCount; ++n) {
    auto s = std::make_unique<graphics::CSprite>();
    data::TBitmap32 frame = colour;
    graphics::AlphaFrom(frame, ShapeIntensity(n));
    s->frames.push_back(std::move(frame));
    s->xOrigin = s->yOrigin = 32;
    list[size_t(n)] = std::move(s);
  }
}

graphics::CSprite* ShapeSprite(int32_t n) {
  if (n < 0 || n >= kShapeCount) return nullptr;
  graphics::CSprite* s = shapes()[size_t(n)].get();
  if (!s) return nullptr;
  // Textures are made when a device exists to hold them (the sprites may be made before it). A
  // new device empties the texture table, so ids made for an earlier one are dropped unfreed: the
  // same numbers may belong to other pictures by now.
  auto& madeFor = texturesMadeFor();
  if (!graphics::textures().device()) return s;
  const uint64_t generation = graphics::textures().generation();
  const graphics::TextureEntry* e = s->textures.empty() ? nullptr : graphics::textures().entry(s->textures[0]);
  if (madeFor[size_t(n)] != generation || !e || !e->active) {
    if (madeFor[size_t(n)] != generation) s->textures.clear();
    graphics::CreateSpriteTextures(*s);
    madeFor[size_t(n)] = generation;
  }
  return s;
}

void ForgetShapeSprites() {
  for (size_t n = 0; n < shapes().size(); ++n) {
    // Their textures go with the sprites when the device that holds them is still there.
    auto& s = shapes()[n];
    if (s && graphics::textures().device() && texturesMadeFor()[n] == graphics::textures().generation())
      graphics::FreeSpriteTextures(*s);
    texturesMadeFor()[n] = 0;
    s.reset();
  }
}

}  // namespace qv::particles
