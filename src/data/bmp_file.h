// Windows bitmap files (BMP / DIB) to and from TBitmap32.
//
// Reads 1, 4, 8, 16, 24 and 32 bits per pixel; palettes; bottom-up and top-down rows; BI_RGB,
// BI_BITFIELDS (also the alpha-bitfields variant) and RLE4/RLE8. Accepts a whole file (starting
// with "BM") or a packed DIB (the info header first). Everything is validated against the bytes
// actually given, so a corrupt or truncated file yields no image rather than a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "data/bitmap32.h"

namespace qv::data {

// The image, or nothing when the data is not a bitmap this decoder can read safely.
// Pixels without an alpha channel in the file are opaque.
std::optional<TBitmap32> DecodeBmp(const uint8_t* data, size_t size);

// A whole bitmap file: 32 bits per pixel with bitfields (alpha kept), bottom-up rows.
// An empty bitmap gives an empty vector.
std::vector<uint8_t> EncodeBmp(const TBitmap32& bitmap);

}  // namespace qv::data
