// MIDI playback rendered into samples: one FluidSynth synthesizer and player per playing MIDI
// sound, so MIDI sounds overlap, loop and pass through the mixer's volume, pan and effects like
// sampled sounds. The General MIDI sound font comes from the system (TimGM6mb by default).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace qv::platform {

class MidiSynth {
 public:
  virtual ~MidiSynth() = default;
  // Writes `frames` stereo frames (interleaved) into `out`; after the song has ended (and is not
  // looping) it writes silence.
  virtual void render(float* out, int frames) = 0;
  // Tempo factor relative to the song's own tempo (1 = as written).
  virtual void setTempo(double factor) = 0;
  // True once a song that does not loop has played to its end.
  virtual bool finished() const = 0;
};

// The sound font used for MIDI: $QUORVANE_SOUNDFONT when set, otherwise the first of the Debian
// General MIDI fonts that exists; empty when there is none.
std::string MidiSoundFontPath();

// A synthesizer playing `midi` (a standard MIDI file, already checked by the caller) from the
// start, at `sampleRate`; nothing when FluidSynth or the sound font cannot be loaded.
// Synthesizers are pooled: a finished song returns its synthesizer for the next one.
std::unique_ptr<MidiSynth> CreateMidiSynth(std::span<const uint8_t> midi, int sampleRate, bool loop, double tempo);

// Makes sure `count` synthesizers wait in the pool, so the first songs start without the cost of
// loading the sound font (called when MIDI sounds are prepared).
void WarmMidiSynths(int sampleRate, size_t count);

}  // namespace qv::platform
