// Sections: frames and masks; textures; game data records; sprite files; image files and GIFs.
#include "graphics/sprite.h"

#include <algorithm>

#include "graphics/bitmap_ops.h"
#include "graphics/texture_table.h"
#include "platform/image_codecs.h"
#include "data/stream.h"

namespace qv::graphics {

constinit ResourceList<CSprite> g_sprites;

// --- frames and masks ----------------------------------------------------------------------------

int CSprite::frameIndex(int subimg) const {
  const int n = frameCount();
  if (n == 0) return -1;
  int i = subimg % n;
  if (i < 0) i += n;
  return i;
}

int CSprite::frameTexture(int subimg) const {
  const int i = frameIndex(subimg);
  if (i < 0 || size_t(i) >= textures.size()) return -1;
  return textures[size_t(i)];
}

const TMask* CSprite::frameMask(int subimg) const {
  if (masks.empty()) return nullptr;
  if (!separateMasks) return &masks[0];
  const int i = frameIndex(subimg);
  return i >= 0 && size_t(i) < masks.size() ? &masks[size_t(i)] : nullptr;
}

void ComputeSpriteBox(CSprite& s) {
  if (s.frames.empty() || s.masks.empty()) {
    s.bbox = Box{0, 0, 0, 0};
    return;
  }
  if (!s.separateMasks) {
    s.bbox = s.masks[0].box();
    return;
  }
  Box b{s.frames[0].width - 1, s.frames[0].height - 1, 0, 0};
  for (const TMask& m : s.masks) {
    b.left = std::min(b.left, m.left);
    b.top = std::min(b.top, m.top);
    b.right = std::max(b.right, m.right);
    b.bottom = std::max(b.bottom, m.bottom);
  }
  s.bbox = b;
}

void ComputeSpriteMasks(CSprite& s, bool separate, int tolerance, int shape, int boxKind, const Box& manual) {
  s.masks.clear();
  s.separateMasks = separate;
  if (s.frames.empty()) {
    s.bbox = Box{0, 0, 0, 0};
    return;
  }
  if (separate) {
    for (const data::TBitmap32& f : s.frames) s.masks.push_back(ComputeMask(f, boxKind, manual, shape, tolerance));
  } else {
    s.masks.push_back(ComputeMask(s.frames[0], boxKind, manual, shape, tolerance));
    for (size_t i = 1; i < s.frames.size(); ++i)
      MergeMask(s.masks[0], ComputeMask(s.frames[i], boxKind, manual, shape, tolerance), shape);
  }
  ComputeSpriteBox(s);
}

void ComputeDefaultMasks(CSprite& s) {
  ComputeSpriteMasks(s, s.separateMasks, 0, kShapePrecise, kBoxAutomatic, Box{});
}

// --- textures ------------------------------------------------------------------------------------

void FreeSpriteTextures(CSprite& s) {
  for (int t : s.textures) textures().free(t);
  s.textures.clear();
}

void CreateSpriteTextures(CSprite& s) {
  FreeSpriteTextures(s);
  for (const data::TBitmap32& f : s.frames) {
    const int t = textures().fromBitmap(f);
    textures().bind(t);
    s.textures.push_back(t);
  }
}

// --- game data records ---------------------------------------------------------------------------

namespace {
constexpr int32_t kSpriteVersion = 800;
constexpr int32_t kFileMagic = 1234321;
// The least an image record takes in the data (version, width, height): frame counts that the
// remaining bytes cannot hold are refused before anything is allocated.
constexpr size_t kMinImageRecordSize = 12;

bool ReadFrames(data::CStream& s, std::vector<data::TBitmap32>& frames) {
  const int32_t count = s.ReadInteger();
  if (count < 0 || size_t(count) > s.remaining() / kMinImageRecordSize) return false;
  frames.resize(size_t(count));
  for (data::TBitmap32& f : frames)
    if (!ReadImageRecord(s, f)) return false;
  return true;
}
}  // namespace

bool ReadSpriteRecord(data::CStream& s, std::unique_ptr<CSprite>& out, std::string& name) {
  out.reset();
  name.clear();
  if (!s.ReadBoolean()) return true;
  name = s.ReadString();
  if (s.ReadInteger() != kSpriteVersion) return false;
  auto sprite = std::make_unique<CSprite>();
  sprite->xOrigin = s.ReadInteger();
  sprite->yOrigin = s.ReadInteger();
  if (!ReadFrames(s, sprite->frames)) return false;
  sprite->separateMasks = s.ReadBoolean();
  if (!sprite->frames.empty()) {
    const size_t n = sprite->separateMasks ? sprite->frames.size() : 1;
    sprite->masks.resize(n);
    for (TMask& m : sprite->masks)
      if (!ReadMaskRecord(s, m)) return false;
  }
  ComputeSpriteBox(*sprite);
  sprite->textures.assign(sprite->frames.size(), -1);
  out = std::move(sprite);
  return true;
}

void WriteSpriteRecord(data::CStream& s, const CSprite* sprite, const std::string& name) {
  s.WriteBoolean(sprite != nullptr);
  if (!sprite) return;
  s.WriteString(name);
  s.WriteInteger(kSpriteVersion);
  s.WriteInteger(sprite->xOrigin);
  s.WriteInteger(sprite->yOrigin);
  s.WriteInteger(sprite->frameCount());
  for (const data::TBitmap32& f : sprite->frames) WriteImageRecord(s, f);
  s.WriteBoolean(sprite->separateMasks);
  if (sprite->frames.empty()) return;
  const size_t n = sprite->separateMasks ? sprite->frames.size() : 1;
  for (size_t i = 0; i < n; ++i) {
    if (i < sprite->masks.size()) {
      WriteMaskRecord(s, sprite->masks[i]);
    } else {
      WriteMaskRecord(s, TMask{});
    }
  }
}

bool ReadSpriteBlock(data::CStream& s, ResourceList<CSprite>& list) {
  list.clear();
  if (s.ReadInteger() != kSpriteVersion) return false;
  const int32_t count = s.ReadInteger();
  // Each sprite is at least a block length: a count the data cannot hold is refused.
  if (count < 0 || size_t(count) > s.remaining() / 4) return false;
  for (int32_t i = 0; i < count; ++i) {
    data::CStream block = s.ReadCompressedBlock();
    std::unique_ptr<CSprite> sprite;
    std::string name;
    if (!ReadSpriteRecord(block, sprite, name)) return false;
    list.slots.push_back(std::move(sprite));
    list.names.push_back(name);
  }
  return true;
}

void WriteSpriteBlock(data::CStream& s, const ResourceList<CSprite>& list) {
  s.WriteInteger(kSpriteVersion);
  s.WriteInteger(list.count());
  for (int i = 0; i < list.count(); ++i) {
    data::CStream block;
    WriteSpriteRecord(block, list.get(i), list.names[size_t(i)]);
    s.WriteCompressedBlock(block);
  }
}

// --- sprite files --------------------------------------------------------------------------------

std::optional<CSprite> ReadSpriteFile(const uint8_t* data, size_t size) {
  try {
    data::CStream file(std::vector<uint8_t>(data, data + size));
    if (file.ReadInteger() != kFileMagic) return std::nullopt;
    data::CStream s = file.ReadCompressedBlock();
    if (s.ReadInteger() != kSpriteVersion) return std::nullopt;
    CSprite sprite;
    sprite.xOrigin = s.ReadInteger();
    sprite.yOrigin = s.ReadInteger();
    if (!ReadFrames(s, sprite.frames)) return std::nullopt;
    SpriteFileSettings set;
    set.shape = s.ReadInteger();
    set.tolerance = s.ReadInteger();
    set.separate = s.ReadBoolean();
    set.boxKind = s.ReadInteger();
    set.manual.left = s.ReadInteger();
    set.manual.right = s.ReadInteger();
    set.manual.bottom = s.ReadInteger();
    set.manual.top = s.ReadInteger();
    for (data::TBitmap32& f : sprite.frames) BleedColours(f);
    ComputeSpriteMasks(sprite, set.separate, set.tolerance, set.shape, set.boxKind, set.manual);
    sprite.textures.assign(sprite.frames.size(), -1);
    return sprite;
  } catch (const data::StreamError&) {
    return std::nullopt;
  }
}

std::vector<uint8_t> WriteSpriteFile(const CSprite& sprite, const SpriteFileSettings& set) {
  data::CStream s;
  s.WriteInteger(kSpriteVersion);
  s.WriteInteger(sprite.xOrigin);
  s.WriteInteger(sprite.yOrigin);
  s.WriteInteger(sprite.frameCount());
  for (const data::TBitmap32& f : sprite.frames) WriteImageRecord(s, f);
  s.WriteInteger(set.shape);
  s.WriteInteger(set.tolerance);
  s.WriteBoolean(set.separate);
  s.WriteInteger(set.boxKind);
  s.WriteInteger(set.manual.left);
  s.WriteInteger(set.manual.right);
  s.WriteInteger(set.manual.bottom);
  s.WriteInteger(set.manual.top);
  data::CStream file;
  file.WriteInteger(kFileMagic);
  file.WriteCompressedBlock(s);
  return file.bytes();
}

// --- image files and GIFs ------------------------------------------------------------------------

std::vector<data::TBitmap32> ComposeGifFrames(const uint8_t* data, size_t size) {
  auto anim = platform::DecodeGifAnimation(data, size);
  if (!anim) return {};
  // The canvas colour: script colour 32832 (red 64, green 128, blue 0), opaque.
  constexpr uint32_t kCanvas = 0xFF408000;
  data::TBitmap32 canvas(anim->width, anim->height, kCanvas);
  std::vector<data::TBitmap32> frames;
  for (const platform::GifFrame& f : anim->frames) {
    // Images reaching outside the logical screen are clipped to it.
    for (int y = 0; y < f.height; ++y) {
      const int dy = f.top + y;
      if (dy < 0 || dy >= canvas.height) continue;
      for (int x = 0; x < f.width; ++x) {
        const int dx = f.left + x;
        if (dx < 0 || dx >= canvas.width) continue;
        const uint32_t p = f.pixels[size_t(y) * size_t(f.width) + size_t(x)];
        if (p >> 24) canvas.setPixel(dx, dy, p);
      }
    }
    frames.push_back(canvas);
    if (f.disposal != 1) std::fill(canvas.pixels.begin(), canvas.pixels.end(), kCanvas);
  }
  return frames;
}

bool LoadSpriteFrames(const std::string& hostPath, int imageCount, bool removeBack, bool smooth,
                      std::vector<data::TBitmap32>& frames) {
  frames.clear();
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(hostPath, bytes)) return false;
  if (FileExtension(hostPath) == ".gif") {
    frames = ComposeGifFrames(bytes.data(), bytes.size());
    if (frames.empty()) return false;
  } else {
    auto image = DecodeImage(bytes.data(), bytes.size(), FileExtension(hostPath));
    if (!image) return false;
    // At most one frame per pixel column: more would give frames without pixels (and a script
    // could otherwise ask for a billion of them).
    const int count = std::clamp(imageCount, 1, std::max(image->width, 1));
    const int fw = image->width / count;
    for (int i = 0; i < count; ++i) {
      data::TBitmap32 f(fw, image->height, 0);
      CopyRect(f, 0, 0, *image, i * fw, 0, fw, image->height);
      frames.push_back(std::move(f));
    }
  }
  for (data::TBitmap32& f : frames) ProcessAddedImage(f, removeBack, smooth);
  return true;
}

}  // namespace qv::graphics
