#include "data/game_writer.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace qv::data {
namespace {

// Filler sizes drawn for each write: enough to move every offset, small enough to keep games small.
constexpr int kMaxFillerIntegers = 64;

void requireFrame(ChunkId chunk, std::initializer_list<ChunkFrame> frames) {
  if (std::find(frames.begin(), frames.end(), Chunk(chunk).frame) == frames.end())
    throw std::logic_error(std::string("chunk ") + Chunk(chunk).name + " has another frame");
}

}  // namespace

CStream& CGameWriter::Record(ChunkId chunk, int32_t index, std::string_view name) {
  requireFrame(chunk, {ChunkFrame::Standard, ChunkFrame::Trigger});
  if (index < 0) throw std::logic_error("negative slot index");
  ReserveSlots(chunk, index + 1);
  Slot& slot = chunks_[size_t(chunk)].slots[size_t(index)];
  slot.exists = true;
  slot.name = std::string(name);
  slot.record.clear();
  return slot.record;
}

void CGameWriter::WholeRecord(ChunkId chunk, int32_t index, const CStream& record) {
  CStream in(record.bytes());
  if (!in.ReadBoolean()) {
    ReserveSlots(chunk, index + 1);
    return;
  }
  const std::string name = in.ReadString();
  Record(chunk, index, name).WriteBytes(in.bytes().data() + in.position(), in.remaining());
}

void CGameWriter::ReserveSlots(ChunkId chunk, int32_t count) {
  requireFrame(chunk, {ChunkFrame::Standard, ChunkFrame::Trigger});
  auto& slots = chunks_[size_t(chunk)].slots;
  if (count > 0 && slots.size() < size_t(count)) slots.resize(size_t(count));
}

CStream& CGameWriter::Item(ChunkId chunk) {
  requireFrame(chunk, {ChunkFrame::Counted, ChunkFrame::CompressedItems});
  return chunks_[size_t(chunk)].items.emplace_back();
}

CStream& CGameWriter::Block(ChunkId chunk) {
  requireFrame(chunk, {ChunkFrame::SingleBlock});
  return chunks_[size_t(chunk)].block;
}

void CGameWriter::writeChunk(CStream& out, const ChunkInfo& info) const {
  const ChunkContent& c = chunks_[size_t(info.id)];
  out.WriteInteger(info.version);
  switch (info.frame) {
    case ChunkFrame::Standard:
    case ChunkFrame::Trigger:
      out.WriteInteger(int32_t(c.slots.size()));
      for (const Slot& slot : c.slots) {
        CStream block;
        block.WriteBoolean(slot.exists);
        if (slot.exists) {
          if (info.frame == ChunkFrame::Standard) block.WriteString(slot.name);
          block.WriteBytes(slot.record.bytes().data(), slot.record.size());
        }
        out.WriteCompressedBlock(block);
      }
      if (info.id == ChunkId::Rooms) {
        out.WriteInteger(last_instance_id);
        out.WriteInteger(last_tile_id);
      }
      break;
    case ChunkFrame::Counted:
      out.WriteInteger(int32_t(c.items.size()));
      for (const CStream& item : c.items) out.WriteBytes(item.bytes().data(), item.size());
      break;
    case ChunkFrame::CompressedItems:
      out.WriteInteger(int32_t(c.items.size()));
      for (const CStream& item : c.items) out.WriteCompressedBlock(item);
      break;
    case ChunkFrame::SingleBlock:
      out.WriteCompressedBlock(c.block);
      break;
  }
}

CStream CGameWriter::WriteMainSection(std::mt19937& rng) const {
  CStream main;
  int32_t filler = int32_t(rng() % (kMaxFillerIntegers + 1));
  main.WriteInteger(filler);
  for (int32_t i = 0; i < filler; ++i) main.WriteInteger(int32_t(rng()));
  main.WriteBoolean(main_flag);
  main.WriteInteger(game_id);
  main.WriteBytes(guid.data(), guid.size());
  for (const ChunkInfo& info : ChunkTable()) writeChunk(main, info);
  return main;
}

void CGameWriter::Scramble(CStream& out, const CStream& plain, std::mt19937& rng) {
  std::array<uint8_t, 256> table;
  std::iota(table.begin(), table.end(), uint8_t{0});
  std::shuffle(table.begin(), table.end(), rng);

  std::vector<uint8_t> b = plain.bytes();
  // Undo the reader's exchanges in reverse order: the reader runs i downwards, so we run upwards.
  for (size_t i = 0; i < b.size(); ++i) {
    size_t back = table[i % 256];
    size_t j = i >= back ? i - back : 0;
    std::swap(b[i], b[j]);
  }
  // Chain: the reader computes x[i] = I[s[i]] - s[i-1] - i, so s[i] = T[x[i] + s[i-1] + i].
  for (size_t i = 1; i < b.size(); ++i) b[i] = table[uint8_t(b[i] + b[i - 1] + uint8_t(i))];

  int32_t n1 = int32_t(rng() % (kMaxFillerIntegers + 1));
  int32_t n2 = int32_t(rng() % (kMaxFillerIntegers + 1));
  out.WriteInteger(n1);
  out.WriteInteger(n2);
  for (int32_t i = 0; i < n1; ++i) out.WriteInteger(int32_t(rng()));
  out.WriteBytes(table.data(), table.size());
  for (int32_t i = 0; i < n2; ++i) out.WriteInteger(int32_t(rng()));
  out.WriteInteger(int32_t(b.size()));
  out.WriteBytes(b.data(), b.size());
}

CStream CGameWriter::WriteGameData() {
  std::mt19937 rng(random_seed ? *random_seed : std::random_device{}());
  CStream out;
  out.WriteInteger(kGameFormatVersion);
  out.WriteBoolean(debug_mode);
  WriteSettings(out, settings);
  out.WriteString(helper_library_name);
  out.WriteCompressedBlock(CStream(helper_library));
  Scramble(out, WriteMainSection(rng), rng);
  return out;
}

std::vector<uint8_t> CGameWriter::Write(const std::vector<uint8_t>& prefix) {
  size_t at = kMarkerFirstOffset;
  while (at < prefix.size()) at += kMarkerStep;
  std::vector<uint8_t> file = prefix;
  file.resize(at, 0);
  CStream data = WriteGameData();
  CStream marker;
  marker.WriteInteger(kGameMarker);
  file.insert(file.end(), marker.bytes().begin(), marker.bytes().end());
  file.insert(file.end(), data.bytes().begin(), data.bytes().end());
  return file;
}

}  // namespace qv::data
