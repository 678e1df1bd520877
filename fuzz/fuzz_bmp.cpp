// Fuzz entry for the bitmap file decoder (loading pictures, and image files loaded by games).
#include <cstddef>
#include <cstdint>

#include "data/bmp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto image = qv::data::DecodeBmp(data, size);
  if (image && image->pixels.size() != size_t(image->width) * size_t(image->height)) __builtin_trap();
  return 0;
}
