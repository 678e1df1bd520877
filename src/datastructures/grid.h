// CDS_Grid: width x height values addressed by (x, y), stored column by column (cell (x, y) at
// x * height + y), which is also the order of the record: 601, width, height, the cells.
//
// Regions are clipped to the grid; disks take the cells of their clipped bounding box whose
// centres lie within the radius. Every scan runs x in the outer loop and y in the inner loop, both
// ascending, which fixes the first match of the value searches and the order of sums.
#pragma once

#include <vector>

#include "datastructures/record.h"

namespace qv::datastructures {

class CDS_Grid {
 public:
  // Most cells a grid may hold (16M cells, about 768 MiB): a larger request is a runaway size
  // (a negative number read as unsigned, a corrupt file) and is refused instead of taking the
  // machine's memory.
  static constexpr int64_t kMaxCells = int64_t{1} << 24;

  enum class Combine { set, add, multiply };

  struct Region {  // inclusive and clipped; empty when x1 > x2 or y1 > y2
    int64_t x1, y1, x2, y2;
  };
  struct Disk {
    double xm, ym, r;
  };
  struct Found {
    bool found = false;
    int64_t x = 0, y = 0;
  };
  struct Stats {  // over the real cells only
    double sum = 0, min = 100000000, max = -100000000;
    int64_t count = 0;
    double mean() const { return count ? sum / static_cast<double>(count) : 0.0; }
  };

  int64_t width() const { return width_; }
  int64_t height() const { return height_; }
  // False (nothing changed) when the size exceeds kMaxCells. Negative sizes count as 0.
  bool resize(int64_t width, int64_t height);
  void clear(const RValue& v);

  bool inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  RValue get(int64_t x, int64_t y) const;  // the real 0 outside
  void apply(Combine op, int64_t x, int64_t y, const RValue& v);  // nothing outside

  Region region(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const;
  Region bounds(const Disk& d) const;
  void applyRegion(Combine op, const Region& r, const RValue& v);
  void applyDisk(Combine op, const Disk& d, const RValue& v);
  // Combines the source's region [x1..x2] x [y1..y2] into this grid at (xpos, ypos); source may
  // be this grid (every source cell is read before any is written).
  void applyGridRegion(Combine op, const CDS_Grid& source, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                       int64_t xpos, int64_t ypos);

  Stats stats(const Region& r) const;
  Stats stats(const Disk& d) const;
  Found find(const Region& r, const RValue& v) const;
  Found find(const Disk& d, const RValue& v) const;
  void shuffle();

  void write(CStream& s) const;
  static bool read(CStream& s, CDS_Grid& out);

 private:
  RValue& cell(int64_t x, int64_t y) { return cells_[static_cast<size_t>(x * height_ + y)]; }
  const RValue& cell(int64_t x, int64_t y) const { return cells_[static_cast<size_t>(x * height_ + y)]; }
  // Calls f(x, y) for each cell of the disk, x outer, y inner; stops when f returns true.
  template <class F>
  void forDisk(const Disk& d, F&& f) const;

  int64_t width_ = 0;
  int64_t height_ = 0;
  std::vector<RValue> cells_;
};

}  // namespace qv::datastructures
