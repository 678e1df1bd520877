#include "sound/sound.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

#include "platform/sound_decoder.h"
#include "data/container.h"
#include "data/game_writer.h"
#include "data/stream.h"
#include "data/temp_directory.h"
#include "system/host_path.h"
#include "sound/sound_backend.h"

namespace qv::sound {
namespace {

// Largest sound file `sound_add` reads: far above any game sound, far below memory.
constexpr size_t kMaxSoundFileBytes = size_t{512} << 20;

std::function<std::string(std::string_view)>& temporaryFileNamer() {
  static std::function<std::string(std::string_view)> namer;
  return namer;
}

std::function<std::string(std::string_view)>& pathMapper() {
  static std::function<std::string(std::string_view)> mapper;
  return mapper;
}

// The suffix of a temporary file: the file type's last extension, letters and digits only, at most
// eight. The file type is game data and must never add directories to the path.
std::string safeSuffix(std::string_view fileType) {
  const size_t dot = fileType.rfind('.');
  std::string out = ".";
  if (dot == std::string_view::npos) return {};
  for (char c : fileType.substr(dot + 1)) {
    if (out.size() > 8) break;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) out += c;
  }
  return out.size() > 1 ? out : std::string{};
}

// A private temporary directory, made on first use, when the runner connected no namer; removed
// when sound closes.
std::mutex defaultDirLock;
std::string defaultDir;

std::string defaultTemporaryFile(std::string_view suffix) {
  static std::mt19937 rng{std::random_device{}()};
  std::lock_guard guard(defaultDirLock);
  std::string& dir = defaultDir;
  std::error_code ec;
  if (dir.empty()) {
    for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
      const auto candidate = std::filesystem::temp_directory_path(ec) / ("quorvane-sound-" + std::to_string(rng() % 1000000));
      if (!ec && std::filesystem::create_directory(candidate, ec) && !ec) dir = candidate.string();
    }
    if (dir.empty()) return {};
  }
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = dir + "/a" + std::to_string(rng() % 100000) + std::string(suffix);
    if (!std::filesystem::exists(path, ec)) return path;
  }
  return {};
}

std::string fileNamePart(const std::string& hostPath) {
  const size_t cut = hostPath.find_last_of("/\\");
  return cut == std::string::npos ? hostPath : hostPath.substr(cut + 1);
}

std::string extensionPart(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string{} : name.substr(dot);
}

}  // namespace

bool ReadSoundRecord(data::CStream& s, CSound& sound) {
  if (s.ReadInteger() != kSoundRecordVersion) return false;
  CSound fresh;  // filled whole, then moved in: a record that throws midway changes nothing
  fresh.kind = s.ReadInteger();
  fresh.fileType = s.ReadString();
  fresh.fileName = s.ReadString();
  if (s.ReadBoolean()) fresh.data = std::move(s.ReadRawBlock().bytes());
  fresh.effects = s.ReadInteger();
  fresh.volume = s.ReadReal();
  fresh.pan = s.ReadReal();
  fresh.preload = s.ReadBoolean();
  sound = std::move(fresh);
  return true;
}

void WriteSoundRecord(data::CStream& s, const CSound& sound) {
  s.WriteInteger(kSoundRecordVersion);
  s.WriteInteger(sound.kind);
  s.WriteString(sound.fileType);
  s.WriteString(sound.fileName);
  s.WriteBoolean(sound.data.has_value());
  if (sound.data) s.WriteRawBlock(data::CStream(*sound.data));
  s.WriteInteger(sound.effects);
  s.WriteReal(sound.volume);
  s.WriteReal(sound.pan);
  s.WriteBoolean(sound.preload);
}

CSound* SoundList::get(int64_t index) const {
  if (index < 0 || index >= static_cast<int64_t>(items.size())) return nullptr;
  return items[static_cast<size_t>(index)].get();
}

int32_t SoundList::find(std::string_view name) const {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] && names[i] == name) return static_cast<int32_t>(i);
  return -1;
}

void SoundList::clear() {
  items.clear();
  names.clear();
}

SoundList& soundList() {
  static SoundList list;
  return list;
}

bool ReadSoundsChunk(data::CStream& s, SoundList& list) {
  SoundList fresh;  // filled whole, then moved in
  const bool ok = data::ReadStandardFrame(s, kSoundsChunkVersion, [&](data::FrameSlot& slot) {
    std::unique_ptr<CSound> sound;
    if (slot.exists) {
      sound = std::make_unique<CSound>();
      if (!ReadSoundRecord(slot.record, *sound)) return false;
    }
    fresh.items.push_back(std::move(sound));
    fresh.names.push_back(slot.exists ? std::move(slot.name) : std::string{});
    return true;
  });
  if (!ok) return false;
  list = std::move(fresh);
  return true;
}

void WriteSoundsChunk(data::CStream& s, const SoundList& list) {
  s.WriteInteger(kSoundsChunkVersion);
  s.WriteInteger(list.count());
  for (int i = 0; i < list.count(); ++i) {
    data::CStream block;
    const CSound* sound = list.get(i);
    block.WriteBoolean(sound != nullptr);
    if (sound != nullptr) {
      block.WriteString(list.names[static_cast<size_t>(i)]);
      WriteSoundRecord(block, *sound);
    }
    s.WriteCompressedBlock(block);
  }
}

void WriteSounds(data::CGameWriter& writer, const SoundList& list) {
  writer.ReserveSlots(data::ChunkId::Sounds, list.count());
  for (int i = 0; i < list.count(); ++i) {
    if (const CSound* sound = list.get(i)) WriteSoundRecord(writer.Record(data::ChunkId::Sounds, i, list.names[static_cast<size_t>(i)]), *sound);
  }
}

void SetTemporaryFileNamer(std::function<std::string(std::string_view)> namer) { temporaryFileNamer() = std::move(namer); }
void SetPathMapper(std::function<std::string(std::string_view)> mapper) { pathMapper() = std::move(mapper); }

std::string MapGamePath(std::string_view gamePath) {
  if (pathMapper()) return pathMapper()(gamePath);
  return system::HostPath(gamePath);
}

bool LoadSoundFromFile(CSound& sound, const std::string& hostPath, int32_t kind, bool preload) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(hostPath, ec)) return false;
  auto bytes = platform::ReadHostFile(hostPath, kMaxSoundFileBytes);
  if (!bytes) return false;
  DiscardSound(sound);
  const std::string name = fileNamePart(hostPath);
  sound.fileType = extensionPart(name);
  sound.fileName = name;
  sound.data = std::move(*bytes);
  sound.tempPath.clear();
  sound.kind = kind;
  sound.preload = preload;
  if (preload) PrepareSound(sound);
  return true;
}

void PrepareSound(CSound& sound) {
  SoundBackend& backend = soundBackend();
  DiscardSound(sound);  // a second preparation must not leave the first slot behind
  if (sound.kind >= kKindNormal && sound.kind <= kKind3D) {
    if (!sound.data || sound.data->empty()) return;
    sound.handle = backend.LoadFromMemory(sound.kind, *sound.data);
    if (sound.handle < 0) sound.kind = kKindMultimedia;
  }
  if (sound.kind == kKindMultimedia) {
    if (sound.data) {
      const auto& namer = temporaryFileNamer();
      const std::string suffix = safeSuffix(sound.fileType);
      // The runner's temporary directory when it has one; a private one when it made none (a
      // game run from tests or tools).
      const std::string path = namer                              ? namer(suffix)
                               : !data::TempDirectory().empty() ? data::TempFileName(suffix)
                                                                  : defaultTemporaryFile(suffix);
      if (!path.empty()) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(sound.data->data()), static_cast<std::streamsize>(sound.data->size()));
        if (out.good()) {
          sound.tempPath = path;
          sound.data.reset();
        }
      }
    }
    if (sound.tempPath.empty()) return;
    sound.handle = backend.LoadFromFile(kKindMultimedia, sound.tempPath);
  }
  if (sound.handle >= 0) {
    if (sound.effects > 0) backend.SetEffects(sound.handle, sound.effects);
    backend.SetVolume(sound.handle, sound.volume, 0);
    backend.SetPan(sound.handle, sound.pan);
  }
}

void DiscardSound(CSound& sound) {
  if (sound.handle >= 0) soundBackend().FreeSlot(sound.handle);
  sound.handle = -1;
}

void PrepareSounds() {
  SoundBackend& backend = soundBackend();
  // Opening closes any earlier back-end and its slots: no sound may keep a slot number from it.
  for (auto& s : soundList().items) {
    if (s) s->handle = -1;
  }
  backend.OpenSound();
  backend.SetGlobalVolume(1);
  SoundList& list = soundList();
  for (int i = 0; i < list.count(); ++i) {
    if (CSound* s = list.get(i); s != nullptr && s->preload) PrepareSound(*s);
  }
}

void CloseSounds() {
  soundBackend().CloseSound();
  for (auto& s : soundList().items) {
    if (s) s->handle = -1;
  }
  std::lock_guard guard(defaultDirLock);
  if (!defaultDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(defaultDir, ec);
    defaultDir.clear();
    // Multimedia sounds written there are prepared again from their bytes, which are gone: they
    // keep only the path, so forget it and let them stay unprepared.
    for (auto& s : soundList().items) {
      if (s && !s->data) s->tempPath.clear();
    }
  }
}

}  // namespace qv::sound
