// CSprite: an animated image with an origin, a bounding box and collision masks; its records in the
// game data and in sprite files, its loading from image files and its textures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "graphics/mask.h"
#include "graphics/resource_list.h"

namespace qv::data {
class CStream;
}

namespace qv::graphics {

struct CSprite {
  std::vector<data::TBitmap32> frames;
  int xOrigin = 0, yOrigin = 0;
  Box bbox{0, 0, 0, 0};
  std::vector<TMask> masks;  // one per frame with separate masks, otherwise one (none without frames)
  bool separateMasks = false;
  std::vector<int> textures;  // texture id per frame, -1 when none

  int frameCount() const { return int(frames.size()); }
  int width() const { return frames.empty() ? 1 : frames[0].width; }
  int height() const { return frames.empty() ? 1 : frames[0].height; }
  // subimg reduced modulo the frame count (negative remainders wrap); -1 without frames.
  int frameIndex(int subimg) const;
  int frameTexture(int subimg) const;
  // The mask the collision tests use for a frame; nullptr when there is none.
  const TMask* frameMask(int subimg) const;
};

// Recomputes the masks and the bounding box.
void ComputeSpriteMasks(CSprite& s, bool separate, int tolerance, int shape, int boxKind, const Box& manual);
// The masks every added frame gets: tolerance 0, precise, automatic box, separate flag kept.
void ComputeDefaultMasks(CSprite& s);
// The sprite's box from its masks (used after reading them from data).
void ComputeSpriteBox(CSprite& s);

// Textures: frees the old ones and makes one per frame (-1 for frames without pixels).
void CreateSpriteTextures(CSprite& s);
void FreeSpriteTextures(CSprite& s);

// Game data: the content of one sprite's compressed block (exists, name, version 800, ...).
// `out` is null when the slot is empty. False for another version or data that does not fit.
bool ReadSpriteRecord(data::CStream& s, std::unique_ptr<CSprite>& out, std::string& name);
void WriteSpriteRecord(data::CStream& s, const CSprite* sprite, const std::string& name);
// The whole sprite block: version 800, count, one compressed block per sprite.
bool ReadSpriteBlock(data::CStream& s, ResourceList<CSprite>& list);
void WriteSpriteBlock(data::CStream& s, const ResourceList<CSprite>& list);

// Sprite file (1234321, then a compressed block): masks are computed from the stored settings and
// every frame gets colour bleeding. std::nullopt when unreadable.
std::optional<CSprite> ReadSpriteFile(const uint8_t* data, size_t size);
struct SpriteFileSettings {
  int shape = kShapePrecise, tolerance = 0, boxKind = kBoxAutomatic;
  bool separate = false;
  Box manual{0, 0, 0, 0};
};
std::vector<uint8_t> WriteSpriteFile(const CSprite& s, const SpriteFileSettings& settings);

// Frames from an image file: a ".gif" becomes its animation, any other picture a strip of
// `imageCount` frames. Each frame is processed (removeBack, smooth). False when unreadable.
bool LoadSpriteFrames(const std::string& hostPath, int imageCount, bool removeBack, bool smooth,
                      std::vector<data::TBitmap32>& frames);
// Composition of an animated GIF on its canvas (fill colour script 32832; disposal 1 keeps the picture).
std::vector<data::TBitmap32> ComposeGifFrames(const uint8_t* data, size_t size);

// Constant-initialized at namespace scope: boxes and animation look a sprite up for every instance
// in every step, so reaching the list costs no guard and no call.
extern ResourceList<CSprite> g_sprites;
inline ResourceList<CSprite>& sprites() { return g_sprites; }

}  // namespace qv::graphics
