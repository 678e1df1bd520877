// CSound: a sound resource (the file bytes from the game data with its kind, effects, volume,
// pan and preload flag), its record in the game data, and the game's list of sounds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::data {
class CStream;
class CGameWriter;
}

namespace qv::sound {

inline constexpr int32_t kSoundRecordVersion = 800;
inline constexpr int32_t kSoundsChunkVersion = 800;

struct CSound {
  int32_t kind = -1;      // 0 normal, 1 background music, 2 3D, 3 multimedia
  std::string fileType;   // extension with its dot
  std::string fileName;   // name of the file the sound was made from
  std::optional<std::vector<uint8_t>> data;  // the file bytes
  bool preload = true;
  int32_t effects = 0;
  double volume = 1;
  double pan = 0;
  int32_t handle = -1;    // back-end slot, -1 when not prepared
  std::string tempPath;   // where a multimedia sound's bytes were written
};

// Record: version 800, kind, file type, file name, has data, [data block], effects, volume, pan,
// preload. False (the sound left at its defaults) for another version; data that ends early throws.
bool ReadSoundRecord(data::CStream& s, CSound& sound);
void WriteSoundRecord(data::CStream& s, const CSound& sound);

// The sounds of the game. Invariant: `items` and `names` have the same length; an empty item is a
// deleted or never loaded index.
struct SoundList {
  std::vector<std::unique_ptr<CSound>> items;
  std::vector<std::string> names;

  int count() const { return static_cast<int>(items.size()); }
  // The sound at `index`, or nullptr when the index holds none.
  CSound* get(int64_t index) const;
  // The first sound of that name, or -1.
  int32_t find(std::string_view name) const;
  void clear();
};
SoundList& soundList();

// The sounds chunk: version 800, entry count, then per entry one compressed block holding an
// existence flag and, when it exists, the name and the record. False for a wrong version, a
// negative or impossible count, or a record of another version (the list is then unchanged).
bool ReadSoundsChunk(data::CStream& s, SoundList& list);
void WriteSoundsChunk(data::CStream& s, const SoundList& list);
// Puts every sound of `list` into the game writer's sounds chunk (empty indices stay empty).
void WriteSounds(data::CGameWriter& writer, const SoundList& list);

// Connections to the rest of the runner.
// Names a new file in the temporary directory ending in `suffix`; empty when there is none. Unset,
// the runner's TempFileName is used when the runner made its temporary directory, otherwise a
// private directory of the sound system.
void SetTemporaryFileNamer(std::function<std::string(std::string_view suffix)> namer);
// Maps a game's file name (Windows form) to a host path. Unset, '\' becomes '/'.
void SetPathMapper(std::function<std::string(std::string_view gamePath)> mapper);
std::string MapGamePath(std::string_view gamePath);

// Loads `hostPath` into `sound`: file type, name part, bytes, kind and preload; prepares it when
// preload is set. False (nothing changed) when the file cannot be read.
bool LoadSoundFromFile(CSound& sound, const std::string& hostPath, int32_t kind, bool preload);
// Makes the sound playable (see docs/sound.md); called at start, by sound_restore and lazily.
void PrepareSound(CSound& sound);
// Frees the back-end slot; the bytes stay.
void DiscardSound(CSound& sound);

// Start of the game: open the back-end, global volume 1, prepare every preloaded sound.
void PrepareSounds();
// End of the game: close the back-end.
void CloseSounds();

}  // namespace qv::sound
