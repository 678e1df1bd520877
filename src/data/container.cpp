#include "data/container.h"

#include <algorithm>

#include "data/messages.h"
#include "platform/bounded_file.h"

namespace qv::data {

std::optional<size_t> FindGameData(const CStream& file) {
  const auto& bytes = file.bytes();
  for (size_t at = kMarkerFirstOffset; at <= bytes.size() && bytes.size() - at >= 4; at += kMarkerStep) {
    const uint8_t* p = bytes.data() + at;
    int32_t v = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    if (v == kGameMarker) return at + 4;
  }
  return std::nullopt;
}

namespace {

// The offset of the game marker: the first place it can stand where it does (only four bytes are
// read at each place).
std::optional<uint64_t> findMarker(const platform::FilePieces& file) {
  for (uint64_t at = kMarkerFirstOffset; at <= file.size() && file.size() - at >= 4; at += kMarkerStep) {
    uint8_t p[4];
    if (!file.readAt(at, p, 4)) break;
    const int32_t v = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    if (v == kGameMarker) return at;
  }
  return std::nullopt;
}

}  // namespace

std::optional<size_t> LoadGameData(const std::string& hostPath, CStream& out, bool& unreadable) {
  unreadable = false;
  const platform::FilePieces file(hostPath);
  if (!file.open()) {
    unreadable = true;
    return std::nullopt;
  }
  const std::optional<uint64_t> at = findMarker(file);
  if (!at) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (file.readFrom(*at, CStream::kMaxFileBytes, bytes) != platform::FileRead::ok) {
    unreadable = true;
    return std::nullopt;
  }
  out = CStream(std::move(bytes));
  return 4;
}

bool HoldsGameData(const std::string& hostPath) {
  const platform::FilePieces file(hostPath);
  return file.open() && findMarker(file).has_value();
}

namespace {

// Skips `count` filler integers; a negative count is corrupt data, not a backward seek.
void skipIntegers(CStream& s, int32_t count) {
  if (count < 0) throw StreamError("negative filler count");
  s.skip(int64_t(count) * 4);
}

}  // namespace

CStream Unscramble(CStream& source) {
  const int32_t n1 = source.ReadInteger();
  const int32_t n2 = source.ReadInteger();
  skipIntegers(source, n1);
  uint8_t table[256];
  source.ReadBytes(table, 256);
  skipIntegers(source, n2);
  uint8_t inverse[256] = {};
  for (int k = 0; k < 256; ++k) inverse[table[k]] = uint8_t(k);
  const int32_t length = source.ReadInteger();
  if (length < 0) throw StreamError("negative main section length");
  if (size_t(length) > source.remaining()) throw StreamError("main section ends early");  // before allocating
  std::vector<uint8_t> b(static_cast<size_t>(length));
  source.ReadBytes(b.data(), b.size());
  // Undo the chaining: runs downwards so that b[i - 1] is still the stored byte.
  for (size_t i = b.size(); i-- > 1;) b[i] = uint8_t(inverse[b[i]] - b[i - 1] - uint8_t(i));
  // Undo the exchanges, last one first.
  for (size_t i = b.size(); i-- > 0;) {
    size_t back = table[i % 256];
    size_t j = i >= back ? i - back : 0;
    std::swap(b[i], b[j]);
  }
  return CStream(std::move(b));
}

namespace {

// The substitution table of a seed, or nothing for seeds that would index outside it.
std::optional<std::array<uint8_t, 256>> seedTable(int32_t seed) {
  int64_t a = seed % 250 + 6;
  int64_t b = seed / 250;
  if (a < 0) a += 256;
  if (b < 0) b += 256;
  if (b < 0) return std::nullopt;
  std::array<uint8_t, 256> t;
  for (int k = 0; k < 256; ++k) t[size_t(k)] = uint8_t(k);
  for (int64_t k = 1; k <= 10000; ++k) {
    size_t j = size_t((k * a + b) % 254) + 1;
    std::swap(t[j], t[j + 1]);
  }
  return t;
}

// The byte range [start, end) of a request, clamped to the stream.
std::pair<size_t, size_t> seedRange(const CStream& s, int64_t start, int64_t length) {
  int64_t size = int64_t(s.size());
  int64_t from = std::clamp<int64_t>(start, 0, size);
  int64_t count = length <= 0 ? size - from : length;
  int64_t to = std::clamp<int64_t>(count > size - from ? size : from + count, from, size);
  return {size_t(from), size_t(to)};
}

}  // namespace

bool DecodeWithSeed(CStream& stream, int32_t seed, int64_t start, int64_t length) {
  auto t = seedTable(seed);
  if (!t) return false;
  std::array<uint8_t, 256> inverse{};
  for (int k = 1; k < 256; ++k) inverse[(*t)[size_t(k)]] = uint8_t(k);
  inverse[0] = 0;
  auto [from, to] = seedRange(stream, start, length);
  for (size_t i = from; i < to; ++i) stream.bytes()[i] = inverse[stream.bytes()[i]];
  return true;
}

bool EncodeWithSeed(CStream& stream, int32_t seed, int64_t start, int64_t length) {
  auto t = seedTable(seed);
  if (!t) return false;
  auto [from, to] = seedRange(stream, start, length);
  for (size_t i = from; i < to; ++i) stream.bytes()[i] = (*t)[stream.bytes()[i]];
  return true;
}

const std::array<ChunkInfo, kChunkCount>& ChunkTable() {
  static const std::array<ChunkInfo, kChunkCount> table = {{
      {ChunkId::ExtensionPackages, "extension packages", 700, ChunkFrame::Counted},
      {ChunkId::Triggers, "triggers", 800, ChunkFrame::Trigger},
      {ChunkId::Constants, "constants", 800, ChunkFrame::Counted},
      {ChunkId::Sounds, "sounds", 800, ChunkFrame::Standard},
      {ChunkId::Sprites, "sprites", 800, ChunkFrame::Standard},
      {ChunkId::Backgrounds, "backgrounds", 800, ChunkFrame::Standard},
      {ChunkId::Paths, "paths", 800, ChunkFrame::Standard},
      {ChunkId::Scripts, "scripts", 800, ChunkFrame::Standard},
      {ChunkId::Fonts, "fonts", 800, ChunkFrame::Standard},
      {ChunkId::TimeLines, "time lines", 800, ChunkFrame::Standard},
      {ChunkId::Objects, "objects", 800, ChunkFrame::Standard},
      {ChunkId::Rooms, "rooms", 800, ChunkFrame::Standard},
      {ChunkId::IncludedFiles, "included files", 800, ChunkFrame::CompressedItems},
      {ChunkId::GameInformation, "game information", 800, ChunkFrame::SingleBlock},
      {ChunkId::LibraryInitCode, "library initialization code", 500, ChunkFrame::Counted},
      {ChunkId::RoomOrder, "room order", 700, ChunkFrame::Counted},
  }};
  return table;
}

const ChunkInfo& Chunk(ChunkId id) { return ChunkTable()[size_t(id)]; }

std::optional<int32_t> ReadCount(CStream& stream, size_t minItemBytes) {
  int32_t count = stream.ReadInteger();
  if (count < 0) return std::nullopt;
  if (minItemBytes > 0 && size_t(count) > stream.remaining() / minItemBytes) return std::nullopt;
  return count;
}

namespace {

bool readFrame(CStream& stream, int32_t version, bool named, const SlotReader& read) {
  if (stream.ReadInteger() != version) return false;
  auto count = ReadCount(stream, 4);  // each slot is at least its block's length
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    FrameSlot slot;
    slot.index = i;
    slot.record = stream.ReadCompressedBlock();
    slot.exists = slot.record.ReadBoolean();
    if (slot.exists && named) slot.name = slot.record.ReadString();
    if (!read(slot)) return false;
  }
  return true;
}

}  // namespace

bool ReadStandardFrame(CStream& stream, int32_t version, const SlotReader& read) {
  return readFrame(stream, version, true, read);
}

bool ReadTriggerFrame(CStream& stream, int32_t version, const SlotReader& read) {
  return readFrame(stream, version, false, read);
}

MainSectionHeader ReadMainSectionHeader(CStream& main) {
  skipIntegers(main, main.ReadInteger());
  main.ReadBoolean();  // stored, not used
  MainSectionHeader h;
  h.game_id = main.ReadInteger();
  main.ReadBytes(h.guid.data(), h.guid.size());
  return h;
}

const char* LoadStatusMessage(LoadStatus status) {
  switch (status) {
    case LoadStatus::Ok: return "";
    case LoadStatus::NotValidGame: return messages::kNotValidGame;
    case LoadStatus::WrongVersion: return messages::kWrongVersion;
    case LoadStatus::ResourceData: return messages::kResourceData;
  }
  return "";
}

LoadStatus ReadGameData(CStream& file, size_t start, GameSettings& settings, GameData& out,
                        const std::function<void(bool)>& afterSettings) {
  file.seek(start);
  if (file.ReadInteger() != kGameFormatVersion) return LoadStatus::WrongVersion;
  out.debug_mode = file.ReadBoolean();
  if (!ReadSettings(file, settings)) return LoadStatus::ResourceData;
  if (afterSettings) afterSettings(out.debug_mode);
  // The helper library is read and inflated (so a broken block is caught here) but never written
  // out: its services are our own code.
  out.helper_library_name = file.ReadString();
  file.ReadCompressedBlock();
  out.main = Unscramble(file);
  out.header = ReadMainSectionHeader(out.main);
  return LoadStatus::Ok;
}

}  // namespace qv::data
