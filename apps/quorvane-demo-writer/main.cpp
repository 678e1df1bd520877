// quorvane-demo-writer GAME: writes a small game with the project's game writer, for the README's
// play command until the demo game project exists. It carries settings and loading pictures only.
#include <cstdio>

#include "runner/game_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvane-demo-writer GAME\n");
    return 2;
  }
  using qv::graphics::TBitmap32;
  qv::runner::CGameWriter w;
  w.game_id = 1;
  TBitmap32 picture(400, 120);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      picture.setPixel(x, y, 0xFF000000u | uint32_t(40 + y) << 16 | uint32_t(x * 255 / 400) << 8 | 160u);
  w.settings.loading_picture = picture;
  w.settings.empty_bar_picture = TBitmap32(16, 16, 0xFF202020);
  w.settings.full_bar_picture = TBitmap32(16, 16, 0xFFE0C040);
  w.Item(qv::runner::ChunkId::RoomOrder).WriteInteger(0);
  if (!qv::runner::CStream(w.Write()).SaveToFile(argv[1])) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
