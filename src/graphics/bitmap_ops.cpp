// Sections: basic operations; resizing and alpha; processing of added images; image records;
// PNG writer; image files.
#include "graphics/bitmap_ops.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "code/errors.h"
#include "data/bmp_file.h"
#include "platform/bounded_file.h"
#include "platform/image_codecs.h"
#include "system/secure_mode.h"
#include "data/stream.h"


namespace qv::graphics {

// --- basic operations ----------------------------------------------------------------------------

void SetSize(data::TBitmap32& b, int w, int h) {
  if (w < 1 || h < 1 || (w == b.width && h == b.height)) return;
  b = data::TBitmap32(w, h, 0);
}

void SetSizeAndFill(data::TBitmap32& b, int w, int h, uint32_t argb) {
  SetSize(b, w, h);
  std::fill(b.pixels.begin(), b.pixels.end(), argb);
}

uint32_t GetPixel(const data::TBitmap32& b, int x, int y) {
  if (x < 0 || y < 0 || x >= b.width || y >= b.height) return 0;
  return b.pixel(x, y);
}

void CopyRect(data::TBitmap32& dst, int dx, int dy, const data::TBitmap32& src, int sx, int sy, int w, int h) {
  // Clip the source rectangle to the source, then the destination, moving both corners together.
  if (sx < 0) { dx -= sx; w += sx; sx = 0; }
  if (sy < 0) { dy -= sy; h += sy; sy = 0; }
  if (dx < 0) { sx -= dx; w += dx; dx = 0; }
  if (dy < 0) { sy -= dy; h += dy; dy = 0; }
  w = std::min({w, src.width - sx, dst.width - dx});
  h = std::min({h, src.height - sy, dst.height - dy});
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < h; ++y) std::copy_n(src.row(sy + y) + sx, w, dst.row(dy + y) + dx);
}

Box AlphaBoundingBox(const data::TBitmap32& b, int tolerance) {
  Box box{b.width - 1, b.height - 1, 0, 0};
  for (int y = 0; y < b.height; ++y) {
    const uint32_t* row = b.row(y);
    for (int x = 0; x < b.width; ++x) {
      if (int(row[x] >> 24) > tolerance) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
    }
  }
  return box;
}

// --- resizing and alpha --------------------------------------------------------------------------

data::TBitmap32 Resized(const data::TBitmap32& src, int newW, int newH, int factor) {
  if (newW < 1 || newH < 1) return data::TBitmap32();
  data::TBitmap32 out(newW, newH, 0);
  if (src.empty()) return out;
  const int n = std::max(factor, 1);
  const double fx = double(newW) / src.width, fy = double(newH) / src.height;
  const double nn = double(n) * n;
  for (int y = 0; y < newH; ++y) {
    for (int x = 0; x < newW; ++x) {
      double sum[4] = {0, 0, 0, 0};
      for (int i = 0; i < n; ++i) {
        // Rounding can reach the index just past the edge: clamp to the last pixel.
        const int sy = std::clamp(int(std::floor((y + double(i) / n) / fy)), 0, src.height - 1);
        for (int j = 0; j < n; ++j) {
          const int sx = std::clamp(int(std::floor((x + double(j) / n) / fx)), 0, src.width - 1);
          const uint32_t p = src.pixel(sx, sy);
          if ((p >> 24) == 0) continue;
          for (int c = 0; c < 4; ++c) sum[c] += double((p >> (8 * c)) & 0xFF);
        }
      }
      uint32_t p = 0;
      for (int c = 0; c < 4; ++c) p |= uint32_t(std::clamp(int(std::nearbyint(sum[c] / nn)), 0, 255)) << (8 * c);
      out.setPixel(x, y, p);
    }
  }
  return out;
}

void AlphaFrom(data::TBitmap32& b, const data::TBitmap32& other) {
  const int w = std::min(b.width, other.width), h = std::min(b.height, other.height);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t o = other.pixel(x, y);
      const uint32_t intensity = ((o >> 16) & 0xFF) + ((o >> 8) & 0xFF) + (o & 0xFF);
      const uint32_t p = b.pixel(x, y);
      const uint32_t a = (p >> 24) * intensity / 765;
      b.setPixel(x, y, (p & 0x00FFFFFF) | a << 24);
    }
  }
}

// --- processing of added images ------------------------------------------------------------------

void MakeBackgroundTransparent(data::TBitmap32& b) {
  if (b.empty()) return;
  const uint32_t key = b.pixel(0, b.height - 1) & 0x00FFFFFF;
  for (uint32_t& p : b.pixels)
    if ((p & 0x00FFFFFF) == key) p &= 0x00FFFFFF;
}

void SmoothEdges(data::TBitmap32& b) {
  // In place, in visiting order: a neighbour brought to 0 earlier acts as transparent later.
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if ((b.pixel(x, y) >> 24) != 0) continue;
      for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, b.height - 1); ++ny) {
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, b.width - 1); ++nx) {
          const uint32_t p = b.pixel(nx, ny);
          const uint32_t a = p >> 24;
          if (a >= 32) b.setPixel(nx, ny, (p & 0x00FFFFFF) | (a - 32) << 24);
        }
      }
    }
  }
}

void BleedColours(data::TBitmap32& b) {
  auto visible = [&](int x, int y) { return x >= 0 && y >= 0 && x < b.width && y < b.height && (b.pixel(x, y) >> 24) != 0; };
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if ((b.pixel(x, y) >> 24) != 0) continue;
      uint32_t p = b.pixel(x, y);
      if (visible(x - 1, y)) {
        p = b.pixel(x - 1, y);
      } else if (visible(x + 1, y)) {
        p = b.pixel(x + 1, y);
      } else if (visible(x, y - 1)) {
        p = b.pixel(x, y - 1);
      } else if (visible(x, y + 1)) {
        p = b.pixel(x, y + 1);
      }
      b.setPixel(x, y, p & 0x00FFFFFF);
    }
  }
}

void ProcessAddedImage(data::TBitmap32& b, bool removeBack, bool smooth) {
  if (removeBack) MakeBackgroundTransparent(b);
  if (smooth) SmoothEdges(b);
  if (removeBack) BleedColours(b);
}

// --- image records -------------------------------------------------------------------------------

namespace {
constexpr int32_t kImageRecordVersion = 800;
}

bool ReadImageRecord(data::CStream& s, data::TBitmap32& out) {
  out = data::TBitmap32();
  if (s.ReadInteger() != kImageRecordVersion) return false;
  const int64_t w = s.ReadInteger(), h = s.ReadInteger();
  if (w < 0 || h < 0) return false;  // a negative side is corrupt data (and two would pass w*h >= 1)
  if (w * h < 1) return true;         // no pixel block follows; the picture is empty
  // The block must be read to stay in step with the stream; the length read from it bounds nothing
  // by itself: the stream checks it against the bytes that are really left.
  data::CStream block = s.ReadRawBlock();
  if (w > data::kMaxBitmapSide || h > data::kMaxBitmapSide || block.size() != size_t(w * h * 4)) return false;
  data::TBitmap32 b(static_cast<int>(w), static_cast<int>(h), 0);
  block.ReadBytes(b.pixels.data(), block.size());
  out = std::move(b);
  return true;
}

void WriteImageRecord(data::CStream& s, const data::TBitmap32& b) {
  s.WriteInteger(kImageRecordVersion);
  s.WriteInteger(b.width);
  s.WriteInteger(b.height);
  if (int64_t(b.width) * b.height < 1) return;
  data::CStream block;
  block.WriteBytes(b.pixels.data(), b.pixels.size() * 4);
  s.WriteRawBlock(block);
}

// --- PNG writer ----------------------------------------------------------------------------------

namespace {
void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutBE32(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out.data() + start, uInt(out.size() - start));
  PutBE32(out, uint32_t(crc));
}
}  // namespace

std::vector<uint8_t> EncodePng(const data::TBitmap32& b) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, uint32_t(b.width));
  PutBE32(ihdr, uint32_t(b.height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // depth 8, RGBA, deflate, filter 0, no interlace
  PutChunk(out, "IHDR", ihdr);
  std::vector<uint8_t> raw;
  raw.reserve(size_t(b.height) * (size_t(b.width) * 4 + 1));
  for (int y = 0; y < b.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < b.width; ++x) {
      const uint32_t p = b.pixel(x, y);
      raw.insert(raw.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
    }
  }
  PutChunk(out, "IDAT", data::Deflate(raw.data(), raw.size()));
  PutChunk(out, "IEND", {});
  return out;
}

namespace {
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}
}  // namespace

bool SavePng(const data::TBitmap32& b, const std::string& hostPath) { return WriteWholeFile(hostPath, EncodePng(b)); }

bool SaveBmp(const data::TBitmap32& b, const std::string& hostPath) { return WriteWholeFile(hostPath, data::EncodeBmp(b)); }

// --- image files ---------------------------------------------------------------------------------

std::string FileExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool ReadWholeFile(const std::string& hostPath, std::vector<uint8_t>& out) {
  return platform::ReadFileBounded(hostPath, kMaxImageFileBytes, out) == platform::FileRead::ok;
}

namespace {
// The colour decoded pictures are laid on: red 254, green 255, blue 255.
constexpr uint32_t kFileFill = 0x00FEFFFF;

data::TBitmap32 FromDecoded(platform::DecodedImage&& d) {
  data::TBitmap32 b;
  b.width = d.width;
  b.height = d.height;
  b.pixels = std::move(d.pixels);
  if (!d.hasAlpha) {
    for (uint32_t& p : b.pixels) p = (p >> 24) == 0 ? (0xFF000000 | kFileFill) : (p | 0xFF000000);
  }
  const bool anyAlpha = std::any_of(b.pixels.begin(), b.pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
  if (!anyAlpha)
    for (uint32_t& p : b.pixels) p |= 0xFF000000;
  return b;
}
}  // namespace

std::optional<data::TBitmap32> DecodeImage(const uint8_t* data, size_t size, const std::string& ext) {
  std::optional<platform::DecodedImage> d;
  if (ext == ".png") {
    d = platform::DecodePng(data, size);
  } else if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") {
    d = platform::DecodeJpeg(data, size);
  } else if (ext == ".gif") {
    d = platform::DecodeGif(data, size);
    if (d) d->hasAlpha = false;  // a GIF's transparent colour shows the fill colour
  } else if (ext == ".tif" || ext == ".tiff" || ext == ".fax") {
    d = platform::DecodeTiff(data, size);
  } else if (ext == ".bmp" || ext == ".dib" || ext == ".rle") {
    auto b = data::DecodeBmp(data, size);
    if (!b) return std::nullopt;
    platform::DecodedImage img{b->width, b->height, std::move(b->pixels), true};
    d = std::move(img);
  }
  if (!d) return std::nullopt;
  return FromDecoded(std::move(*d));
}

std::optional<data::TBitmap32> ReadImageFile(const std::string& hostPath) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(hostPath, bytes)) return std::nullopt;
  return DecodeImage(bytes.data(), bytes.size(), FileExtension(hostPath));
}

bool ImageWriteAllowed(const std::string& name) {
  if (!system::SecureMode() || !system::NameLeavesDirectory(name)) return true;
  code::ReportActionError("In secure mode you cannot write file " + name);
  return false;
}

}  // namespace qv::graphics
