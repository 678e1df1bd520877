// Game code's functions on path resources: queries, making and deleting paths, editing their
// points and shape, and drawing a path. Every edit rebuilds the computed points, so an instance on
// the path follows the new shape from its next step.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/draw_state.h"
#include "graphics/drawing.h"
#include "motion/builtins.h"
#include "motion/path.h"

namespace qv::motion {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::ReportActionError;

CPath* pathArg(const BuiltinCall& c, int i) { return paths().get(c.integer(i)); }

// --- queries -------------------------------------------------------------------------------------

void path_exists(BuiltinCall& c) { c.result = code::truthValue(pathArg(c, 0) != nullptr); }
void path_get_name(BuiltinCall& c) { c.result.setString(paths().name(c.integer(0))); }

// A field of the path, or -1 when the path does not exist.
template <class F>
void getter(BuiltinCall& c, F field) {
  const CPath* p = pathArg(c, 0);
  c.result = p ? double(field(*p)) : -1.0;
}
void path_get_length(BuiltinCall& c) { getter(c, [](const CPath& p) { return p.length(); }); }
void path_get_kind(BuiltinCall& c) { getter(c, [](const CPath& p) { return p.kind; }); }
void path_get_closed(BuiltinCall& c) { getter(c, [](const CPath& p) { return p.closed ? 1 : 0; }); }
void path_get_precision(BuiltinCall& c) { getter(c, [](const CPath& p) { return p.precision; }); }
void path_get_number(BuiltinCall& c) { getter(c, [](const CPath& p) { return p.points.size(); }); }

// A field of defining point n; a point number out of range gives `outside`.
template <class F>
void pointGetter(BuiltinCall& c, double outside, F field) {
  const CPath* p = pathArg(c, 0);
  if (!p) {
    c.result = -1.0;
    return;
  }
  const int32_t n = c.integer(1);
  c.result = n >= 0 && size_t(n) < p->points.size() ? field(p->points[size_t(n)]) : outside;
}
void path_get_point_x(BuiltinCall& c) { pointGetter(c, 0, [](const RPathPoint& q) { return q.x; }); }
void path_get_point_y(BuiltinCall& c) { pointGetter(c, 0, [](const RPathPoint& q) { return q.y; }); }
void path_get_point_speed(BuiltinCall& c) { pointGetter(c, 1, [](const RPathPoint& q) { return q.speed; }); }

template <class F>
void positionGetter(BuiltinCall& c, F field) {
  const CPath* p = pathArg(c, 0);
  c.result = p ? field(PathPoint(*p, c.real(1))) : -1.0;
}
void path_get_x(BuiltinCall& c) { positionGetter(c, [](const RPathPoint& q) { return q.x; }); }
void path_get_y(BuiltinCall& c) { positionGetter(c, [](const RPathPoint& q) { return q.y; }); }
void path_get_speed(BuiltinCall& c) { positionGetter(c, [](const RPathPoint& q) { return q.speed; }); }

// --- edits -----------------------------------------------------------------------------------------

// Runs `edit` on an existing path and rebuilds it; nothing for a path that does not exist.
template <class F>
void edit(BuiltinCall& c, F change) {
  CPath* p = pathArg(c, 0);
  if (!p) return;
  change(*p);
  p->Recompute();
}

void path_set_kind(BuiltinCall& c) {
  const int32_t kind = c.integer(1);
  edit(c, [&](CPath& p) { p.kind = kind == kPathSmooth ? kPathSmooth : kPathStraight; });
}
void path_set_closed(BuiltinCall& c) {
  edit(c, [&](CPath& p) { p.closed = c.truth(1); });
}
void path_set_precision(BuiltinCall& c) {
  edit(c, [&](CPath& p) { p.precision = std::clamp(c.integer(1), 0, kMaxPathPrecision); });
}

void path_add(BuiltinCall& c) { c.result = double(paths().append(std::make_unique<CPath>(), kNewPathPrefix)); }

void path_duplicate(BuiltinCall& c) {
  const CPath* p = pathArg(c, 0);
  if (!p) {
    ReportActionError("Trying to duplicate non-existing path.");
    c.result = -1.0;
    return;
  }
  c.result = double(paths().append(std::make_unique<CPath>(*p), kNewPathPrefix));
}

void path_assign(BuiltinCall& c) {
  CPath* target = pathArg(c, 0);
  const CPath* source = pathArg(c, 1);
  if (!target || !source) {
    ReportActionError("Error assigning a path.");
    return;
  }
  if (target != source) *target = *source;
}

void path_append(BuiltinCall& c) {
  CPath* target = pathArg(c, 0);
  if (!target) {
    ReportActionError("Appending to non-existing path.");
    return;
  }
  const CPath* source = pathArg(c, 1);
  if (!source) {
    ReportActionError("Appending a non-existing path.");
    return;
  }
  // A copy first, so that a path appended to itself doubles once.
  const std::vector<RPathPoint> added = source->points;
  target->points.insert(target->points.end(), added.begin(), added.end());
  target->Recompute();
}

void path_delete(BuiltinCall& c) {
  const int32_t index = c.integer(0);
  if (!paths().exists(index)) {
    ReportActionError("Trying to delete non-existing path.");
    return;
  }
  paths().slots[size_t(index)].reset();
}

void path_add_point(BuiltinCall& c) {
  edit(c, [&](CPath& p) { p.points.push_back({c.real(1), c.real(2), c.real(3)}); });
}
void path_insert_point(BuiltinCall& c) {
  const int32_t n = c.integer(1);
  edit(c, [&](CPath& p) {
    if (n >= 0 && size_t(n) <= p.points.size())
      p.points.insert(p.points.begin() + n, RPathPoint{c.real(2), c.real(3), c.real(4)});
  });
}
void path_change_point(BuiltinCall& c) {
  const int32_t n = c.integer(1);
  edit(c, [&](CPath& p) {
    if (n >= 0 && size_t(n) < p.points.size()) p.points[size_t(n)] = {c.real(2), c.real(3), c.real(4)};
  });
}
void path_delete_point(BuiltinCall& c) {
  const int32_t n = c.integer(1);
  edit(c, [&](CPath& p) {
    if (n >= 0 && size_t(n) < p.points.size()) p.points.erase(p.points.begin() + n);
  });
}
void path_clear_points(BuiltinCall& c) {
  edit(c, [](CPath& p) { p.points.clear(); });
}
void path_reverse(BuiltinCall& c) {
  edit(c, [](CPath& p) {
    if (p.points.size() >= 2) std::reverse(p.points.begin(), p.points.end());
  });
}

// The middle of the bounding rectangle of the defining points ((0, 0) without points).
std::pair<double, double> centre(const CPath& p) {
  double minX = 100000000, minY = 100000000, maxX = -100000000, maxY = -100000000;
  for (const RPathPoint& q : p.points) {
    minX = std::min(minX, q.x);
    maxX = std::max(maxX, q.x);
    minY = std::min(minY, q.y);
    maxY = std::max(maxY, q.y);
  }
  return {(minX + maxX) / 2, (minY + maxY) / 2};
}

void path_mirror(BuiltinCall& c) {
  edit(c, [](CPath& p) {
    const double cx = centre(p).first;
    for (RPathPoint& q : p.points) q.x = 2 * cx - q.x;
  });
}
void path_flip(BuiltinCall& c) {
  edit(c, [](CPath& p) {
    const double cy = centre(p).second;
    for (RPathPoint& q : p.points) q.y = 2 * cy - q.y;
  });
}
// Counter-clockwise on the screen (y grows downwards), about the centre.
void path_rotate(BuiltinCall& c) {
  const double a = c.real(1) * std::numbers::pi / 180;
  edit(c, [&](CPath& p) {
    const auto [cx, cy] = centre(p);
    const double cs = std::cos(a), sn = std::sin(a);
    for (RPathPoint& q : p.points) {
      const double dx = q.x - cx, dy = q.y - cy;
      q.x = cx + cs * dx + sn * dy;
      q.y = cy + cs * dy - sn * dx;
    }
  });
}
void path_scale(BuiltinCall& c) {
  edit(c, [&](CPath& p) {
    const auto [cx, cy] = centre(p);
    for (RPathPoint& q : p.points) {
      q.x = cx + (q.x - cx) * c.real(1);
      q.y = cy + (q.y - cy) * c.real(2);
    }
  });
}
void path_shift(BuiltinCall& c) {
  edit(c, [&](CPath& p) {
    for (RPathPoint& q : p.points) {
      q.x += c.real(1);
      q.y += c.real(2);
    }
  });
}

// --- drawing -------------------------------------------------------------------------------------

// The path as a line strip through the points at every 1/n of its length, n = length / 4, in the
// current colour; moved so that it starts at (x, y) unless absolute. A strip holds at most 500
// points, so longer paths go out in several strips, each starting at the last point of the one
// before. A primitive that game code is building meanwhile is kept.
void draw_path(BuiltinCall& c) {
  const CPath* p = pathArg(c, 0);
  if (!p) {
    ReportActionError("Trying to drawn non-existing path.");
    return;
  }
  const int64_t n = code::roundToInt64(p->length() / 4);
  if (n <= 0) return;
  double dx = 0, dy = 0;
  if (!c.truth(3)) {
    const RPathPoint start = PathPoint(*p, 0);
    dx = c.real(1) - start.x;
    dy = c.real(2) - start.y;
  }
  constexpr int kLineStrip = 3;
  constexpr int kStripPoints = 500;
  graphics::DrawState& ds = graphics::drawState();
  const int savedKind = ds.primitiveKind, savedTexture = ds.primitiveTexture;
  auto savedVertices = std::move(ds.primitive);
  const uint32_t colour = ds.colour;
  graphics::PrimitiveBegin(kLineStrip, -1);
  int inStrip = 0;
  for (int64_t k = 0; k <= n; ++k) {
    const RPathPoint q = PathPoint(*p, double(k) / double(n));
    graphics::PrimitiveVertex(q.x + dx, q.y + dy, 0, 0, colour);
    if (++inStrip == kStripPoints && k < n) {
      graphics::PrimitiveEnd();
      graphics::PrimitiveBegin(kLineStrip, -1);
      graphics::PrimitiveVertex(q.x + dx, q.y + dy, 0, 0, colour);
      inStrip = 1;
    }
  }
  graphics::PrimitiveEnd();
  ds.primitiveKind = savedKind;
  ds.primitiveTexture = savedTexture;
  ds.primitive = std::move(savedVertices);
}

constexpr BuiltinFunction kPathFunctions[] = {
    {"path_exists", path_exists, 1},
    {"path_get_name", path_get_name, 1},
    {"path_name", path_get_name, 1},
    {"path_get_length", path_get_length, 1},
    {"path_get_kind", path_get_kind, 1},
    {"path_get_closed", path_get_closed, 1},
    {"path_get_precision", path_get_precision, 1},
    {"path_get_number", path_get_number, 1},
    {"path_get_point_x", path_get_point_x, 2},
    {"path_get_point_y", path_get_point_y, 2},
    {"path_get_point_speed", path_get_point_speed, 2},
    {"path_get_x", path_get_x, 2},
    {"path_get_y", path_get_y, 2},
    {"path_get_speed", path_get_speed, 2},
    {"path_set_kind", path_set_kind, 2},
    {"path_set_closed", path_set_closed, 2},
    {"path_set_precision", path_set_precision, 2},
    {"path_add", path_add, 0},
    {"path_duplicate", path_duplicate, 1},
    {"path_assign", path_assign, 2},
    {"path_append", path_append, 2},
    {"path_delete", path_delete, 1},
    {"path_add_point", path_add_point, 4},
    {"path_insert_point", path_insert_point, 5},
    {"path_change_point", path_change_point, 5},
    {"path_delete_point", path_delete_point, 2},
    {"path_clear_points", path_clear_points, 1},
    {"path_reverse", path_reverse, 1},
    {"path_mirror", path_mirror, 1},
    {"path_flip", path_flip, 1},
    {"path_rotate", path_rotate, 2},
    {"path_scale", path_scale, 3},
    {"path_shift", path_shift, 3},
    {"draw_path", draw_path, 4},
};

}  // namespace

code::BuiltinFamily PathFunctions() { return kPathFunctions; }

}  // namespace qv::motion
