// Fuzz entry point for the readers of sound data: the wave and MIDI checks, the decoder behind
// them (libsndfile from memory) and the sound record.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/sound_decoder.h"
#include "data/stream.h"
#include "sound/sound.h"
#include "sound/sound_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  if (qv::sound::IsCompleteWaveFile(bytes)) {
    // Small enough that a header claiming hours of sound is cut off quickly.
    (void)qv::platform::DecodeSoundData(bytes, size_t{1} << 18);
  }
  const auto midi = qv::sound::FindMidiData(bytes);
  if (!midi.empty()) (void)qv::sound::IsStandardMidiFile(midi);

  qv::data::CStream stream(std::vector<uint8_t>(data, data + size));
  qv::sound::CSound sound;
  try {
    (void)qv::sound::ReadSoundRecord(stream, sound);
  } catch (const qv::data::StreamError&) {
  }
  return 0;
}
