// Fuzz entry point for the readers of untrusted pictures: the image decoders (PNG, JPEG, GIF with
// its animation composer, TIFF), the image, sprite and background records of the game data, and
// sprite and background files. The first byte picks the reader; the rest is its input.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/background.h"
#include "graphics/bitmap_ops.h"
#include "graphics/sprite.h"
#include "data/stream.h"

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t kind = data[0];
  const uint8_t* body = data + 1;
  const size_t n = size - 1;
  static const char* kExtensions[] = {".png", ".jpg", ".gif", ".tif"};
  switch (kind % 9) {
    case 0:
    case 1:
    case 2:
    case 3: {
      auto b = graphics::DecodeImage(body, n, kExtensions[kind % 9]);
      if (b && b->pixels.size() != size_t(b->width) * size_t(b->height)) __builtin_trap();
      break;
    }
    case 4: {
      std::vector<data::TBitmap32> frames = graphics::ComposeGifFrames(body, n);
      for (const auto& f : frames)
        if (f.pixels.size() != size_t(f.width) * size_t(f.height)) __builtin_trap();
      break;
    }
    case 5:
      graphics::ReadSpriteFile(body, n);
      break;
    case 6:
      graphics::ReadBackgroundFile(body, n);
      break;
    case 7:
    case 8: {
      // One record as the loader reads it from an inflated block; running out of data throws.
      data::CStream s(std::vector<uint8_t>(body, body + n));
      try {
        std::string name;
        if (kind % 9 == 7) {
          std::unique_ptr<graphics::CSprite> sprite;
          if (graphics::ReadSpriteRecord(s, sprite, name) && sprite) {
            for (const auto& m : sprite->masks)
              if (m.bits.size() != size_t(m.width) * size_t(m.height)) __builtin_trap();
          }
        } else {
          std::unique_ptr<graphics::CBackground> bg;
          graphics::ReadBackgroundRecord(s, bg, name);
        }
      } catch (const data::StreamError&) {
      }
      break;
    }
  }
  return 0;
}
