#include "motion/path.h"

#include <algorithm>
#include <cmath>

#include "code/registry.h"
#include "data/container.h"
#include "data/stream.h"

namespace qv::motion {

namespace {

constexpr int32_t kPathRecordVersion = 530;

// x, y and speed of a point being subdivided.
struct Triple {
  double x, y, speed;
};

Triple triple(const RPathPoint& p) { return {p.x, p.y, p.speed}; }
Triple midpoint(const Triple& a, const Triple& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2}; }
double squaredDistance(const Triple& a, const Triple& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

void append(std::vector<RComputedPoint>& out, const Triple& t) { out.push_back({t.x, t.y, t.speed, 0}); }

// The quadratic curve from m1 to m2 with control point p, as its midpoints down to `depth` levels.
// A side whose end is within 4 pixels of the control point is not refined further. The end points
// themselves belong to the neighbouring segments and are never appended.
void subdivide(std::vector<RComputedPoint>& out, int depth, const Triple& m1, const Triple& p, const Triple& m2) {
  if (depth == 0) return;
  const Triple mid{(m1.x + 2 * p.x + m2.x) / 4, (m1.y + 2 * p.y + m2.y) / 4, (m1.speed + 2 * p.speed + m2.speed) / 4};
  if (squaredDistance(m1, p) > 16) subdivide(out, depth - 1, m1, midpoint(m1, p), mid);
  append(out, mid);
  if (squaredDistance(m2, p) > 16) subdivide(out, depth - 1, mid, midpoint(m2, p), m2);
}

void computeSmooth(const CPath& path, std::vector<RComputedPoint>& out) {
  const auto& pts = path.points;
  const size_t n = pts.size();
  if (n == 0) return;  // nothing to pass through (the indices below are taken modulo n)
  const auto at = [&](size_t i) { return triple(pts[i % n]); };
  if (!path.closed) append(out, at(0));
  const size_t segments = path.closed ? n : (n >= 2 ? n - 2 : 0);
  for (size_t i = 0; i < segments; ++i)
    subdivide(out, path.precision, midpoint(at(i), at(i + 1)), at(i + 1), midpoint(at(i + 1), at(i + 2)));
  if (!path.closed) {
    append(out, at(n - 1));
  } else if (!out.empty()) {
    out.push_back(out.front());
  }
}

}  // namespace

void CPath::Recompute() {
  computed_.clear();
  if (kind == kPathSmooth) {
    computeSmooth(*this, computed_);
  } else {
    for (const RPathPoint& p : points) computed_.push_back({p.x, p.y, p.speed, 0});
    if (closed && !points.empty()) computed_.push_back(computed_.front());
  }
  length_ = 0;
  for (size_t i = 0; i < computed_.size(); ++i) {
    if (i > 0) {
      const double dx = computed_[i].x - computed_[i - 1].x, dy = computed_[i].y - computed_[i - 1].y;
      length_ += std::sqrt(dx * dx + dy * dy);
    }
    computed_[i].l = length_;
  }
}

RPathPoint PathPoint(const CPath& path, double t) {
  const auto& c = path.computed();
  if (c.empty()) return {0, 0, 100};
  const auto point = [](const RComputedPoint& p) { return RPathPoint{p.x, p.y, p.speed}; };
  if (c.size() == 1 || path.length() == 0) return point(c.front());
  if (std::isnan(t)) t = 0;  // a position that is no number stays at the start
  t = std::clamp(t, 0.0, 1.0);
  if (t == 0) return point(c.front());
  if (t == 1) return point(c.back());
  const double L = path.length() * t;
  size_t i = 0;
  while (i + 2 < c.size() && c[i + 1].l <= L) ++i;
  const double span = c[i + 1].l - c[i].l;
  if (span == 0) return point(c[i]);
  const double f = (L - c[i].l) / span;
  return {c[i].x + (c[i + 1].x - c[i].x) * f, c[i].y + (c[i + 1].y - c[i].y) * f,
          c[i].speed + (c[i + 1].speed - c[i].speed) * f};
}

graphics::ResourceList<CPath>& paths() {
  static graphics::ResourceList<CPath> list;
  return list;
}

int32_t FindPath(std::string_view name) {
  const auto& list = paths();
  for (int32_t i = 0; i < list.count(); ++i)
    if (list.exists(i) && list.names[size_t(i)] == name) return i;
  return -1;
}

bool ReadPathRecord(data::CStream& s, CPath& path) {
  if (s.ReadInteger() != kPathRecordVersion) return false;
  path.kind = s.ReadInteger();
  path.closed = s.ReadBoolean();
  // A stored depth beyond 8 would multiply the computed points without bound.
  path.precision = std::clamp(s.ReadInteger(), 0, kMaxPathPrecision);
  const auto count = data::ReadCount(s, 3 * sizeof(double));
  if (!count) return false;
  path.points.assign(static_cast<size_t>(*count), {});
  for (RPathPoint& p : path.points) {
    p.x = s.ReadReal();
    p.y = s.ReadReal();
    p.speed = s.ReadReal();
  }
  path.Recompute();
  return true;
}

void WritePathRecord(data::CStream& s, const CPath& path) {
  s.WriteInteger(kPathRecordVersion);
  s.WriteInteger(path.kind);
  s.WriteBoolean(path.closed);
  s.WriteInteger(path.precision);
  s.WriteInteger(static_cast<int32_t>(path.points.size()));
  for (const RPathPoint& p : path.points) {
    s.WriteReal(p.x);
    s.WriteReal(p.y);
    s.WriteReal(p.speed);
  }
}

bool ReadPathsChunk(data::CStream& s) {
  auto& list = paths();
  list.clear();
  code::SetResourceNameLookup(code::ResourceKind::Path, FindPath);
  return data::ReadStandardFrame(s, data::Chunk(data::ChunkId::Paths).version, [&](data::FrameSlot& slot) {
    const auto index = static_cast<size_t>(slot.index);
    if (list.slots.size() <= index) {
      list.slots.resize(index + 1);
      list.names.resize(index + 1);
    }
    if (!slot.exists) return true;
    auto path = std::make_unique<CPath>();
    if (!ReadPathRecord(slot.record, *path)) return false;
    list.slots[index] = std::move(path);
    list.names[index] = slot.name;
    return true;
  });
}

}  // namespace qv::motion
