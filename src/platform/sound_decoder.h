// Decoding of sampled sound files (WAV, OGG, FLAC and MP3, as far as the installed libsndfile
// reads them) into 32-bit float samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv::platform {

struct PcmData {
  int channels = 0;
  int sampleRate = 0;
  std::vector<float> samples;  // interleaved, channels * frames values in [-1, 1]
  size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

// Decodes a whole file held in memory. Nothing when the data is no file libsndfile reads, holds no
// frames, ends before the frame count its header promises, or would decode to more than
// `maxFrames` frames (sound data is untrusted: memory grows only with frames actually decoded).
std::optional<PcmData> DecodeSoundData(std::span<const uint8_t> bytes, size_t maxFrames);

// Encodes 16-bit-range float samples as a whole file of `format` ("wav", "ogg", "flac" or "mp3",
// as far as the installed libsndfile writes them); nothing when it cannot. Used to make sound
// files (tests, packing) without any other tool.
std::optional<std::vector<uint8_t>> EncodeSoundData(const PcmData& pcm, const std::string& format);

// Reads a host file whole (at most `maxBytes`); nothing when it cannot be read.
std::optional<std::vector<uint8_t>> ReadHostFile(const std::string& hostPath, size_t maxBytes);

}  // namespace qv::platform
