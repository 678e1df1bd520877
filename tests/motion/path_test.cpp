// Path resources: the computed polyline (straight and smooth, open and closed, the subdivision
// depth and its 4-pixel cut-off), the lookup of a point at a relative position, and the record.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "motion/path.h"
#include "data/stream.h"

namespace qv::motion {
namespace {

CPath makePath(int32_t kind, bool closed, int32_t precision, std::vector<RPathPoint> points) {
  CPath p;
  p.kind = kind;
  p.closed = closed;
  p.precision = precision;
  p.points = std::move(points);
  p.Recompute();
  return p;
}

struct Expected {
  double x, y, speed;
};

void expectComputed(const CPath& p, const std::vector<Expected>& want, const char* what) {
  ASSERT_EQ(p.computed().size(), want.size()) << what;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_DOUBLE_EQ(p.computed()[i].x, want[i].x) << what << " point " << i;
    EXPECT_DOUBLE_EQ(p.computed()[i].y, want[i].y) << what << " point " << i;
    EXPECT_DOUBLE_EQ(p.computed()[i].speed, want[i].speed) << what << " point " << i;
  }
}

// A corner: right along the top, then down. Speeds differ so that their averaging shows.
const std::vector<RPathPoint> kCorner = {{0, 0, 100}, {100, 0, 60}, {100, 100, 20}};

TEST(PathComputedPoints, FollowTheKindTheClosingAndThePrecision) {
  struct Case {
    const char* what;
    int32_t kind;
    bool closed;
    int32_t precision;
    std::vector<RPathPoint> points;
    std::vector<Expected> want;
  } cases[] = {
      {"straight open", kPathStraight, false, 4, kCorner, {{0, 0, 100}, {100, 0, 60}, {100, 100, 20}}},
      {"straight closed returns to the start", kPathStraight, true, 4, kCorner,
       {{0, 0, 100}, {100, 0, 60}, {100, 100, 20}, {0, 0, 100}}},
      // Open: the end points, and the curve between the midpoints (50, 0) and (100, 50) around the
      // corner: (M1 + 2P + M2) / 4 at depth 1.
      {"smooth open, depth 1", kPathSmooth, false, 1, kCorner, {{0, 0, 100}, {87.5, 12.5, 60}, {100, 100, 20}}},
      {"smooth open, depth 2", kPathSmooth, false, 2, kCorner,
       {{0, 0, 100}, {71.875, 3.125, 70}, {87.5, 12.5, 60}, {96.875, 28.125, 50}, {100, 100, 20}}},
      {"smooth open, depth 0 keeps the ends", kPathSmooth, false, 0, kCorner, {{0, 0, 100}, {100, 100, 20}}},
      {"smooth open of two points is the line", kPathSmooth, false, 8, {{0, 0, 100}, {30, 40, 50}},
       {{0, 0, 100}, {30, 40, 50}}},
      // Closed: one curve per corner, then the first computed point again.
      {"smooth closed, depth 1", kPathSmooth, true, 1, kCorner,
       {{87.5, 12.5, 60}, {87.5, 75, 35}, {25, 12.5, 85}, {87.5, 12.5, 60}}},
      {"smooth closed, depth 0 has no points", kPathSmooth, true, 0, kCorner, {}},
      // Control points within 4 pixels of the segment ends: one midpoint whatever the depth.
      {"smooth small corner is not refined", kPathSmooth, false, 8, {{0, 0, 100}, {4, 0, 100}, {4, 4, 100}},
       {{0, 0, 100}, {3.5, 0.5, 100}, {4, 4, 100}}},
      {"no points", kPathStraight, true, 4, {}, {}},
      {"smooth open without points", kPathSmooth, false, 4, {}, {}},
      {"one point closed", kPathStraight, true, 4, {{5, 6, 100}}, {{5, 6, 100}, {5, 6, 100}}},
  };
  for (const Case& c : cases) expectComputed(makePath(c.kind, c.closed, c.precision, c.points), c.want, c.what);
}

TEST(PathComputedPoints, DepthDoublesTheCurvePointsAndLengthsAddUp) {
  // A wide corner is refined to the full depth: 2^depth - 1 points between the ends.
  for (int32_t depth = 0; depth <= kMaxPathPrecision; ++depth) {
    const CPath p = makePath(kPathSmooth, false, depth, {{0, 0, 100}, {100000, 0, 100}, {100000, 100000, 100}});
    EXPECT_EQ(p.computed().size(), size_t(2 + (1 << depth) - 1)) << depth;
    double sum = 0;
    for (size_t i = 1; i < p.computed().size(); ++i) {
      sum += std::hypot(p.computed()[i].x - p.computed()[i - 1].x, p.computed()[i].y - p.computed()[i - 1].y);
      EXPECT_DOUBLE_EQ(p.computed()[i].l, sum) << depth;
    }
    EXPECT_DOUBLE_EQ(p.length(), sum);
    const RPathPoint start = PathPoint(p, 0), end = PathPoint(p, 1);
    EXPECT_EQ(start.x, 0);
    EXPECT_EQ(end.y, 100000);
  }
}

TEST(PathPointLookup, InterpolatesAlongTheLength) {
  // Length 150: 100 along the top, 50 down.
  const CPath p = makePath(kPathStraight, false, 4, {{0, 0, 100}, {100, 0, 50}, {100, 50, 0}});
  ASSERT_EQ(p.length(), 150);
  struct Case {
    double t;
    Expected want;
  } cases[] = {
      {0, {0, 0, 100}},        {-3, {0, 0, 100}},       {0.5, {75, 0, 62.5}},
      {2.0 / 3, {100, 0, 50}}, {0.9, {100, 35, 15}},    {1, {100, 50, 0}},
      {7, {100, 50, 0}},       {std::nan(""), {0, 0, 100}},
  };
  for (const Case& c : cases) {
    const RPathPoint q = PathPoint(p, c.t);
    EXPECT_NEAR(q.x, c.want.x, 1e-9) << c.t;
    EXPECT_NEAR(q.y, c.want.y, 1e-9) << c.t;
    EXPECT_NEAR(q.speed, c.want.speed, 1e-9) << c.t;
  }
  // A repeated point adds no length and is passed over.
  const CPath repeated = makePath(kPathStraight, false, 4, {{0, 0, 100}, {0, 0, 100}, {10, 0, 100}});
  EXPECT_EQ(PathPoint(repeated, 0.5).x, 5);
  // Without points the default; with one point, or no length, the first point.
  const RPathPoint none = PathPoint(CPath{}, 0.5);
  EXPECT_EQ(none.x, 0);
  EXPECT_EQ(none.speed, 100);
  const CPath single = makePath(kPathStraight, false, 4, {{7, 8, 30}});
  EXPECT_EQ(single.length(), 0);
  EXPECT_EQ(PathPoint(single, 0.7).x, 7);
  EXPECT_EQ(PathPoint(single, 0.7).speed, 30);
}

TEST(PathRecord, RoundTripsAndRefusesBadData) {
  CPath written = makePath(kPathSmooth, false, 3, kCorner);
  data::CStream s;
  WritePathRecord(s, written);
  s.seek(0);
  CPath read;
  ASSERT_TRUE(ReadPathRecord(s, read));
  EXPECT_EQ(read.kind, kPathSmooth);
  EXPECT_FALSE(read.closed);
  EXPECT_EQ(read.precision, 3);
  ASSERT_EQ(read.points.size(), 3u);
  EXPECT_EQ(read.points[2].speed, 20);
  EXPECT_EQ(read.computed().size(), written.computed().size());  // built on reading
  EXPECT_DOUBLE_EQ(read.length(), written.length());

  // Another version; a stored depth beyond 8; a point count the data cannot hold.
  auto record = [](int32_t version, int32_t precision, int32_t count, int pointsWritten) {
    data::CStream r;
    r.WriteInteger(version);
    r.WriteInteger(kPathSmooth);
    r.WriteBoolean(true);
    r.WriteInteger(precision);
    r.WriteInteger(count);
    for (int i = 0; i < pointsWritten; ++i)
      for (double v : {double(i * 100), double(i % 2 * 100), 100.0}) r.WriteReal(v);
    r.seek(0);
    return r;
  };
  CPath p;
  auto bad = record(531, 4, 0, 0);
  EXPECT_FALSE(ReadPathRecord(bad, p));
  auto deep = record(530, 1000000000, 3, 3);
  ASSERT_TRUE(ReadPathRecord(deep, p));
  EXPECT_EQ(p.precision, kMaxPathPrecision);
  auto negative = record(530, -2, 3, 3);
  ASSERT_TRUE(ReadPathRecord(negative, p));
  EXPECT_EQ(p.precision, 0);
  auto huge = record(530, 4, 1000000, 2);
  EXPECT_FALSE(ReadPathRecord(huge, p));
}

}  // namespace
}  // namespace qv::motion
