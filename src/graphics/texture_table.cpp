#include "graphics/texture_table.h"

#include <algorithm>

#include "graphics/d3dx.h"

namespace qv::graphics {

TextureTable& textures() {
  static TextureTable table;
  return table;
}

void TextureTable::attach(platform::Device* device) {
  if (device_)
    for (TextureEntry& e : entries_)
      if (e.active) device_->freeTexture(e.handle);
  entries_.clear();
  device_ = device;
  ++generation_;
}

int TextureTable::create(int w, int h, bool renderTarget) {
  if (!device_) return -1;
  auto it = std::find_if(entries_.begin(), entries_.end(), [](const TextureEntry& e) { return !e.active; });
  int id = int(it - entries_.begin());
  if (it == entries_.end()) entries_.emplace_back();
  int tw = w, th = h;
  if (!D3DXCheckTextureRequirements(*device_, tw, th)) return -1;
  const platform::TextureHandle handle = D3DXCreateTexture(*device_, tw, th, renderTarget);
  if (!handle) return -1;  // an appended entry stays, inactive
  entries_[size_t(id)] = TextureEntry{handle, w, h, tw, th, renderTarget, true};
  return id;
}

bool TextureTable::upload(int id, const uint32_t* pixels) {
  if (!exists(id)) return false;
  const TextureEntry& e = entries_[size_t(id)];
  const int w = e.imageWidth, h = e.imageHeight;
  if (w == e.textureWidth && h == e.textureHeight)
    return D3DXLoadSurfaceFromMemory(*device_, e.handle, pixels, w, h, w);
  // One extra column and row repeat the image's edge so that linear filtering at the far edges
  // blends with the image itself rather than with the empty rest of the texture.
  const int uw = std::min(w + 1, e.textureWidth), uh = std::min(h + 1, e.textureHeight);
  std::vector<uint32_t> buffer(size_t(uw) * size_t(uh));
  for (int y = 0; y < uh; ++y) {
    const uint32_t* src = pixels + size_t(std::min(y, h - 1)) * size_t(w);
    uint32_t* dst = buffer.data() + size_t(y) * size_t(uw);
    std::copy_n(src, w, dst);
    if (uw > w) dst[w] = src[w - 1];
  }
  return D3DXLoadSurfaceFromMemory(*device_, e.handle, buffer.data(), uw, uh, uw);
}

int TextureTable::fromBitmap(const data::TBitmap32& b) {
  if (b.empty()) return -1;  // a picture without pixels has no edge to repeat and draws nothing
  const int id = create(b.width, b.height, false);
  if (id < 0) return -1;
  if (!upload(id, b.pixels.data())) {
    free(id);
    return -1;
  }
  return id;
}

int TextureTable::fromAlphaMap(int w, int h, const uint8_t* alpha) {
  if (w < 1 || h < 1) return -1;
  data::TBitmap32 b(w, h);
  for (size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = uint32_t(alpha[i]) << 24 | 0x00FFFFFF;
  return fromBitmap(b);
}

void TextureTable::free(int id) {
  if (!exists(id)) return;
  TextureEntry& e = entries_[size_t(id)];
  device_->freeTexture(e.handle);
  e = TextureEntry{};
}

bool TextureTable::exists(int id) const { return id >= 0 && id < count() && entries_[size_t(id)].active; }

void TextureTable::bind(int id) {
  if (device_) device_->setTexture(exists(id) ? entries_[size_t(id)].handle : 0);
}

double TextureTable::widthRatio(int id) const {
  if (!exists(id)) return 1.0;
  const TextureEntry& e = entries_[size_t(id)];
  return double(e.imageWidth) / e.textureWidth;
}

double TextureTable::heightRatio(int id) const {
  if (!exists(id)) return 1.0;
  const TextureEntry& e = entries_[size_t(id)];
  return double(e.imageHeight) / e.textureHeight;
}

const TextureEntry* TextureTable::entry(int id) const { return exists(id) ? &entries_[size_t(id)] : nullptr; }

}  // namespace qv::graphics
