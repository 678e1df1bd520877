#include "world/bounding_box.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "code/rounding.h"
#include "graphics/sprite.h"
#include "world/instance.h"

namespace qv::world {

namespace {
int32_t rounded(double v) { return code::roundToInt32(v); }
uint64_t boxVersion = 0;

// The record of changes: entry i is the change that made the version changesBase + i + 1.
constexpr size_t kMaxChanges = size_t{1} << 16;
std::vector<world::CInstance*> changes;
uint64_t changesBase = 0;

void computeBox(world::CInstance& in);
}  // namespace

uint64_t BoxVersion() { return boxVersion; }

void RestoreBoxVersion(uint64_t version) {
  if (version >= changesBase && version - changesBase <= changes.size()) {
    changes.resize(size_t(version - changesBase));
  } else {
    changes.clear();
    changesBase = version;
  }
  boxVersion = version;
}

std::optional<std::span<world::CInstance* const>> BoxChangesSince(uint64_t version) {
  if (version < changesBase || version > boxVersion) return std::nullopt;
  return std::span<world::CInstance* const>(changes).subspan(size_t(version - changesBase));
}

void ComputeBoundingBox(world::CInstance& in) {
  const int32_t l = in.bboxLeft, t = in.bboxTop, r = in.bboxRight, b = in.bboxBottom;
  computeBox(in);
  if (l == in.bboxLeft && t == in.bboxTop && r == in.bboxRight && b == in.bboxBottom) return;
  if (changes.size() >= kMaxChanges) {
    changes.clear();
    changesBase = boxVersion;
  }
  ++boxVersion;
  changes.push_back(&in);
}

namespace {
void computeBox(world::CInstance& in) {
  const int32_t index = in.maskIndex >= 0 ? in.maskIndex : in.spriteIndex;
  const graphics::CSprite* sprite = graphics::sprites().get(index);
  if (!sprite) {
    in.bboxLeft = in.bboxTop = in.bboxRight = in.bboxBottom = kNoBox;
    return;
  }
  const double L = sprite->bbox.left, T = sprite->bbox.top, R = sprite->bbox.right, B = sprite->bbox.bottom;
  const double ox = sprite->xOrigin, oy = sprite->yOrigin;
  const double xs = in.imageXscale, ys = in.imageYscale;
  if (in.imageAngle == 0) {
    in.bboxLeft = rounded(in.x + (L - ox) * xs);
    in.bboxRight = rounded(in.x + (R - ox + 1) * xs - 1);
    if (in.bboxRight < in.bboxLeft) std::swap(in.bboxLeft, in.bboxRight);
    in.bboxTop = rounded(in.y + (T - oy) * ys);
    in.bboxBottom = rounded(in.y + (B - oy + 1) * ys - 1);
    if (in.bboxBottom < in.bboxTop) std::swap(in.bboxTop, in.bboxBottom);
    return;
  }
  const double x0 = (std::min(L, R) - ox) * xs, x1 = (std::max(L, R) - ox + 1) * xs - 1;
  const double y0 = (std::min(T, B) - oy) * ys, y1 = (std::max(T, B) - oy + 1) * ys - 1;
  const double a = in.imageAngle * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  in.bboxLeft = rounded(in.x + std::min(c * x0, c * x1) + std::min(s * y0, s * y1));
  in.bboxRight = rounded(in.x + std::max(c * x0, c * x1) + std::max(s * y0, s * y1));
  in.bboxTop = rounded(in.y + std::min(c * y0, c * y1) - std::max(s * x0, s * x1));
  in.bboxBottom = rounded(in.y + std::max(c * y0, c * y1) - std::min(s * x0, s * x1));
}
}  // namespace

void SetPosition(world::CInstance& in, double x, double y) {
  if (in.x == x && in.y == y) return;
  in.x = x;
  in.y = y;
  ComputeBoundingBox(in);
}

void SetMaskIndex(world::CInstance& in, int32_t mask) {
  if (in.maskIndex == mask) return;
  in.maskIndex = mask;
  ComputeBoundingBox(in);
}

void SetImageXscale(world::CInstance& in, double scale) {
  if (in.imageXscale == scale) return;
  in.imageXscale = scale;
  ComputeBoundingBox(in);
}

void SetImageYscale(world::CInstance& in, double scale) {
  if (in.imageYscale == scale) return;
  in.imageYscale = scale;
  ComputeBoundingBox(in);
}

void SetImageAngle(world::CInstance& in, double angle) {
  if (in.imageAngle == angle) return;
  in.imageAngle = angle;
  ComputeBoundingBox(in);
}

}  // namespace qv::world
