#include "graphics/mask.h"

#include <algorithm>
#include <cmath>

#include "data/stream.h"

namespace qv::graphics {

namespace {

// Sets the bits of a box by shape; the box is already clipped to the mask.
void FillShape(TMask& m, const data::TBitmap32* frame, const Box& b, int shape, int tolerance) {
  const double cx = (b.left + b.right) / 2.0, rx = cx - b.left + 0.5;
  const double cy = (b.top + b.bottom) / 2.0, ry = cy - b.top + 0.5;
  if ((shape == kShapeEllipse || shape == kShapeDiamond) && !(rx > 0.0 && ry > 0.0)) return;
  for (int x = b.left; x <= b.right; ++x) {
    for (int y = b.top; y <= b.bottom; ++y) {
      bool solid = false;
      switch (shape) {
        case kShapePrecise: solid = frame && int(GetPixel(*frame, x, y) >> 24) > tolerance; break;
        case kShapeRectangle: solid = true; break;
        case kShapeEllipse: {
          const double dx = (x - cx) / rx, dy = (y - cy) / ry;
          solid = dx * dx + dy * dy < 1.0;
          break;
        }
        case kShapeDiamond: solid = std::fabs(x - cx) / rx + std::fabs(y - cy) / ry < 1.0; break;
        default: break;
      }
      if (solid) m.setBit(x, y, true);
    }
  }
}

Box ClipBox(const TMask& m, Box b) {
  b.left = std::max(b.left, 0);
  b.top = std::max(b.top, 0);
  b.right = std::min(b.right, m.width - 1);
  b.bottom = std::min(b.bottom, m.height - 1);
  return b;
}

}  // namespace

TMask ComputeMask(const data::TBitmap32& frame, int boxKind, const Box& manual, int shape, int tolerance) {
  TMask m;
  m.width = std::max(frame.width, 0);
  m.height = std::max(frame.height, 0);
  m.bits.assign(size_t(m.width) * size_t(m.height), 0);
  Box b;
  if (boxKind == kBoxAutomatic) {
    b = AlphaBoundingBox(frame, tolerance);
  } else if (boxKind == kBoxFullImage) {
    b = Box{0, 0, m.width - 1, m.height - 1};
  } else {
    b = ClipBox(m, manual);
  }
  m.left = b.left;
  m.top = b.top;
  m.right = b.right;
  m.bottom = b.bottom;
  FillShape(m, &frame, ClipBox(m, b), shape, tolerance);
  return m;
}

void MergeMask(TMask& into, const TMask& other, int shape) {
  into.left = std::min(into.left, other.left);
  into.top = std::min(into.top, other.top);
  into.right = std::max(into.right, other.right);
  into.bottom = std::max(into.bottom, other.bottom);
  if (shape == kShapePrecise) {
    const int w = std::min(into.width, other.width), h = std::min(into.height, other.height);
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y)
        if (other.bit(x, y)) into.setBit(x, y, true);
  } else if (shape == kShapeRectangle) {
    FillShape(into, nullptr, ClipBox(into, into.box()), shape, 0);
  } else if (shape == kShapeEllipse || shape == kShapeDiamond) {
    // Every bit lies inside the merged box, so recomputing the box recomputes the whole mask.
    std::fill(into.bits.begin(), into.bits.end(), 0);
    FillShape(into, nullptr, ClipBox(into, into.box()), shape, 0);
  }
}

namespace {
constexpr int32_t kMaskVersion = 800;
}

bool ReadMaskRecord(data::CStream& s, TMask& out) {
  out = TMask();
  if (s.ReadInteger() != kMaskVersion) return true;  // an empty mask, all fields 0
  const int64_t w = s.ReadInteger(), h = s.ReadInteger();
  TMask m;
  m.left = s.ReadInteger();
  m.right = s.ReadInteger();
  m.bottom = s.ReadInteger();
  m.top = s.ReadInteger();
  // Each bit is four bytes in the data: a size the stream cannot hold is refused before allocating.
  if (w < 0 || h < 0 || w > data::kMaxBitmapSide || h > data::kMaxBitmapSide || uint64_t(w * h) * 4 > s.remaining()) return false;
  m.width = int(w);
  m.height = int(h);
  m.bits.assign(size_t(w * h), 0);
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) m.setBit(x, y, s.ReadInteger() >= 1);
  out = std::move(m);
  return true;
}

void WriteMaskRecord(data::CStream& s, const TMask& m) {
  s.WriteInteger(kMaskVersion);
  s.WriteInteger(m.width);
  s.WriteInteger(m.height);
  s.WriteInteger(m.left);
  s.WriteInteger(m.right);
  s.WriteInteger(m.bottom);
  s.WriteInteger(m.top);
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) s.WriteInteger(m.bit(x, y) ? 1 : 0);
}

}  // namespace qv::graphics
