// The mixer's pieces: voices (one per playing sound), buses (one per back-end slot: the slot's
// volume, effect chain, pan and 3D placement) and the conversions of the back-end's units.
//
// Signal path of one bus: its voices summed -> path volume (with fades) -> effect chain ->
// 3D placement or pan -> the master volume. All of this runs on the audio thread under the
// back-end's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/midi_synth.h"
#include "platform/resampler.h"
#include "sound/effects.h"

namespace qv::sound {

// The mixer's rate; every sound is converted to stereo at this rate when it is loaded.
inline constexpr int kMixRate = 44100;

using SharedSamples = std::shared_ptr<const std::vector<float>>;  // interleaved stereo at kMixRate

// Hundredths of a decibel to linear gain; -10000 and below is silence, as in DirectSound.
double MillibelToGain(double millibels);

// One playing instance of a sound: a sampled sound read from shared samples, or a MIDI song
// rendered by its own synthesizer.
struct Voice {
  SharedSamples samples;
  size_t frame = 0;  // the next frame to read (to hand the converter, while the voice is shifted)
  bool loop = false;
  std::unique_ptr<platform::MidiSynth> midi;
  bool ended = false;

  // The band-limited converter that plays a 3D sound at its Doppler rate, made when the voice
  // starts (a voice without one plays unshifted). Once the rate first leaves 1 the voice reads
  // through it until it ends, so the sound never jumps between the two ways of reading.
  std::unique_ptr<platform::StreamResampler> shifter;
  bool shifting = false;

  // Adds `frames` stereo frames into `out`; `scratch` holds at least 2 * frames floats. `rate` is
  // the playback rate of sampled sounds (1 = as recorded; the Doppler shift of 3D sounds).
  void mixInto(float* out, float* scratch, int frames, double rate = 1.0);

 private:
  void mixShifted(float* out, float* scratch, int frames, double rate);
  // Up to `frames` frames at `rate` through the shifter into `dst`; how many it made.
  size_t readShifted(float* dst, size_t frames, double rate);
};

// 3D placement of a bus as the back-end was given it (DirectSound coordinates: x right, y up,
// z forward from a listener at the origin).
struct Placement3D {
  float position[3] = {0, 0, 0};
  float velocity[3] = {0, 0, 0};
  float minDistance = 1, maxDistance = 1e9f;
  float coneOrientation[3] = {0, 0, 1};
  int32_t insideConeAngle = 360, outsideConeAngle = 360;
  int32_t coneOutsideVolume = 0;  // hundredths of a decibel
};

// Gains of the left and right channel for a placement: distance attenuation (full inside the
// minimum distance, then minimum / distance, held beyond the maximum distance), the cone's
// attenuation, and a balance from the source's direction in the horizontal plane.
void PlacementGains(const Placement3D& p, float& left, float& right);

// The Doppler factor of a placement: a source moving away at radial speed v (units per second,
// DirectSound's metres) plays at c / (c + v), c = 343 m/s; held within [0.5, 2].
double DopplerRate(const Placement3D& p);

struct Bus {
  std::vector<Voice> voices;
  // Path volume in hundredths of a decibel, moving toward `targetMb` over `rampFrames`.
  double volumeMb = 0, targetMb = 0, stepMb = 0;
  int64_t rampFrames = 0;
  int32_t panMb = 0;
  std::vector<std::unique_ptr<Effect>> effects;
  bool is3D = false;
  Placement3D placement;
  // Frames the effects keep running after the last voice ended, so echoes and reverb tails fade
  // out instead of stopping dead.
  int64_t tailFrames = 0;

  bool audible() const { return !voices.empty() || tailFrames > 0; }
  // Moves a fade on by `frames` (also while nothing plays: a fade runs in time, not in sound).
  void advanceVolume(int frames);
  // Mixes the bus into `out` (adding), scaled by `master`.
  void mixInto(float* out, int frames, double master, std::vector<float>& busBuffer, std::vector<float>& scratch);
};

}  // namespace qv::sound
