#include "project/game_package.h"

#include <algorithm>

#include "data/game_writer.h"
#include "extensions/extension_package.h"

namespace qv::project {

using extensions::ExtensionConstant;
using extensions::ExtensionFile;
using extensions::ExtensionFunction;
using extensions::ExtensionPackage;
using extensions::ReadExtensionPackage;
namespace {

std::vector<uint8_t> rest(const data::CStream& s) {
  return std::vector<uint8_t>(s.bytes().begin() + std::ptrdiff_t(std::min(s.position(), s.size())), s.bytes().end());
}

bool readRawFrame(data::CStream& main, data::ChunkId id, std::vector<RawSlot>& out) {
  const data::ChunkInfo& info = data::Chunk(id);
  auto keep = [&out](data::FrameSlot& slot) {
    RawSlot r;
    r.exists = slot.exists;
    r.name = slot.name;
    if (slot.exists) r.record = rest(slot.record);
    out.push_back(std::move(r));
    return true;
  };
  return info.frame == data::ChunkFrame::Trigger ? data::ReadTriggerFrame(main, info.version, keep)
                                           : data::ReadStandardFrame(main, info.version, keep);
}

// A typed standard chunk whose record reader starts after the name.
template <class T, class ReadFn>
bool readTypedFrame(data::CStream& main, data::ChunkId id, graphics::ResourceList<T>& list, ReadFn read) {
  return data::ReadStandardFrame(main, data::Chunk(id).version, [&](data::FrameSlot& slot) {
    list.slots.emplace_back();
    list.names.push_back(slot.name);
    if (!slot.exists) return true;
    auto item = std::make_unique<T>();
    if (!read(slot.record, *item)) return false;
    list.slots.back() = std::move(item);
    return true;
  });
}

// Sprite and background readers take the whole block (exists and name first).
template <class T, class ReadFn>
bool readNamedFrame(data::CStream& main, data::ChunkId id, graphics::ResourceList<T>& list, ReadFn read) {
  return data::ReadStandardFrame(main, data::Chunk(id).version, [&](data::FrameSlot& slot) {
    slot.record.seek(0);
    std::unique_ptr<T> item;
    std::string name;
    if (!read(slot.record, item, name)) return false;
    list.slots.push_back(std::move(item));
    list.names.push_back(std::move(name));
    return true;
  });
}

}  // namespace

bool ReadChunks(data::CStream& main, GamePackage& out, std::string& chunkName) {
  for (const data::ChunkInfo& info : data::ChunkTable()) {
    chunkName = info.name;
    bool ok = true;
    switch (info.id) {
      case data::ChunkId::ExtensionPackages: {
        if (main.ReadInteger() != info.version) return false;
        auto count = data::ReadCount(main, 4);
        if (!count) return false;
        for (int32_t i = 0; i < *count && ok; ++i) {
          const size_t from = main.position();
          ExtensionPackage package;
          ok = ReadExtensionPackage(main, package);
          out.extension_packages.emplace_back(main.bytes().begin() + std::ptrdiff_t(from),
                                              main.bytes().begin() + std::ptrdiff_t(main.position()));
        }
        break;
      }
      case data::ChunkId::Constants: {
        if (main.ReadInteger() != info.version) return false;
        auto count = data::ReadCount(main, 8);
        if (!count) return false;
        for (int32_t i = 0; i < *count; ++i) {
          std::string name = main.ReadString();
          out.constants.emplace_back(std::move(name), main.ReadString());
        }
        break;
      }
      case data::ChunkId::Sounds:
        ok = readTypedFrame(main, info.id, out.sounds, sound::ReadSoundRecord);
        break;
      case data::ChunkId::Sprites:
        ok = readNamedFrame(main, info.id, out.sprites, graphics::ReadSpriteRecord);
        break;
      case data::ChunkId::Backgrounds:
        ok = readNamedFrame(main, info.id, out.backgrounds, graphics::ReadBackgroundRecord);
        break;
      case data::ChunkId::Scripts:
        ok = readTypedFrame(main, info.id, out.scripts, code::ReadScriptRecord);
        break;
      case data::ChunkId::Fonts:
        ok = readTypedFrame(main, info.id, out.fonts, graphics::ReadFontRecord);
        break;
      case data::ChunkId::IncludedFiles: {
        if (main.ReadInteger() != info.version) return false;
        auto count = data::ReadCount(main, 4);
        if (!count) return false;
        for (int32_t i = 0; i < *count; ++i) out.included_files.push_back(main.ReadCompressedBlock().bytes());
        break;
      }
      case data::ChunkId::GameInformation:
        if (main.ReadInteger() != info.version) return false;
        out.game_information = main.ReadCompressedBlock().bytes();
        break;
      case data::ChunkId::LibraryInitCode: {
        if (main.ReadInteger() != info.version) return false;
        auto count = data::ReadCount(main, 4);
        if (!count) return false;
        for (int32_t i = 0; i < *count; ++i) out.library_init_code.push_back(main.ReadString());
        break;
      }
      case data::ChunkId::RoomOrder: {
        if (main.ReadInteger() != info.version) return false;
        auto count = data::ReadCount(main, 4);
        if (!count) return false;
        for (int32_t i = 0; i < *count; ++i) out.room_order.push_back(main.ReadInteger());
        break;
      }
      default:
        ok = readRawFrame(main, info.id, out.raw(info.id));
        if (ok && info.id == data::ChunkId::Rooms) {
          out.last_instance_id = main.ReadInteger();
          out.last_tile_id = main.ReadInteger();
        }
        break;
    }
    if (!ok) return false;
  }
  return true;
}

namespace {

// Record bytes of a sprite or background: their writers put the exists flag and the name first.
template <class T, class WriteFn>
std::vector<uint8_t> afterName(const T* item, const std::string& name, WriteFn write) {
  if (!item) return {};
  data::CStream s;
  write(s, item, name);
  s.seek(0);
  s.ReadBoolean();
  s.ReadString();
  return rest(s);
}

}  // namespace

namespace {
bool readWholePackage(const std::vector<uint8_t>& bytes, ExtensionPackage& package) {
  data::CStream s(bytes);
  try {
    return ReadExtensionPackage(s, package) && s.atEnd();
  } catch (const data::StreamError&) {
    return false;
  }
}
}  // namespace

bool ExtensionFunctionNames(const std::vector<uint8_t>& bytes, std::vector<std::string>& names) {
  ExtensionPackage package;
  if (!readWholePackage(bytes, package)) return false;
  for (const ExtensionFile& file : package.files)
    for (const ExtensionFunction& fn : file.functions) names.push_back(fn.name);
  return true;
}

bool ExtensionConstantNames(const std::vector<uint8_t>& bytes, std::vector<std::string>& names) {
  ExtensionPackage package;
  if (!readWholePackage(bytes, package)) return false;
  for (const ExtensionFile& file : package.files)
    for (const ExtensionConstant& c : file.constants) names.push_back(c.name);
  return true;
}

bool ReadGamePackage(const data::CStream& fileIn, GamePackage& out, ReadFailure& failure) {
  out = GamePackage{};
  data::CStream file(fileIn.bytes());
  auto start = data::FindGameData(file);
  if (!start) {
    failure.message = "no game data: no marker at 697344 + 10000 k";
    return false;
  }
  std::string where = "header";
  try {
    data::GameData data;
    data::LoadStatus status = data::ReadGameData(file, *start, out.settings, data);
    if (status == data::LoadStatus::WrongVersion) {
      failure.message = "header: format version is not 800";
      return false;
    }
    if (status != data::LoadStatus::Ok) {
      failure.message = "settings: the chunk is not readable";
      return false;
    }
    out.debug_mode = data.debug_mode;
    out.helper_library_name = data.helper_library_name;
    // ReadGameData checks the helper library but keeps nothing: read it again to keep its bytes.
    file.seek(*start);
    file.ReadInteger();
    file.ReadBoolean();
    data::GameSettings ignored;
    data::ReadSettings(file, ignored);
    file.ReadString();
    out.helper_library = file.ReadCompressedBlock().bytes();
    out.game_id = data.header.game_id;
    out.guid = data.header.guid;
    // The unused flag of the inner header: after the filler count and the filler.
    data::CStream& main = data.main;
    const size_t chunksStart = main.position();
    main.seek(0);
    main.skip(int64_t(main.ReadInteger()) * 4);
    out.main_flag = main.ReadBoolean();
    main.seek(chunksStart);
    if (!ReadChunks(main, out, where)) {
      failure.message = where + ": the chunk is not readable (wrong version, bad count or bad record)";
      return false;
    }
  } catch (const data::StreamError& e) {
    failure.message = where + ": the data is corrupt (" + e.what() + ")";
    return false;
  } catch (const std::exception& e) {  // a reader that refuses its data in another way
    failure.message = where + ": the data is not readable (" + e.what() + ")";
    return false;
  }
  return true;
}

std::vector<uint8_t> WriteGamePackage(const GamePackage& p, const std::vector<uint8_t>& prefix) {
  data::CGameWriter w;
  w.debug_mode = p.debug_mode;
  w.settings = p.settings;
  w.helper_library_name = p.helper_library_name;
  w.helper_library = p.helper_library;
  w.main_flag = p.main_flag;
  w.game_id = p.game_id;
  w.guid = p.guid;
  w.last_instance_id = p.last_instance_id;
  w.last_tile_id = p.last_tile_id;

  for (const auto& [name, value] : p.constants) {
    data::CStream& item = w.Item(data::ChunkId::Constants);
    item.WriteString(name);
    item.WriteString(value);
  }
  for (const data::ChunkInfo& info : data::ChunkTable()) {
    if (info.frame != data::ChunkFrame::Standard && info.frame != data::ChunkFrame::Trigger) continue;
    const int32_t count = SlotCount(p, info.id);
    w.ReserveSlots(info.id, count);
    for (int32_t i = 0; i < count; ++i) {
      if (!SlotExists(p, info.id, i)) continue;
      std::vector<uint8_t> bytes = RecordBytes(p, info.id, i);
      w.Record(info.id, i, SlotName(p, info.id, i)).WriteBytes(bytes.data(), bytes.size());
    }
  }
  for (const auto& package : p.extension_packages)
    w.Item(data::ChunkId::ExtensionPackages).WriteBytes(package.data(), package.size());
  for (const auto& file : p.included_files) w.Item(data::ChunkId::IncludedFiles).WriteBytes(file.data(), file.size());
  w.Block(data::ChunkId::GameInformation).WriteBytes(p.game_information.data(), p.game_information.size());
  for (const auto& code : p.library_init_code) w.Item(data::ChunkId::LibraryInitCode).WriteString(code);
  for (int32_t room : p.room_order) w.Item(data::ChunkId::RoomOrder).WriteInteger(room);
  std::vector<uint8_t> file = w.Write(prefix);
  if (p.debug_mode && !p.code_sources.files.empty()) data::AppendCodeSources(file, p.code_sources);
  return file;
}

std::vector<uint8_t> RecordBytes(const GamePackage& p, data::ChunkId chunk, int32_t index) {
  data::CStream s;
  switch (chunk) {
    case data::ChunkId::Sounds:
      if (!p.sounds.exists(index)) return {};
      sound::WriteSoundRecord(s, *p.sounds.get(index));
      return s.bytes();
    case data::ChunkId::Scripts:
      if (!p.scripts.exists(index)) return {};
      code::WriteScriptRecord(s, *p.scripts.get(index));
      return s.bytes();
    case data::ChunkId::Fonts:
      if (!p.fonts.exists(index)) return {};
      graphics::WriteFontRecord(s, *p.fonts.get(index));
      return s.bytes();
    case data::ChunkId::Sprites:
      return afterName(p.sprites.get(index), p.sprites.name(index), graphics::WriteSpriteRecord);
    case data::ChunkId::Backgrounds:
      return afterName(p.backgrounds.get(index), p.backgrounds.name(index), graphics::WriteBackgroundRecord);
    default:
      if (!SlotExists(p, chunk, index)) return {};
      return p.raw(chunk)[size_t(index)].record;
  }
}

bool SlotExists(const GamePackage& p, data::ChunkId chunk, int32_t index) {
  switch (chunk) {
    case data::ChunkId::Sounds: return p.sounds.exists(index);
    case data::ChunkId::Scripts: return p.scripts.exists(index);
    case data::ChunkId::Fonts: return p.fonts.exists(index);
    case data::ChunkId::Sprites: return p.sprites.exists(index);
    case data::ChunkId::Backgrounds: return p.backgrounds.exists(index);
    default: {
      const auto& raw = p.raw(chunk);
      return index >= 0 && size_t(index) < raw.size() && raw[size_t(index)].exists;
    }
  }
}

int32_t SlotCount(const GamePackage& p, data::ChunkId chunk) {
  switch (chunk) {
    case data::ChunkId::Sounds: return p.sounds.count();
    case data::ChunkId::Scripts: return p.scripts.count();
    case data::ChunkId::Fonts: return p.fonts.count();
    case data::ChunkId::Sprites: return p.sprites.count();
    case data::ChunkId::Backgrounds: return p.backgrounds.count();
    default: return int32_t(p.raw(chunk).size());
  }
}

std::string SlotName(const GamePackage& p, data::ChunkId chunk, int32_t index) {
  switch (chunk) {
    case data::ChunkId::Sounds: return p.sounds.exists(index) ? p.sounds.names[size_t(index)] : "";
    case data::ChunkId::Scripts: return p.scripts.exists(index) ? p.scripts.names[size_t(index)] : "";
    case data::ChunkId::Fonts: return p.fonts.exists(index) ? p.fonts.names[size_t(index)] : "";
    case data::ChunkId::Sprites: return p.sprites.exists(index) ? p.sprites.names[size_t(index)] : "";
    case data::ChunkId::Backgrounds: return p.backgrounds.exists(index) ? p.backgrounds.names[size_t(index)] : "";
    default:
      return SlotExists(p, chunk, index) ? p.raw(chunk)[size_t(index)].name : "";
  }
}

}  // namespace qv::project
