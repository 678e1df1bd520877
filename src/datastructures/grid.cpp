#include "datastructures/grid.h"

#include <algorithm>
#include <cmath>

#include "code/random.h"
#include "datastructures/compare.h"

namespace qv::datastructures {

namespace {

// Combining v into c: set replaces; add sums two reals, joins two strings, else takes v;
// multiply multiplies two reals, else leaves c.
void combine(CDS_Grid::Combine op, RValue& c, const RValue& v) {
  switch (op) {
    case CDS_Grid::Combine::set:
      c = v;
      break;
    case CDS_Grid::Combine::add:
      if (c.isReal() && v.isReal()) c.real += v.real;
      else if (c.isString() && v.isString()) c.str += v.str;
      else c = v;
      break;
    case CDS_Grid::Combine::multiply:
      if (c.isReal() && v.isReal()) c.real *= v.real;
      break;
  }
}

// Clamps a real bound into [lo, hi] as an integer; NaN gives an empty range through `empty`.
int64_t clampBound(double x, int64_t lo, int64_t hi) {
  if (!(x >= static_cast<double>(lo))) return lo;
  if (!(x <= static_cast<double>(hi))) return hi;
  return static_cast<int64_t>(x);
}

void addStat(CDS_Grid::Stats& s, const RValue& v) {
  if (!v.isReal()) return;
  s.sum += v.real;
  if (v.real < s.min) s.min = v.real;
  if (v.real > s.max) s.max = v.real;
  ++s.count;
}

}  // namespace

bool CDS_Grid::resize(int64_t width, int64_t height) {
  width = std::max<int64_t>(width, 0);
  height = std::max<int64_t>(height, 0);
  if (width != 0 && height > kMaxCells / width) return false;
  std::vector<RValue> cells(static_cast<size_t>(width * height));
  for (int64_t x = 0; x < std::min(width, width_); ++x)
    for (int64_t y = 0; y < std::min(height, height_); ++y)
      cells[static_cast<size_t>(x * height + y)] = std::move(cell(x, y));
  cells_ = std::move(cells);
  width_ = width;
  height_ = height;
  return true;
}

void CDS_Grid::clear(const RValue& v) { std::fill(cells_.begin(), cells_.end(), v); }

RValue CDS_Grid::get(int64_t x, int64_t y) const { return inside(x, y) ? cell(x, y) : RValue(); }

void CDS_Grid::apply(Combine op, int64_t x, int64_t y, const RValue& v) {
  if (inside(x, y)) combine(op, cell(x, y), v);
}

CDS_Grid::Region CDS_Grid::region(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const {
  return {std::max<int64_t>(std::min(x1, x2), 0), std::max<int64_t>(std::min(y1, y2), 0),
          std::min(std::max(x1, x2), width_ - 1), std::min(std::max(y1, y2), height_ - 1)};
}

CDS_Grid::Region CDS_Grid::bounds(const Disk& d) const {
  if (std::isnan(d.xm) || std::isnan(d.ym) || std::isnan(d.r)) return {0, 0, -1, -1};
  return {clampBound(std::floor(d.xm - d.r), 0, width_), clampBound(std::floor(d.ym - d.r), 0, height_),
          clampBound(std::ceil(d.xm + d.r), -1, width_ - 1), clampBound(std::ceil(d.ym + d.r), -1, height_ - 1)};
}

template <class F>
void CDS_Grid::forDisk(const Disk& d, F&& f) const {
  Region b = bounds(d);
  double r2 = d.r * d.r;
  for (int64_t x = b.x1; x <= b.x2; ++x)
    for (int64_t y = b.y1; y <= b.y2; ++y) {
      double dx = static_cast<double>(x) - d.xm, dy = static_cast<double>(y) - d.ym;
      if (dx * dx + dy * dy <= r2 && f(x, y)) return;
    }
}

void CDS_Grid::applyRegion(Combine op, const Region& r, const RValue& v) {
  for (int64_t x = r.x1; x <= r.x2; ++x)
    for (int64_t y = r.y1; y <= r.y2; ++y) combine(op, cell(x, y), v);
}

void CDS_Grid::applyDisk(Combine op, const Disk& d, const RValue& v) {
  forDisk(d, [&](int64_t x, int64_t y) {
    combine(op, cell(x, y), v);
    return false;
  });
}

void CDS_Grid::applyGridRegion(Combine op, const CDS_Grid& source, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                               int64_t xpos, int64_t ypos) {
  Region from = source.region(x1, y1, x2, y2);
  if (from.x1 > from.x2 || from.y1 > from.y2) return;
  // Clip the target rectangle to this grid, moving the source corner with it.
  int64_t w = from.x2 - from.x1 + 1, h = from.y2 - from.y1 + 1;
  // Entirely outside (this also keeps the sums below far from overflow for any rounded real).
  if (xpos <= -w || ypos <= -h || xpos >= width_ || ypos >= height_) return;
  if (xpos < 0) { from.x1 -= xpos; w += xpos; xpos = 0; }
  if (ypos < 0) { from.y1 -= ypos; h += ypos; ypos = 0; }
  w = std::min(w, width_ - xpos);
  h = std::min(h, height_ - ypos);
  if (w <= 0 || h <= 0) return;
  // Read the whole source block first, so that an overlapping copy inside one grid sees only old cells.
  std::vector<RValue> block;
  block.reserve(static_cast<size_t>(w * h));
  for (int64_t x = 0; x < w; ++x)
    for (int64_t y = 0; y < h; ++y) block.push_back(source.cell(from.x1 + x, from.y1 + y));
  size_t i = 0;
  for (int64_t x = 0; x < w; ++x)
    for (int64_t y = 0; y < h; ++y) combine(op, cell(xpos + x, ypos + y), block[i++]);
}

CDS_Grid::Stats CDS_Grid::stats(const Region& r) const {
  Stats s;
  for (int64_t x = r.x1; x <= r.x2; ++x)
    for (int64_t y = r.y1; y <= r.y2; ++y) addStat(s, cell(x, y));
  return s;
}

CDS_Grid::Stats CDS_Grid::stats(const Disk& d) const {
  Stats s;
  forDisk(d, [&](int64_t x, int64_t y) {
    addStat(s, cell(x, y));
    return false;
  });
  return s;
}

CDS_Grid::Found CDS_Grid::find(const Region& r, const RValue& v) const {
  for (int64_t x = r.x1; x <= r.x2; ++x)
    for (int64_t y = r.y1; y <= r.y2; ++y)
      if (CompareValues(cell(x, y), v) == 0) return {true, x, y};
  return {};
}

CDS_Grid::Found CDS_Grid::find(const Disk& d, const RValue& v) const {
  Found found;
  forDisk(d, [&](int64_t x, int64_t y) {
    if (CompareValues(cell(x, y), v) != 0) return false;
    found = {true, x, y};
    return true;
  });
  return found;
}

// 8 x width x height swaps of two cells; each cell is drawn as x then y, the first cell before the
// second, all from the runner's one generator.
void CDS_Grid::shuffle() {
  auto w = static_cast<uint32_t>(width_), h = static_cast<uint32_t>(height_);
  for (uint64_t k = 0; k < uint64_t{8} * w * h; ++k) {
    uint32_t xa = code::RandomInteger(w), ya = code::RandomInteger(h);
    uint32_t xb = code::RandomInteger(w), yb = code::RandomInteger(h);
    std::swap(cell(xa, ya), cell(xb, yb));
  }
}

void CDS_Grid::write(CStream& s) const {
  s.WriteInteger(kGridRecord);
  s.WriteInteger(static_cast<int32_t>(width_));
  s.WriteInteger(static_cast<int32_t>(height_));
  for (const RValue& v : cells_) WriteValue(s, v);
}

bool CDS_Grid::read(CStream& s, CDS_Grid& out) {
  if (s.ReadInteger() != kGridRecord) return false;
  int64_t width = s.ReadInteger();
  int64_t height = s.ReadInteger();
  if (width < 0 || height < 0) throw data::StreamError("grid text holds a negative size");
  // 64-bit product: 65536 x 65536 must not wrap to 0. The bytes must hold every cell.
  if (static_cast<uint64_t>(width * height) * kMinValueBytes > s.remaining() || width * height > kMaxCells)
    throw data::StreamError("grid text holds more cells than its bytes");
  CDS_Grid fresh;
  fresh.width_ = width;
  fresh.height_ = height;
  fresh.cells_.reserve(static_cast<size_t>(width * height));
  for (int64_t i = 0; i < width * height; ++i) fresh.cells_.push_back(ReadValue(s));
  out = std::move(fresh);
  return true;
}

}  // namespace qv::datastructures
