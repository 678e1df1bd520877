// CPath: a path resource. Its defining points are the ones the game designer placed (or game code
// added); the computed points are the polyline that instances actually follow, rebuilt after
// loading and after every edit, either the points themselves (straight) or a smooth curve through
// the midpoints of their segments.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "graphics/resource_list.h"

namespace qv::data {
class CStream;
}

namespace qv::motion {

// A defining point; speed is a factor in percent (100 = the full path speed).
struct RPathPoint {
  double x = 0, y = 0, speed = 100;
};

// A point of the followed polyline; l is the length along the polyline from its first point.
struct RComputedPoint {
  double x = 0, y = 0, speed = 100, l = 0;
};

inline constexpr int32_t kPathStraight = 0;
inline constexpr int32_t kPathSmooth = 1;
inline constexpr int32_t kMaxPathPrecision = 8;

class CPath {
 public:
  int32_t kind = kPathStraight;
  bool closed = true;
  int32_t precision = 4;  // subdivision depth of the smooth curve, 0..8
  std::vector<RPathPoint> points;

  // Rebuilds the computed points and the length from the defining points.
  void Recompute();

  const std::vector<RComputedPoint>& computed() const { return computed_; }
  double length() const { return length_; }

 private:
  std::vector<RComputedPoint> computed_;
  double length_ = 0;
};

// The point at relative position t (clamped to 0..1) along the computed polyline, with x, y and
// the speed factor interpolated linearly. (0, 0, 100) for a path without computed points; the
// first point for a path of length 0.
RPathPoint PathPoint(const CPath& path, double t);

// The path resources of the game, by index; names of paths made at run time start with this.
graphics::ResourceList<CPath>& paths();
inline constexpr const char* kNewPathPrefix = "__newpath";
// The index of the first existing path with this name, or -1.
int32_t FindPath(std::string_view name);

// Path record (version 530): kind, closed, precision, point count, then x, y, speed per point.
// The reader refuses another version, a point count the data cannot hold, and clamps the
// precision to 0..8; it builds the computed points.
bool ReadPathRecord(data::CStream& s, CPath& path);
void WritePathRecord(data::CStream& s, const CPath& path);
// The paths chunk (standard frame, version 800) into paths(); path names become constants of
// game code.
bool ReadPathsChunk(data::CStream& s);

}  // namespace qv::motion
