// GamePackage: a whole game held as records, read from a game file and written back through the
// game writer. The packer's unpack and build meet here.
//
// Settings, constants, sounds, sprites, backgrounds, scripts, fonts, library initialization code and
// the room order are held typed. Every other chunk is held as the bytes of its records (one per
// slot or item): the project folder reads and writes objects, rooms, time lines, triggers, paths,
// included files and extension packages through their owners' record readers and writers; the game
// information has no writer yet and stays bytes in the folder too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "code/registry.h"
#include "graphics/background.h"
#include "graphics/font.h"
#include "graphics/resource_list.h"
#include "graphics/sprite.h"
#include "data/code_sources.h"
#include "data/container.h"
#include "data/settings.h"
#include "data/stream.h"
#include "sound/sound.h"

namespace qv::project {

// One slot of a chunk held as bytes: the record's bytes after the name.
struct RawSlot {
  bool exists = false;
  std::string name;  // empty in the trigger frame, whose records carry their own names
  std::vector<uint8_t> record;
  bool operator==(const RawSlot&) const = default;
};

// The chunks held as record bytes, slot by slot.
inline constexpr std::array<data::ChunkId, 5> kRawSlotChunks = {
    data::ChunkId::Triggers, data::ChunkId::Paths, data::ChunkId::TimeLines, data::ChunkId::Objects, data::ChunkId::Rooms};

struct GamePackage {
  // Header and inner header.
  bool debug_mode = false;
  data::GameSettings settings;
  std::string helper_library_name = "helper.dll";
  std::vector<uint8_t> helper_library;
  bool main_flag = false;  // the inner header's unused boolean
  int32_t game_id = 0;
  std::array<uint8_t, 16> guid{};

  // Typed chunks.
  std::vector<std::pair<std::string, std::string>> constants;  // (name, value text), in order
  graphics::ResourceList<sound::CSound> sounds;
  graphics::ResourceList<graphics::CSprite> sprites;
  graphics::ResourceList<graphics::CBackground> backgrounds;
  graphics::ResourceList<code::CScript> scripts;
  graphics::ResourceList<graphics::CFont> fonts;
  std::vector<std::string> library_init_code;
  std::vector<int32_t> room_order;  // room indices in play order
  int32_t last_instance_id = 100000;
  int32_t last_tile_id = 10000000;

  // Chunks held as record bytes.
  std::array<std::vector<RawSlot>, data::kChunkCount> raw_slots;  // indexed by data::ChunkId; kRawSlotChunks only
  std::vector<std::vector<uint8_t>> extension_packages;     // one package (records and files block) each
  std::vector<std::vector<uint8_t>> included_files;         // the content of each compressed block
  std::vector<uint8_t> game_information;                    // the content of the single block

  // Read from a project folder: where the code came from. Written after the game data of debug
  // builds only; never read back from a game file, so unpack leaves it empty.
  data::CodeSources code_sources;

  std::vector<RawSlot>& raw(data::ChunkId id) { return raw_slots[size_t(id)]; }
  const std::vector<RawSlot>& raw(data::ChunkId id) const { return raw_slots[size_t(id)]; }
};

// Why a game file could not be read: a message naming the chunk or the header field.
struct ReadFailure {
  std::string message;
};

// Reads a whole game file (a runner with a game appended, or any file with the marker at
// 697344 + 10000 k). False with `failure` filled when the file holds no readable game.
bool ReadGamePackage(const data::CStream& file, GamePackage& out, ReadFailure& failure);

// Reads the sixteen chunks from the plain main section (positioned after the inner header) into
// `out`; `chunk` names the chunk being read when it returns false or throws StreamError.
bool ReadChunks(data::CStream& main, GamePackage& out, std::string& chunk);

// Writes the package as a game file after `prefix` (a runner executable, or nothing); the marker
// lands at the first candidate offset at or after the prefix's end.
std::vector<uint8_t> WriteGamePackage(const GamePackage& package, const std::vector<uint8_t>& prefix);

// The names of the functions one stored extension package declares (as game code calls them,
// before trimming). False when the bytes are not exactly one well-formed package.
bool ExtensionFunctionNames(const std::vector<uint8_t>& package, std::vector<std::string>& names);
// The names of the constants it declares, likewise.
bool ExtensionConstantNames(const std::vector<uint8_t>& package, std::vector<std::string>& names);

// The stored bytes of one record of a typed or raw standard chunk (empty for an empty slot); two
// records are equal exactly when these bytes are.
std::vector<uint8_t> RecordBytes(const GamePackage& package, data::ChunkId chunk, int32_t index);
bool SlotExists(const GamePackage& package, data::ChunkId chunk, int32_t index);
// Slot count of a standard or trigger chunk.
int32_t SlotCount(const GamePackage& package, data::ChunkId chunk);
// Name of a slot ("" for an empty one; raw trigger slots have none).
std::string SlotName(const GamePackage& package, data::ChunkId chunk, int32_t index);

}  // namespace qv::project
