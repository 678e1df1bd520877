// The game data container: where the data starts inside a file, its header, the scrambled main
// section and the frames in which resource chunks are stored.
//
// Layout after the marker (all encodings are CStream's):
//   integer 800 (format) | boolean debug | settings chunk | string helper-library name |
//   compressed block (helper library) | scrambled main section
// Main section, once unscrambled:
//   integer n | n filler integers | boolean (unused) | integer game id | 16 bytes identifier |
//   the sixteen resource chunks of ChunkTable(), in order
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "data/settings.h"
#include "data/stream.h"

namespace qv::data {

inline constexpr int32_t kGameMarker = 1234321;  // 0x12D591
inline constexpr size_t kMarkerFirstOffset = 697344;  // 0xAA400
inline constexpr size_t kMarkerStep = 10000;
inline constexpr int32_t kGameFormatVersion = 800;

// Where the game data starts: the offset just after the marker. Candidates are 697344 + 10000 k;
// the search ends at the first candidate with fewer than 4 bytes left.
std::optional<size_t> FindGameData(const CStream& file);

// The same search in a file on disk, reading only the candidates; then the data from its marker on.
// `out` holds the marker and everything after it, and the answer is where the data starts in `out`
// (4). Nothing when the file cannot be read (`unreadable` set) or holds no marker.
std::optional<size_t> LoadGameData(const std::string& hostPath, CStream& out, bool& unreadable);
// Whether a file on disk holds game data (the same search, without reading the data).
bool HoldsGameData(const std::string& hostPath);

// The main section's own unscrambling. Reads the filler counts, the 256-byte key table, the
// length and the bytes from `source`, and returns the plain bytes positioned at 0. Negative filler
// counts or length, or data that ends early, throw StreamError.
CStream Unscramble(CStream& source);

// The seeded substitution used for extension package files, applied in place to `length` bytes
// from `start` (length <= 0: to the end). The range is clamped to the stream. Seeds whose quotient
// by 250 stays negative after the correction would index outside the table: they are refused
// (false, stream unchanged).
bool DecodeWithSeed(CStream& stream, int32_t seed, int64_t start, int64_t length);

// Inverse of DecodeWithSeed for the same seed (used by the writer of package files).
bool EncodeWithSeed(CStream& stream, int32_t seed, int64_t start, int64_t length);

// --- resource chunks ---------------------------------------------------------------------------

enum class ChunkFrame {
  Counted,          // integer count, then count items, uncompressed
  Trigger,          // standard frame without the name in each block
  Standard,         // integer count, then count compressed blocks: boolean exists [, name, record]
  CompressedItems,  // integer count, then count compressed blocks each holding one record
  SingleBlock,      // one compressed block
};

enum class ChunkId : int {
  ExtensionPackages, Triggers, Constants, Sounds, Sprites, Backgrounds, Paths, Scripts, Fonts,
  TimeLines, Objects, Rooms, IncludedFiles, GameInformation, LibraryInitCode, RoomOrder,
};
inline constexpr int kChunkCount = 16;

struct ChunkInfo {
  ChunkId id;
  const char* name;
  int32_t version;
  ChunkFrame frame;
};

// The chunks in stored order (the rooms chunk is followed by two integers: last instance id and
// last tile id; the room order holds at least one room).
const std::array<ChunkInfo, kChunkCount>& ChunkTable();
const ChunkInfo& Chunk(ChunkId id);

// One slot of a standard or trigger frame. Empty slots are reported too, so that an owner can keep
// the index of a deleted resource. `record` is the inflated block positioned after the name.
struct FrameSlot {
  int32_t index = 0;
  bool exists = false;
  std::string name;  // standard frame only
  CStream record;
};
using SlotReader = std::function<bool(FrameSlot&)>;

// Reads a whole frame: the version (false when it is not `version`), the count (false when
// negative or larger than the remaining bytes can hold), then each block, calling `read` for each
// slot; a false from `read` stops with false. Data that ends early or a block that does not inflate
// throws StreamError.
bool ReadStandardFrame(CStream& stream, int32_t version, const SlotReader& read);
bool ReadTriggerFrame(CStream& stream, int32_t version, const SlotReader& read);

// A count read from the data, checked against the bytes left: each item takes at least
// `minItemBytes`. Nothing when negative or impossible.
std::optional<int32_t> ReadCount(CStream& stream, size_t minItemBytes);

// --- header and main section -------------------------------------------------------------------

struct MainSectionHeader {
  int32_t game_id = 0;
  std::array<uint8_t, 16> guid{};
};

// Reads the inner header; leaves the stream at the first chunk. StreamError on bad data.
MainSectionHeader ReadMainSectionHeader(CStream& main);

enum class LoadStatus { Ok, NotValidGame, WrongVersion, ResourceData };

// The message a failed status shows.
const char* LoadStatusMessage(LoadStatus status);

struct GameData {
  bool debug_mode = false;
  std::string helper_library_name;  // read and checked; not written anywhere (see docs/runner.md)
  CStream main;                      // unscrambled main section, positioned at the first chunk
  MainSectionHeader header;
};

// Reads everything from the game data start (just after the marker) through the inner header of
// the main section. The settings go into `settings`; `afterSettings(debug_mode)` runs once they
// are read (the runner reports progress and shows its loading window there). Corrupt data throws
// StreamError.
LoadStatus ReadGameData(CStream& file, size_t start, GameSettings& settings, GameData& out,
                        const std::function<void(bool debugMode)>& afterSettings = {});

}  // namespace qv::data
