#include "motion/collision.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "code/rounding.h"
#include "graphics/sprite.h"
#include "world/instance.h"

namespace qv::motion {

namespace {

const graphics::CSprite* collisionSprite(const world::CInstance& in) {
  return graphics::sprites().get(in.maskIndex >= 0 ? in.maskIndex : in.spriteIndex);
}

int64_t rounded(double v) { return code::roundToInt64(v); }

// The pixels of a box, inclusive.
struct PixelBox {
  int64_t left, top, right, bottom;
  bool empty() const { return left > right || top > bottom; }
};
PixelBox boxOf(const world::CInstance& in) { return {in.bboxLeft, in.bboxTop, in.bboxRight, in.bboxBottom}; }
PixelBox intersect(const PixelBox& a, const PixelBox& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// Whether the shape's rectangle (reals, any order) meets the box of a live instance: the first
// step of every shape test.
bool rectangleMeetsBox(const world::CInstance& in, double x1, double y1, double x2, double y2) {
  const double xa = std::min(x1, x2), xb = std::max(x1, x2), ya = std::min(y1, y2), yb = std::max(y1, y2);
  return xa < in.bboxRight + 1.0 && in.bboxLeft <= xb && ya < in.bboxBottom + 1.0 && in.bboxTop <= yb &&
         !in.destroyed;
}

// Any set pixel of the instance's mask inside the area (already within its box).
bool anyPixel(const MaskSampler& m, const PixelBox& area) {
  for (int64_t px = area.left; px <= area.right; ++px)
    for (int64_t py = area.top; py <= area.bottom; ++py)
      if (m.At(px, py)) return true;
  return false;
}

}  // namespace

bool MaskSampler::Bind(const world::CInstance& in) {
  const graphics::CSprite* sprite = collisionSprite(in);
  if (!sprite || sprite->frameCount() < 1) return false;
  mask_ = sprite->frameMask(code::floorModulo(in.imageIndex, sprite->frameCount()));
  if (!mask_ || mask_->width <= 0 || mask_->height <= 0) return false;
  x_ = rounded(in.x);
  y_ = rounded(in.y);
  ox_ = sprite->xOrigin;
  oy_ = sprite->yOrigin;
  xscale_ = in.imageXscale;
  yscale_ = in.imageYscale;
  unrotated_ = in.imageAngle == 0;
  unscaled_ = unrotated_ && xscale_ == 1 && yscale_ == 1;
  if (unrotated_) {
    sin_ = -0.0;  // sin(-0) and cos(-0), without the calls that every search would pay for
    cos_ = 1.0;
    return true;
  }
  const double a = in.imageAngle * std::numbers::pi / 180;
  sin_ = std::sin(-a);
  cos_ = std::cos(-a);
  return true;
}

// A zero scale divides into infinities or NaN: no cell is addressed, so nothing is set.
bool MaskSampler::cell(double u, double v) const {
  if (!(u >= 0 && u < mask_->width && v >= 0 && v < mask_->height)) return false;
  return mask_->bit(static_cast<int>(u), static_cast<int>(v));
}

bool MaskSampler::At(int64_t px, int64_t py) const {
  if (unscaled_) {
    // Positions of instances placed at extreme values lie so far away that the distance itself
    // overflows: such a point is outside the mask.
    int64_t u, v;
    if (__builtin_sub_overflow(px, x_, &u) || __builtin_add_overflow(u, static_cast<int64_t>(ox_), &u) ||
        __builtin_sub_overflow(py, y_, &v) || __builtin_add_overflow(v, static_cast<int64_t>(oy_), &v))
      return false;
    return u >= 0 && u < mask_->width && v >= 0 && v < mask_->height &&
           mask_->bit(static_cast<int>(u), static_cast<int>(v));
  }
  return AtReal(static_cast<double>(px), static_cast<double>(py));
}

bool MaskSampler::AtReal(double px, double py) const {
  const double dx = px - static_cast<double>(x_), dy = py - static_cast<double>(y_);
  if (unrotated_) return cell(std::floor(ox_ + dx / xscale_), std::floor(oy_ + dy / yscale_));
  return cell(std::floor(ox_ + (dy * sin_ + dx * cos_) / xscale_), std::floor(oy_ + (dy * cos_ - dx * sin_) / yscale_));
}

bool BoxesOverlap(const world::CInstance& a, const world::CInstance& b) {
  return b.bboxLeft <= a.bboxRight && a.bboxLeft <= b.bboxRight && b.bboxTop <= a.bboxBottom &&
         a.bboxTop <= b.bboxBottom;
}

bool InstancesCollide(const world::CInstance& a, const world::CInstance& b, bool precise) {
  if (!BoxesOverlap(a, b)) return false;
  if (&a == &b || a.destroyed || b.destroyed) return false;
  if (!precise) return true;
  MaskSampler ma, mb;
  if (!ma.Bind(a) || !mb.Bind(b)) return false;
  const PixelBox area = intersect(boxOf(a), boxOf(b));
  for (int64_t px = area.left; px <= area.right; ++px)
    for (int64_t py = area.top; py <= area.bottom; ++py)
      if (ma.At(px, py) && mb.At(px, py)) return true;
  return false;
}

bool InstanceTouchesPoint(const world::CInstance& in, double x, double y, bool precise) {
  if (!(in.bboxLeft <= x && x < in.bboxRight + 1.0 && in.bboxTop <= y && y < in.bboxBottom + 1.0)) return false;
  if (in.destroyed) return false;
  if (!precise) return true;
  MaskSampler m;
  return m.Bind(in) && m.At(rounded(x), rounded(y));
}

bool InstanceTouchesRectangle(const world::CInstance& in, double x1, double y1, double x2, double y2, bool precise) {
  if (!rectangleMeetsBox(in, x1, y1, x2, y2)) return false;
  if (!precise) return true;
  MaskSampler m;
  if (!m.Bind(in)) return false;
  const PixelBox shape{rounded(std::min(x1, x2)), rounded(std::min(y1, y2)), rounded(std::max(x1, x2)),
                       rounded(std::max(y1, y2))};
  return anyPixel(m, intersect(shape, boxOf(in)));
}

bool InstanceTouchesEllipse(const world::CInstance& in, double x1, double y1, double x2, double y2, bool precise) {
  if (!rectangleMeetsBox(in, x1, y1, x2, y2)) return false;
  // A flat ellipse is its rectangle.
  if (rounded(x1) == rounded(x2) || rounded(y1) == rounded(y2))
    return InstanceTouchesRectangle(in, x1, y1, x2, y2, precise);
  const PixelBox r{rounded(std::min(x1, x2)), rounded(std::min(y1, y2)), rounded(std::max(x1, x2)),
                   rounded(std::max(y1, y2))};
  // Centre and half sizes are single-precision values.
  const float cx = static_cast<float>(r.left + r.right) / 2, cy = static_cast<float>(r.top + r.bottom) / 2;
  const float hw = static_cast<float>(r.right - r.left) / 2, hh = static_cast<float>(r.bottom - r.top) / 2;
  auto inside = [&](double p, double q) {
    const double u = (p - cx) / hw, v = (q - cy) / hh;
    return u * u + v * v <= 1;
  };
  const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
  const double l = in.bboxLeft, t = in.bboxTop, rt = in.bboxRight, b = in.bboxBottom;
  if ((mx < l || mx > rt) && (my < t || my > b) && !inside(l, t) && !inside(l, b) && !inside(rt, t) &&
      !inside(rt, b))
    return false;
  if (!precise) return true;
  MaskSampler m;
  if (!m.Bind(in)) return false;
  const PixelBox area = intersect(r, boxOf(in));
  for (int64_t px = area.left; px <= area.right; ++px)
    for (int64_t py = area.top; py <= area.bottom; ++py)
      if (inside(static_cast<double>(px), static_cast<double>(py)) && m.At(px, py)) return true;
  return false;
}

bool InstanceTouchesLine(const world::CInstance& in, double x1, double y1, double x2, double y2, bool precise) {
  if (!rectangleMeetsBox(in, x1, y1, x2, y2)) return false;
  if (x2 < x1) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  // Clip the line to the box's columns (the box ends one past its right pixel).
  const double left = in.bboxLeft, right = in.bboxRight + 1.0;
  if (x1 < left) {
    y1 += (y2 - y1) * (left - x1) / (x2 - x1);
    x1 = left;
  }
  if (x2 > right) {
    y2 = y1 + (y2 - y1) * (right - x1) / (x2 - x1);
    x2 = right;
  }
  const double top = in.bboxTop, bottom = in.bboxBottom + 1.0;
  if ((y1 < top && y2 < top) || (y1 >= bottom && y2 >= bottom)) return false;
  if (!precise) return true;
  MaskSampler m;
  if (!m.Bind(in)) return false;
  const int64_t X1 = rounded(x1), Y1 = rounded(y1), X2 = rounded(x2), Y2 = rounded(y2);
  if (X1 == X2 || Y1 == Y2) {
    const PixelBox shape{X1, std::min(Y1, Y2), X2, std::max(Y1, Y2)};
    return anyPixel(m, intersect(shape, boxOf(in)));
  }
  const double dx = static_cast<double>(X2 - X1), dy = static_cast<double>(Y2 - Y1);
  if (std::llabs(X2 - X1) < std::llabs(Y2 - Y1)) {
    // Steep: one sample per row, at the real x of the line there.
    const int64_t from = std::max<int64_t>(in.bboxTop, std::min(Y1, Y2));
    const int64_t to = std::min<int64_t>(in.bboxBottom, std::max(Y1, Y2));
    for (int64_t row = from; row <= to; ++row) {
      const double x = static_cast<double>(X1) + static_cast<double>(row - Y1) * dx / dy;
      if (m.AtReal(x, static_cast<double>(row))) return true;
    }
    return false;
  }
  const int64_t from = std::max<int64_t>(in.bboxLeft, X1), to = std::min<int64_t>(in.bboxRight, X2);
  for (int64_t column = from; column <= to; ++column) {
    const double y = static_cast<double>(Y1) + static_cast<double>(column - X1) * dy / dx;
    if (m.AtReal(static_cast<double>(column), y)) return true;
  }
  return false;
}

}  // namespace qv::motion
