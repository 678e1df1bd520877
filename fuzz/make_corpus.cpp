// Writes the seed corpora of the fuzz targets with the project's own writers:
//   make_fuzz_corpus DIR   ->  DIR/fuzz_gamefile/*, DIR/fuzz_bmp/*, DIR/fuzz_sound_mix/* ...
// Seeds are deterministic (fixed random seeds) so that regenerating them changes nothing.
#include <cstdio>
#include <filesystem>
#include <string>

#include "data/bmp_file.h"
#include "graphics/font.h"
#include "data/game_writer.h"
#include "graphics/d3d_model.h"
#include "platform/sound_decoder.h"
#include "saved_game_world.h"
#include "game/saved_game.h"
#include "world/saved_game.h"

using namespace qv;
using namespace qv::data;
using qv::data::TBitmap32;

namespace {

void save(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(file.parent_path());
  data::CStream(bytes).SaveToFile(file.string());
}

std::vector<uint8_t> gameData(data::CGameWriter& w) { return w.WriteGameData().bytes(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_corpus DIR\n");
    return 2;
  }
  std::filesystem::path dir = argv[1];
  {
    // A save of the saved-game target's own running game.
    if (!qv::fuzzing::StartSavedGameWorld()) return 1;
    data::CStream s;
    qv::game::WriteSavedGame(s);
    save(dir / "fuzz_saved_game" / "started", s.bytes());
  }
  {
    data::CGameWriter w;
    w.random_seed = 1;
    save(dir / "fuzz_gamefile" / "plain", gameData(w));
  }
  {
    data::CGameWriter w;
    w.random_seed = 2;
    w.debug_mode = true;
    w.game_id = 31337;
    w.settings.show_progress_bar = true;
    w.settings.empty_bar_picture = data::TBitmap32(2, 1, 0xFF000000);
    w.settings.full_bar_picture = data::TBitmap32(2, 1, 0xFF00FF00);
    w.settings.loading_picture = data::TBitmap32(2, 2, 0xFF0000FF);
    w.Record(data::ChunkId::Sprites, 1, "spr").WriteInteger(800);
    w.Item(data::ChunkId::RoomOrder).WriteInteger(0);
    save(dir / "fuzz_gamefile" / "pictures", gameData(w));
  }
  {
    data::CGameWriter w;
    w.random_seed = 3;
    w.settings.show_progress_bar = false;
    w.settings.loading_picture = data::TBitmap32(1, 1, 0xFFFFFFFF);
    w.helper_library = {1, 2, 3, 4};
    save(dir / "fuzz_gamefile" / "no_bar", gameData(w));
  }
  {
    // Font blocks: a small typeface font with a 4 x 2 sheet beside an empty slot, and a sprite font.
    qv::graphics::ResourceList<qv::graphics::CFont> fonts;
    auto f = std::make_unique<qv::graphics::CFont>();
    f->name = "Arial";
    f->first = 65;
    f->last = 66;
    f->glyphWidth[65] = f->glyphHeight[65] = f->advance[65] = 2;
    f->glyphX[66] = 2;
    f->glyphWidth[66] = f->glyphHeight[66] = f->advance[66] = 2;
    f->sheetWidth = 4;
    f->sheetHeight = 2;
    f->alpha = {0, 255, 128, 64, 255, 0, 32, 16};
    fonts.slots.push_back(std::move(f));
    fonts.names.push_back("fnt_small");
    fonts.slots.push_back(nullptr);
    fonts.names.push_back("");
    data::CStream block;
    qv::graphics::WriteFontBlock(block, fonts);
    save(dir / "fuzz_font_record" / "typeface", block.bytes());
    fonts.slots.resize(1);
    fonts.names.resize(1);
    fonts.slots[0]->alpha.clear();
    fonts.slots[0]->sheetWidth = fonts.slots[0]->sheetHeight = 0;
    data::CStream empty;
    qv::graphics::WriteFontBlock(empty, fonts);
    save(dir / "fuzz_font_record" / "no_sheet", empty.bytes());
  }
  data::TBitmap32 img(3, 2);
  for (int i = 0; i < 6; ++i) img.pixels[size_t(i)] = 0x80000000u | uint32_t(i * 0x101010);
  save(dir / "fuzz_bmp" / "v4_32bit", qv::data::EncodeBmp(img));
  // An 8-bit run-length file and a 16-bit bitfields file, written byte by byte.
  const std::vector<uint8_t> rle8 = {
      'B', 'M', 72, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,          // file header
      40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0,  // 4x2, 8 bits, RLE8
      10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 255, 0, 255, 0, 0, 0,                               // palette: red, blue
      3, 1, 0, 0, 0, 4, 0, 1, 0, 1};
  save(dir / "fuzz_bmp" / "rle8", rle8);
  const std::vector<uint8_t> bitfields16 = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0,
      40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 16, 0, 3, 0, 0, 0,
      4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0,          // 5-6-5 masks
      0xE0, 0x07, 0x00, 0xF8};
  save(dir / "fuzz_bmp" / "bitfields16", bitfields16);

  // Sounds as the mixing target takes them: four bytes of how to play (see fuzz_sound_mix.cpp),
  // then the file: a tone in the formats the decoders read, a song, and a song of no length.
  auto withHow = [](std::vector<uint8_t> how, const std::vector<uint8_t>& file) {
    how.insert(how.end(), file.begin(), file.end());
    return how;
  };
  qv::platform::PcmData pcm;
  pcm.channels = 1;
  pcm.sampleRate = 22050;
  for (int i = 0; i < 2205; ++i) pcm.samples.push_back(float(i % 50) / 100.0f - 0.25f);
  for (const char* format : {"wav", "ogg", "flac"}) {
    if (auto bytes = qv::platform::EncodeSoundData(pcm, format))
      save(dir / "fuzz_sound_mix" / format, withHow({std::string(format) == "wav" ? uint8_t(1) : uint8_t(6), 0, 24, 8}, *bytes));
  }
  const std::vector<uint8_t> song = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 15,
                                     0x00, 0xC0, 0x00, 0x00, 0x90, 60, 100, 0x30, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  save(dir / "fuzz_sound_mix" / "song", withHow({1, 0x10, 24, 8}, song));
  const std::vector<uint8_t> empty = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 4,
                                      0x00, 0xFF, 0x2F, 0x00};
  save(dir / "fuzz_sound_mix" / "empty_song", withHow({1, 0, 24, 8}, empty));

  // A model with an entry of every kind, as d3d_model_save writes it.
  std::vector<qv::graphics::ModelEntry> entries;
  for (int kind = 0; kind <= 15; ++kind) {
    qv::graphics::ModelEntry e{kind, {}};
    for (size_t i = 0; i < 10; ++i) e.e[i] = kind == 0 ? (i == 0 ? 4 : 0) : double(i * 3 % 7) - 1.5 + kind;
    entries.push_back(e);
  }
  const std::string model = qv::graphics::ModelFileText(entries);
  save(dir / "fuzz_model_file" / "every_kind", std::vector<uint8_t>(model.begin(), model.end()));
  return 0;
}
