// Collision tests: an instance against another instance, a point, a rectangle, an ellipse and a
// line, first by bounding box and then, when precise, pixel by pixel through the collision masks.
//
// A room pixel is mapped into an instance's mask by the inverse of its placement: the offset from
// the rounded position, turned back by the angle and divided by the scales, plus the origin. The
// box test always comes first, so a mask is only read where the boxes meet.
#pragma once

#include <cstdint>

namespace qv::graphics {
struct TMask;
}
namespace qv::world {
class CInstance;
}

namespace qv::motion {

// The mask of an instance's current frame, placed where the instance stands.
class MaskSampler {
 public:
  // False when the collision sprite is missing or has no frames (precise tests are then false).
  bool Bind(const world::CInstance& instance);
  // Whether the mask is set at a room pixel (integer) or at a real room point (the line test).
  bool At(int64_t px, int64_t py) const;
  bool AtReal(double px, double py) const;

 private:
  bool cell(double u, double v) const;
  const graphics::TMask* mask_ = nullptr;
  int64_t x_ = 0, y_ = 0;
  double ox_ = 0, oy_ = 0, xscale_ = 1, yscale_ = 1, sin_ = 0, cos_ = 1;
  bool unscaled_ = false, unrotated_ = false;
};

// Whether the inclusive boxes of a and b share a pixel.
bool BoxesOverlap(const world::CInstance& a, const world::CInstance& b);

bool InstancesCollide(const world::CInstance& a, const world::CInstance& b, bool precise);
bool InstanceTouchesPoint(const world::CInstance& in, double x, double y, bool precise);
bool InstanceTouchesRectangle(const world::CInstance& in, double x1, double y1, double x2, double y2, bool precise);
// The ellipse inscribed in the rectangle (x1, y1)-(x2, y2).
bool InstanceTouchesEllipse(const world::CInstance& in, double x1, double y1, double x2, double y2, bool precise);
bool InstanceTouchesLine(const world::CInstance& in, double x1, double y1, double x2, double y2, bool precise);

}  // namespace qv::motion
