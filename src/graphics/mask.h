// TMask: the collision mask of a sprite frame, and its computation from a frame.
//
// Invariant: bits has width * height entries, bits[x * height + y] for pixel (x, y) in frame
// coordinates; every bit outside the box is false. A box with left > right holds no solid pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "data/bitmap32.h"
#include "graphics/bitmap_ops.h"

namespace qv::data {
class CStream;
}

namespace qv::graphics {

enum MaskShape : int32_t { kShapePrecise = 0, kShapeRectangle = 1, kShapeEllipse = 2, kShapeDiamond = 3 };
enum BoxKind : int32_t { kBoxAutomatic = 0, kBoxFullImage = 1, kBoxManual = 2 };

struct TMask {
  int width = 0, height = 0;
  std::vector<uint8_t> bits;
  int left = 0, top = 0, right = 0, bottom = 0;

  bool bit(int x, int y) const { return bits[size_t(x) * size_t(height) + size_t(y)] != 0; }
  void setBit(int x, int y, bool v) { bits[size_t(x) * size_t(height) + size_t(y)] = v ? 1 : 0; }
  Box box() const { return Box{left, top, right, bottom}; }
  bool operator==(const TMask&) const = default;
};

// The mask of one frame for a box kind (manual box used for kBoxManual and any unknown kind),
// a shape and a tolerance.
TMask ComputeMask(const data::TBitmap32& frame, int boxKind, const Box& manual, int shape, int tolerance);
// Merges `other` into the shared mask `into` (box union, then bits by shape).
void MergeMask(TMask& into, const TMask& other, int shape);

// Mask record (version 800, box stored as left, right, bottom, top, bits row by row). Another
// version gives an empty mask. False for sizes that do not fit the data.
bool ReadMaskRecord(data::CStream& s, TMask& out);
void WriteMaskRecord(data::CStream& s, const TMask& m);

}  // namespace qv::graphics
