#include "data/bmp_file.h"

#include <bit>
#include <cstring>

namespace qv::data {
namespace {

// Compression codes of the info header.
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;  // the oldest header: 16-bit sizes, 3-byte palette entries
// A run-length image may claim far more pixels than it has bytes, which would let a few bytes
// allocate a gigabyte. Real files stay below 4096 pixels per stored byte (a blank row of an image
// 8192 wide costs 2 bytes); only images above a megapixel are held to that.
constexpr uint64_t kRlePixelsPerByte = 4096;
constexpr uint64_t kRleFreePixels = uint64_t{1} << 20;

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

// One colour channel described by a bit mask: its position and width, scaled to 8 bits on read.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static std::optional<Channel> from(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
    if ((mask >> c.shift) != (uint32_t{0xFFFFFFFF} >> (32 - c.bits))) return std::nullopt;  // not contiguous
    return c;
  }
  uint32_t value(uint32_t px, uint32_t absent) const {
    if (bits == 0) return absent;
    uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    uint32_t maxv = (uint32_t{1} << bits) - 1;
    return (v * 255 + maxv / 2) / maxv;
  }
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // positive: bottom-up
  uint32_t bpp = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool hasMasks = false;
  size_t paletteEntrySize = 4;
};

uint32_t argb(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return a << 24 | r << 16 | g << 8 | b; }

// Run-length data: writes palette indices into `indices` (row 0 = first row in file order).
// A run or a move that leaves the image makes the whole picture invalid.
bool decodeRle(const uint8_t* p, size_t n, bool four, int64_t width, int64_t height, std::vector<uint8_t>& indices) {
  int64_t x = 0, y = 0;
  size_t i = 0;
  auto put = [&](uint8_t v) -> bool {
    if (x >= width || y >= height) return false;
    indices[size_t(y * width + x)] = v;
    ++x;
    return true;
  };
  while (i + 1 < n) {
    uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) {
        uint8_t v = four ? uint8_t((k & 1) ? (value & 15) : (value >> 4)) : value;
        if (!put(v)) return false;
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right dx, down dy
      if (i + 1 >= n) return false;
      x += p[i];
      y += p[i + 1];
      i += 2;
      if (x > width || y > height) return false;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      size_t bytes = four ? (size_t(value) + 1) / 2 : value;
      if (i + bytes > n) return false;
      for (int k = 0; k < value; ++k) {
        uint8_t v = four ? uint8_t((k & 1) ? (p[i + size_t(k / 2)] & 15) : (p[i + size_t(k / 2)] >> 4)) : p[i + size_t(k)];
        if (!put(v)) return false;
      }
      i += bytes + (bytes & 1);
    }
  }
  return true;  // data ended without the end marker: keep what was drawn
}

}  // namespace

std::optional<TBitmap32> DecodeBmp(const uint8_t* data, size_t size) {
  if (!data) return std::nullopt;
  size_t infoAt = 0;
  std::optional<size_t> pixelOffset;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
    if (size < kFileHeaderSize) return std::nullopt;
    pixelOffset = le32(data + 10);
    infoAt = kFileHeaderSize;
  }
  if (size < infoAt + 4) return std::nullopt;
  const uint8_t* ih = data + infoAt;
  const uint32_t infoSize = le32(ih);
  if (infoSize > size - infoAt) return std::nullopt;

  Header h;
  if (infoSize == kCoreHeaderSize) {
    h.width = le16(ih + 4);
    h.height = le16(ih + 6);
    h.bpp = le16(ih + 10);
    h.paletteEntrySize = 3;
  } else if (infoSize >= 40 && infoSize <= 124) {
    h.width = int32_t(le32(ih + 4));
    h.height = int32_t(le32(ih + 8));
    h.bpp = le16(ih + 14);
    h.compression = le32(ih + 16);
    h.colorsUsed = le32(ih + 32);
    if (infoSize >= 52) {
      for (int k = 0; k < 3; ++k) h.masks[k] = le32(ih + 40 + 4 * k);
      if (infoSize >= 56) h.masks[3] = le32(ih + 52);
      h.hasMasks = true;
    }
  } else {
    return std::nullopt;
  }
  if (le16(ih + (infoSize == kCoreHeaderSize ? 8 : 12)) != 1) return std::nullopt;  // planes

  bool topDown = h.height < 0;
  int64_t height = topDown ? -h.height : h.height;
  if (h.width <= 0 || height <= 0 || h.width > kMaxBitmapSide || height > kMaxBitmapSide) return std::nullopt;

  size_t cursor = infoAt + infoSize;
  // Masks stored after a 40-byte header.
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    if (h.bpp != 16 && h.bpp != 32) return std::nullopt;
    if (!h.hasMasks) {
      int count = h.compression == kBiAlphaBitfields ? 4 : 3;
      if (size - cursor < size_t(4 * count)) return std::nullopt;
      for (int k = 0; k < count; ++k) h.masks[k] = le32(data + cursor + 4 * size_t(k));
      cursor += 4 * size_t(count);
    }
  } else if (h.compression == kBiRle8) {
    if (h.bpp != 8 || topDown) return std::nullopt;
  } else if (h.compression == kBiRle4) {
    if (h.bpp != 4 || topDown) return std::nullopt;
  } else if (h.compression != kBiRgb) {
    return std::nullopt;
  }
  if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32) return std::nullopt;

  // Palette (indexed formats only).
  std::vector<uint32_t> palette;
  if (h.bpp <= 8) {
    size_t maxColours = size_t{1} << h.bpp;
    size_t count = h.colorsUsed == 0 ? maxColours : std::min<size_t>(h.colorsUsed, maxColours);
    if ((size - cursor) / h.paletteEntrySize < count) return std::nullopt;
    palette.resize(count);
    for (size_t k = 0; k < count; ++k) {
      const uint8_t* e = data + cursor + k * h.paletteEntrySize;
      palette[k] = argb(e[2], e[1], e[0], 255);
    }
    // The palette may declare more entries than an index can reach; pixels start after all of them.
    size_t declared = h.colorsUsed == 0 ? maxColours : h.colorsUsed;
    if (declared > (size - cursor) / h.paletteEntrySize) declared = count;
    cursor += declared * h.paletteEntrySize;
  }
  size_t pixelsAt = pixelOffset.value_or(cursor);
  if (pixelsAt > size) return std::nullopt;
  const uint8_t* px = data + pixelsAt;
  const size_t avail = size - pixelsAt;

  const uint64_t pixelCount = uint64_t(h.width) * uint64_t(height);
  const bool runLength = h.compression == kBiRle8 || h.compression == kBiRle4;
  const uint64_t rowBits = uint64_t(h.width) * h.bpp;
  const uint64_t stride = (rowBits + 31) / 32 * 4;
  const uint64_t lastRow = (rowBits + 7) / 8;
  // Every check on the sizes comes before the image is allocated.
  if (runLength) {
    if (pixelCount > kRleFreePixels && pixelCount / kRlePixelsPerByte > avail) return std::nullopt;
  } else if (uint64_t(height - 1) * stride + lastRow > avail) {
    return std::nullopt;
  }

  TBitmap32 out(int(h.width), int(height));
  auto colourAt = [&](uint32_t index) { return index < palette.size() ? palette[index] : argb(0, 0, 0, 255); };
  auto destRow = [&](int64_t fileRow) { return out.row(int(topDown ? fileRow : height - 1 - fileRow)); };

  if (runLength) {
    std::vector<uint8_t> indices(size_t(h.width * height), 0);
    if (!decodeRle(px, avail, h.compression == kBiRle4, h.width, height, indices)) return std::nullopt;
    for (int64_t y = 0; y < height; ++y) {
      uint32_t* row = destRow(y);
      for (int64_t x = 0; x < h.width; ++x) row[x] = colourAt(indices[size_t(y * h.width + x)]);
    }
    return out;
  }

  // Uncompressed rows: each padded to 4 bytes (sizes checked above).

  Channel ch[4];
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    for (int k = 0; k < 4; ++k) {
      auto c = Channel::from(h.masks[k]);
      if (!c) return std::nullopt;
      ch[k] = *c;
    }
  } else if (h.bpp == 16) {  // 5-5-5
    ch[0] = *Channel::from(0x7C00);
    ch[1] = *Channel::from(0x03E0);
    ch[2] = *Channel::from(0x001F);
  } else if (h.bpp == 32) {  // the fourth byte is reserved in plain 32-bit files: opaque
    ch[0] = *Channel::from(0x00FF0000);
    ch[1] = *Channel::from(0x0000FF00);
    ch[2] = *Channel::from(0x000000FF);
  }

  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* src = px + uint64_t(y) * stride;
    uint32_t* row = destRow(y);
    for (int64_t x = 0; x < h.width; ++x) {
      uint32_t c;
      switch (h.bpp) {
        case 1: c = colourAt((src[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: c = colourAt((x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4)); break;
        case 8: c = colourAt(src[x]); break;
        case 24: c = argb(src[3 * x + 2], src[3 * x + 1], src[3 * x], 255); break;
        default: {
          uint32_t v = h.bpp == 16 ? le16(src + 2 * x) : le32(src + 4 * x);
          c = argb(ch[0].value(v, 0), ch[1].value(v, 0), ch[2].value(v, 0), ch[3].value(v, 255));
        }
      }
      row[x] = c;
    }
  }
  return out;
}

std::vector<uint8_t> EncodeBmp(const TBitmap32& bitmap) {
  if (bitmap.empty() || bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height)) return {};
  constexpr uint32_t kInfoSize = 108;  // the version-4 header, which carries the alpha mask
  const uint32_t offset = uint32_t(kFileHeaderSize) + kInfoSize;
  const uint64_t imageSize = uint64_t(bitmap.width) * uint64_t(bitmap.height) * 4;
  std::vector<uint8_t> out;
  out.reserve(offset + imageSize);
  auto u16 = [&](uint32_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out.push_back('B');
  out.push_back('M');
  u32(uint32_t(offset + imageSize));
  u32(0);
  u32(offset);
  u32(kInfoSize);
  u32(uint32_t(bitmap.width));
  u32(uint32_t(bitmap.height));  // bottom-up
  u16(1);
  u16(32);
  u32(kBiBitfields);
  u32(uint32_t(imageSize));
  u32(2835);  // 72 dots per inch
  u32(2835);
  u32(0);
  u32(0);
  u32(0x00FF0000);
  u32(0x0000FF00);
  u32(0x000000FF);
  u32(0xFF000000);
  u32(0x73524742);  // colour space "sRGB"
  for (int k = 0; k < 12; ++k) u32(0);  // endpoints and gamma, unused with sRGB
  for (int y = bitmap.height - 1; y >= 0; --y)
    for (int x = 0; x < bitmap.width; ++x) u32(bitmap.pixel(x, y));
  return out;
}

}  // namespace qv::data
