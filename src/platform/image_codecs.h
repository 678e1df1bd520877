// Image file decoders and the PNG reader/writer behind the third-party libraries (libpng, libjpeg,
// giflib, libtiff). The graphics layer turns the results into bitmaps; nothing here knows games.
//
// Every decoder treats its input as untrusted: it returns std::nullopt for a corrupt or truncated
// file, for a side below 1 or above kMaxImageSide, and never allocates more than the checked
// width * height * 4 bytes. Pixels are 0xAARRGGBB, top row first, alpha not premultiplied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv::platform {

// Largest side accepted from a file: the same bound as the graphics layer's bitmaps, so that
// width * height * 4 stays below 1 GiB and fits every size computation.
inline constexpr int kMaxImageSide = 16384;

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, 0xAARRGGBB
  bool hasAlpha = false;         // the file carried an alpha channel or a transparent colour
};

std::optional<DecodedImage> DecodePng(const uint8_t* data, size_t size);
std::optional<DecodedImage> DecodeJpeg(const uint8_t* data, size_t size);
std::optional<DecodedImage> DecodeTiff(const uint8_t* data, size_t size);
// The first image of a GIF composed on its logical screen (transparent outside the image).
std::optional<DecodedImage> DecodeGif(const uint8_t* data, size_t size);

// One image of an animated GIF, as stored: its rectangle on the logical screen, its pixels (alpha
// 0 where the image's transparent colour is) and its disposal method (0..3, from the graphics
// control extension; 0 when there is none).
struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  int disposal = 0;
  std::vector<uint32_t> pixels;
};
struct GifAnimation {
  int width = 0;   // logical screen
  int height = 0;
  std::vector<GifFrame> frames;
};
// Reads every image; frames that lie partly outside the logical screen are kept (the composer
// clips them). Fails on corrupt data or a logical screen outside 1..kMaxImageSide.
std::optional<GifAnimation> DecodeGifAnimation(const uint8_t* data, size_t size);

// Encoders used by tests and tools to make fixtures (the runner's own PNG writer is in graphics).
std::vector<uint8_t> EncodeJpeg(const DecodedImage& image, int quality);
std::vector<uint8_t> EncodeTiff(const DecodedImage& image);
// frames are composed by the reader; each frame is written with its rectangle and disposal, the
// colour 0x00000000 (alpha 0) as the transparent index. At most 255 distinct opaque colours per frame.
std::vector<uint8_t> EncodeGif(const GifAnimation& animation);

}  // namespace qv::platform
