// The texture table: texture ids (indices, -1 for none) for every picture the device holds.
//
// Invariant: entries are never removed; a freed entry stays inactive and the lowest inactive id is
// taken by the next creation. Each active entry records the image size and the texture size the
// device accepted (powers of two), whose ratio is the texture coordinate of the image's far edge.
#pragma once

#include <cstdint>
#include <vector>

#include "data/bitmap32.h"
#include "platform/device.h"

namespace qv::graphics {

struct TextureEntry {
  platform::TextureHandle handle = 0;
  int imageWidth = 0, imageHeight = 0;
  int textureWidth = 0, textureHeight = 0;
  bool renderTarget = false;
  bool active = false;
};

class TextureTable {
 public:
  // Uses this device from now on; the table is emptied (device creation empties it).
  void attach(platform::Device* device);
  platform::Device* device() const { return device_; }
  // Counts attachments: ids kept from an earlier generation name nothing (or another picture).
  uint64_t generation() const { return generation_; }

  // A zero-filled texture for an image of w x h; -1 when the device refuses it.
  int create(int w, int h, bool renderTarget);
  // Texture of the bitmap's size with its pixels; -1 for an empty bitmap or on failure.
  int fromBitmap(const data::TBitmap32& b);
  // White pixels whose alpha is the byte, row by row (font glyph sheets).
  int fromAlphaMap(int w, int h, const uint8_t* alpha);
  // Uploads image-size pixels, with the one-pixel border of repeated edges when the texture is larger.
  bool upload(int id, const uint32_t* pixels);
  void free(int id);
  bool exists(int id) const;
  void bind(int id);
  double widthRatio(int id) const;   // 1 for an unknown id
  double heightRatio(int id) const;
  const TextureEntry* entry(int id) const;
  int count() const { return int(entries_.size()); }

 private:
  platform::Device* device_ = nullptr;
  std::vector<TextureEntry> entries_;
  uint64_t generation_ = 0;
};

TextureTable& textures();

}  // namespace qv::graphics
