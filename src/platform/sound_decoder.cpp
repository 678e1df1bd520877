#include "platform/sound_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "platform/bounded_file.h"

namespace qv::platform {
namespace {

// libsndfile reads through these callbacks from a span that the caller keeps alive.
struct MemoryFile {
  std::span<const uint8_t> bytes;
  sf_count_t pos = 0;
};

sf_count_t memLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size()); }

sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(f->bytes.size());
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = f->pos;
  else if (whence == SEEK_END) base = size;
  const sf_count_t target = base + offset;
  if (target < 0) return -1;
  f->pos = std::min(target, size);
  return f->pos;
}

sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(f->bytes.size());
  const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - f->pos));
  if (n > 0) std::memcpy(ptr, f->bytes.data() + f->pos, static_cast<size_t>(n));
  f->pos += n;
  return n;
}

sf_count_t memWrite(const void*, sf_count_t, void*) { return 0; }

// A growable file in memory for writing.
struct MemoryOutput {
  std::vector<uint8_t> bytes;
  sf_count_t pos = 0;
};
sf_count_t outLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryOutput*>(user)->bytes.size()); }
sf_count_t outSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryOutput*>(user);
  sf_count_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? static_cast<sf_count_t>(f->bytes.size()) : 0;
  if (base + offset < 0) return -1;
  f->pos = base + offset;
  return f->pos;
}
sf_count_t outRead(void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryOutput*>(user);
  const auto size = static_cast<sf_count_t>(f->bytes.size());
  const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - f->pos));
  if (n > 0) std::memcpy(ptr, f->bytes.data() + f->pos, static_cast<size_t>(n));
  f->pos += n;
  return n;
}
sf_count_t outWrite(const void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryOutput*>(user);
  const auto end = static_cast<size_t>(f->pos + count);
  if (f->bytes.size() < end) f->bytes.resize(end);
  std::memcpy(f->bytes.data() + f->pos, ptr, static_cast<size_t>(count));
  f->pos += count;
  return count;
}
sf_count_t outTell(void* user) { return static_cast<MemoryOutput*>(user)->pos; }
sf_count_t memTell(void* user) { return static_cast<MemoryFile*>(user)->pos; }

// Formats whose header frame count is exact; for compressed streams it is an estimate.
bool exactFrameCount(int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_AIFF || major == SF_FORMAT_AU;
}

// Channels beyond this are not a sound a game plays; the limit keeps per-frame buffers small.
constexpr int kMaxChannels = 8;
// Frames decoded per read call.
constexpr sf_count_t kChunkFrames = 16384;

}  // namespace

std::optional<PcmData> DecodeSoundData(std::span<const uint8_t> bytes, size_t maxFrames) {
  if (bytes.empty()) return std::nullopt;
  MemoryFile file{bytes, 0};
  SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
  SF_INFO info{};
  SNDFILE* snd = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (snd == nullptr) return std::nullopt;
  std::optional<PcmData> result;
  if (info.channels >= 1 && info.channels <= kMaxChannels && info.samplerate >= 1000 && info.samplerate <= 384000) {
    PcmData pcm;
    pcm.channels = info.channels;
    pcm.sampleRate = info.samplerate;
    std::vector<float> chunk(static_cast<size_t>(kChunkFrames * info.channels));
    size_t total = 0;
    bool tooLong = false;
    for (;;) {
      const sf_count_t got = sf_readf_float(snd, chunk.data(), kChunkFrames);
      if (got <= 0) break;
      if (total + static_cast<size_t>(got) > maxFrames) {
        tooLong = true;
        break;
      }
      pcm.samples.insert(pcm.samples.end(), chunk.begin(), chunk.begin() + got * info.channels);
      total += static_cast<size_t>(got);
    }
    const bool complete = !exactFrameCount(info.format) || static_cast<sf_count_t>(total) >= info.frames;
    if (!tooLong && total > 0 && complete && sf_error(snd) == SF_ERR_NO_ERROR) {
      for (float& s : pcm.samples) {
        if (!(s >= -1.0f && s <= 1.0f)) s = s > 0 ? 1.0f : (s < 0 ? -1.0f : 0.0f);  // NaN to 0
      }
      result = std::move(pcm);
    }
  }
  sf_close(snd);
  return result;
}

std::optional<std::vector<uint8_t>> EncodeSoundData(const PcmData& pcm, const std::string& format) {
  int code = 0;
  if (format == "wav") code = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  else if (format == "ogg") code = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  else if (format == "flac") code = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  else if (format == "mp3") code = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  else return std::nullopt;
  MemoryOutput out;
  SF_VIRTUAL_IO io{outLength, outSeek, outRead, outWrite, outTell};
  SF_INFO info{};
  info.channels = pcm.channels;
  info.samplerate = pcm.sampleRate;
  info.format = code;
  SNDFILE* snd = sf_open_virtual(&io, SFM_WRITE, &info, &out);
  if (snd == nullptr) return std::nullopt;
  const auto frames = static_cast<sf_count_t>(pcm.frames());
  const bool ok = sf_writef_float(snd, pcm.samples.data(), frames) == frames;
  sf_close(snd);
  if (!ok) return std::nullopt;
  return std::move(out.bytes);
}

std::optional<std::vector<uint8_t>> ReadHostFile(const std::string& hostPath, size_t maxBytes) {
  std::vector<uint8_t> bytes;
  if (ReadFileBounded(hostPath, maxBytes, bytes) != FileRead::ok) return std::nullopt;
  return bytes;
}

}  // namespace qv::platform
