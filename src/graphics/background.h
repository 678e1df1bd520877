// CBackground: a single image used for room background layers and tile sets; its records in the
// game data and background files, gradients and textures.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "graphics/resource_list.h"

namespace qv::data {
class CStream;
}

namespace qv::graphics {

struct CBackground {
  data::TBitmap32 image;
  int texture = -1;
  int width() const { return image.width; }
  int height() const { return image.height; }
};

void CreateBackgroundTexture(CBackground& b);
void FreeBackgroundTexture(CBackground& b);

// Game data: the content of one background's compressed block (exists, name, version 710, image).
bool ReadBackgroundRecord(data::CStream& s, std::unique_ptr<CBackground>& out, std::string& name);
void WriteBackgroundRecord(data::CStream& s, const CBackground* b, const std::string& name);
bool ReadBackgroundBlock(data::CStream& s, ResourceList<CBackground>& list);
void WriteBackgroundBlock(data::CStream& s, const ResourceList<CBackground>& list);

// Background file (1234321, then a compressed block); the image gets colour bleeding.
std::optional<data::TBitmap32> ReadBackgroundFile(const uint8_t* data, size_t size);
std::vector<uint8_t> WriteBackgroundFile(const data::TBitmap32& image);

// A w x h picture painted with the gradient `kind` from script colour col1 to col2, opaque.
data::TBitmap32 MakeGradient(int w, int h, int32_t col1, int32_t col2, int kind);

ResourceList<CBackground>& backgrounds();

}  // namespace qv::graphics
