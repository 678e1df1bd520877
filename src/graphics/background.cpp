// Sections: textures; game data records; background files; gradients.
#include "graphics/background.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "graphics/bitmap_ops.h"
#include "graphics/colour.h"
#include "graphics/texture_table.h"
#include "data/stream.h"

namespace qv::graphics {

ResourceList<CBackground>& backgrounds() {
  static ResourceList<CBackground> list;
  return list;
}

// --- textures ------------------------------------------------------------------------------------

void FreeBackgroundTexture(CBackground& b) {
  textures().free(b.texture);
  b.texture = -1;
}

void CreateBackgroundTexture(CBackground& b) {
  FreeBackgroundTexture(b);
  b.texture = textures().fromBitmap(b.image);
  textures().bind(b.texture);
}

// --- game data records ---------------------------------------------------------------------------

namespace {
constexpr int32_t kBackgroundVersion = 710;
constexpr int32_t kBackgroundBlockVersion = 800;
constexpr int32_t kFileMagic = 1234321;
}  // namespace

bool ReadBackgroundRecord(data::CStream& s, std::unique_ptr<CBackground>& out, std::string& name) {
  out.reset();
  name.clear();
  if (!s.ReadBoolean()) return true;
  name = s.ReadString();
  if (s.ReadInteger() != kBackgroundVersion) return false;
  auto b = std::make_unique<CBackground>();
  if (!ReadImageRecord(s, b->image)) return false;
  out = std::move(b);
  return true;
}

void WriteBackgroundRecord(data::CStream& s, const CBackground* b, const std::string& name) {
  s.WriteBoolean(b != nullptr);
  if (!b) return;
  s.WriteString(name);
  s.WriteInteger(kBackgroundVersion);
  WriteImageRecord(s, b->image);
}

bool ReadBackgroundBlock(data::CStream& s, ResourceList<CBackground>& list) {
  list.clear();
  if (s.ReadInteger() != kBackgroundBlockVersion) return false;
  const int32_t count = s.ReadInteger();
  if (count < 0 || size_t(count) > s.remaining() / 4) return false;
  for (int32_t i = 0; i < count; ++i) {
    data::CStream block = s.ReadCompressedBlock();
    std::unique_ptr<CBackground> b;
    std::string name;
    if (!ReadBackgroundRecord(block, b, name)) return false;
    list.slots.push_back(std::move(b));
    list.names.push_back(name);
  }
  return true;
}

void WriteBackgroundBlock(data::CStream& s, const ResourceList<CBackground>& list) {
  s.WriteInteger(kBackgroundBlockVersion);
  s.WriteInteger(list.count());
  for (int i = 0; i < list.count(); ++i) {
    data::CStream block;
    WriteBackgroundRecord(block, list.get(i), list.names[size_t(i)]);
    s.WriteCompressedBlock(block);
  }
}

// --- background files ----------------------------------------------------------------------------

std::optional<data::TBitmap32> ReadBackgroundFile(const uint8_t* data, size_t size) {
  try {
    data::CStream file(std::vector<uint8_t>(data, data + size));
    if (file.ReadInteger() != kFileMagic) return std::nullopt;
    data::CStream s = file.ReadCompressedBlock();
    if (s.ReadInteger() != kBackgroundVersion) return std::nullopt;
    s.ReadBoolean();  // tile-set settings: read and ignored
    for (int i = 0; i < 6; ++i) s.ReadInteger();
    data::TBitmap32 image;
    if (!ReadImageRecord(s, image)) return std::nullopt;
    BleedColours(image);
    return image;
  } catch (const data::StreamError&) {
    return std::nullopt;
  }
}

std::vector<uint8_t> WriteBackgroundFile(const data::TBitmap32& image) {
  data::CStream s;
  s.WriteInteger(kBackgroundVersion);
  s.WriteBoolean(false);
  for (int i = 0; i < 6; ++i) s.WriteInteger(0);
  WriteImageRecord(s, image);
  data::CStream file;
  file.WriteInteger(kFileMagic);
  file.WriteCompressedBlock(s);
  return file.bytes();
}

// --- gradients -----------------------------------------------------------------------------------
//
// A small raster painter with the usual conventions: lines leave out their end point, filled
// shapes leave out their right and bottom edges. Ellipses fill the pixels whose centres lie inside.

namespace {
class Painter {
 public:
  explicit Painter(data::TBitmap32& b) : b_(b) {}
  void plot(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < b_.width && y < b_.height) b_.setPixel(x, y, c);
  }
  void line(int x0, int y0, int x1, int y1, uint32_t c) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    // Long lines far outside the picture cost nothing once they have left it.
    for (int steps = 0; !(x0 == x1 && y0 == y1) && steps < 4 * (b_.width + b_.height) + 8; ++steps) {
      plot(x0, y0, c);
      const int e2 = 2 * err;
      if (e2 >= dy) { err += dy; x0 += sx; }
      if (e2 <= dx) { err += dx; y0 += sy; }
    }
  }
  void rect(int l, int t, int r, int bm, uint32_t c) {
    for (int y = std::max(t, 0); y < std::min(bm, b_.height); ++y)
      for (int x = std::max(l, 0); x < std::min(r, b_.width); ++x) b_.setPixel(x, y, c);
  }
  void ellipse(double l, double t, double r, double bm, uint32_t c) {
    const double cx = (l + r) / 2, cy = (t + bm) / 2, rx = (r - l) / 2, ry = (bm - t) / 2;
    if (rx <= 0 || ry <= 0) return;
    for (int y = std::max(int(t), 0); y < std::min(int(std::ceil(bm)), b_.height); ++y)
      for (int x = std::max(int(l), 0); x < std::min(int(std::ceil(r)), b_.width); ++x) {
        const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
        if (u * u + v * v <= 1.0) b_.setPixel(x, y, c);
      }
  }

 private:
  data::TBitmap32& b_;
};
}  // namespace

data::TBitmap32 MakeGradient(int w, int h, int32_t col1, int32_t col2, int kind) {
  if (w < 1 || h < 1 || w > data::kMaxBitmapSide || h > data::kMaxBitmapSide) return data::TBitmap32();
  auto merge = [&](int32_t a, int32_t b, double t) { return ScriptToDevice(int32_t(MergeColour(uint32_t(a), uint32_t(b), t)), 1.0); };
  data::TBitmap32 out(w, h, ScriptToDevice(col1, 1.0));
  Painter p(out);
  switch (kind) {
    case 0:
      for (int x = 0; x < w; ++x) p.line(x, 0, x, h, merge(col1, col2, double(x) / w));
      break;
    case 1:
      for (int y = 0; y < h; ++y) p.line(0, y, w, y, merge(col1, col2, double(y) / h));
      break;
    case 2:
    case 3: {
      const int m = std::min(w, h) / 2;
      for (int i = 0; i <= m; ++i) {
        const uint32_t c = merge(col1, col2, m == 0 ? 0.0 : double(i) / m);
        if (kind == 2) {
          p.rect(i, i, w - i, h - i, c);
        } else {
          p.ellipse(i, i, w - i, h - i, c);
        }
      }
      break;
    }
    case 4: {
      const int m = w / 2;
      for (int i = 0; i <= m; ++i) {
        const uint32_t c = merge(col1, col2, m == 0 ? 0.0 : double(i) / m);
        p.line(i, 0, i, h, c);
        p.line(w - i, 0, w - i, h, c);
      }
      break;
    }
    case 5: {
      const int m = h / 2;
      for (int i = 0; i <= m; ++i) {
        const uint32_t c = merge(col1, col2, m == 0 ? 0.0 : double(i) / m);
        p.line(0, i, w, i, c);
        p.line(0, h - i, w, h - i, c);
      }
      break;
    }
    case 6:
      for (int i = 0; i <= h; ++i) {
        const uint32_t c = merge(col1, col2, double(i) / h);
        p.line(0, i, w, i + h, c);
        p.line(0, -i, w, h - i, c);
      }
      break;
    case 7:
      for (int i = 0; i <= h; ++i) {
        const uint32_t c = merge(col1, col2, double(i) / h);
        p.line(0, h + i, w, i, c);
        p.line(0, h - i, w, -i, c);
      }
      break;
    case 8:
    case 9:
    case 10:
    case 11: {
      const int m = std::min(w, h);
      const int cx = (kind == 9 || kind == 11) ? w : 0;
      const int cy = (kind == 10 || kind == 11) ? h : 0;
      for (int r = m; r >= 1; --r) p.ellipse(cx - r, cy - r, cx + r, cy + r, merge(col2, col1, double(r) / m));
      break;
    }
    default:
      break;
  }
  for (uint32_t& px : out.pixels) px |= 0xFF000000;
  return out;
}

}  // namespace qv::graphics
