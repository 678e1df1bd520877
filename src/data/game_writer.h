// CGameWriter: writes game data exactly as the runner reads it. Tests build their games with it
// and the packer is built on it.
//
// Resource kinds plug in one at a time: the owner of a kind writes its record with its own
// Write...Record function into the stream that Record(chunk, index, name) returns. Chunks nobody
// filled are written empty with their versions (count 0; an empty block for the game information).
// Every Write() scrambles the main section with a fresh random permutation table and fresh filler.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "data/container.h"
#include "data/settings.h"
#include "data/stream.h"

namespace qv::data {

class CGameWriter {
 public:
  bool debug_mode = false;
  GameSettings settings;
  std::string helper_library_name = "helper.dll";
  std::vector<uint8_t> helper_library;  // content of the helper-library block
  bool main_flag = false;                // the inner header's unused boolean
  int32_t game_id = 0;
  std::array<uint8_t, 16> guid{};
  int32_t last_instance_id = 100000;     // the two integers after the rooms frame
  int32_t last_tile_id = 10000000;
  // Seed of the scrambling's random choices; unset means a fresh seed from the system each Write.
  std::optional<uint32_t> random_seed;

  // Standard and trigger chunks: the record stream of slot `index` (after its name), marking the
  // slot as existing. Slots below `index` not written stay empty (a deleted resource).
  CStream& Record(ChunkId chunk, int32_t index, std::string_view name = {});
  // Standard chunks: stores a record that its owner's block writer wrote whole (existence flag and
  // name first, as WriteSpriteRecord and WriteBackgroundRecord do) as slot `index`.
  void WholeRecord(ChunkId chunk, int32_t index, const CStream& record);
  // Makes the chunk hold at least `count` slots (the new ones empty).
  void ReserveSlots(ChunkId chunk, int32_t count);
  // Counted and compressed-item chunks: appends one item and returns its stream.
  CStream& Item(ChunkId chunk);
  // The game-information chunk's block content.
  CStream& Block(ChunkId chunk);

  // The whole file: `prefix` (a runner executable, or nothing), zeros up to the first marker
  // candidate at or after the prefix's end, the marker, then the game data.
  std::vector<uint8_t> Write(const std::vector<uint8_t>& prefix = {});
  // The game data that follows the marker.
  CStream WriteGameData();
  // The plain main section: inner header and every chunk.
  CStream WriteMainSection(std::mt19937& rng) const;

  // Stores `plain` as Unscramble reads it, with the key table and filler drawn from `rng`.
  static void Scramble(CStream& out, const CStream& plain, std::mt19937& rng);

 private:
  struct Slot {
    bool exists = false;
    std::string name;
    CStream record;
  };
  struct ChunkContent {
    std::vector<Slot> slots;     // standard and trigger frames
    std::vector<CStream> items;  // counted and compressed-item chunks
    CStream block;               // single block
  };
  void writeChunk(CStream& out, const ChunkInfo& info) const;
  std::array<ChunkContent, kChunkCount> chunks_;
};

}  // namespace qv::data
