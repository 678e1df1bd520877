// Fuzz entry for the font block of the game data (fonts with their glyph tables and sheets).
#include <cstddef>
#include <cstdint>

#include "graphics/font.h"
#include "data/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::data::CStream s(std::vector<uint8_t>(data, data + size));
  qv::graphics::ResourceList<qv::graphics::CFont> list;
  try {
    if (!qv::graphics::ReadFontBlock(s, list)) return 0;
  } catch (const qv::data::StreamError&) {
    return 0;
  }
  // Every font read keeps its range within the tables and its sheet the size it claims.
  for (int i = 0; i < list.count(); ++i) {
    const qv::graphics::CFont* f = list.get(i);
    if (!f) continue;
    if (f->first < 0 || f->first > 255 || f->last < 0 || f->last > 255) __builtin_trap();
    if (f->alpha.size() != size_t(f->sheetWidth) * size_t(f->sheetHeight)) __builtin_trap();
    (void)f->advanceOf(200);
    (void)f->height();
  }
  return 0;
}
