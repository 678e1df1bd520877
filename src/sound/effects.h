// The sound effects of a slot's chain: our own signal processing with the parameter records,
// ranges and defaults of the DirectSound standard effects.
//
// Each effect processes interleaved stereo floats at the mixer rate in place. Parameter records
// hold the values in the order and units of their DirectSound counterparts; SetParameters rejects a
// record with any value outside its range and then changes nothing, as DirectSound does.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace qv::sound {

// Effect bits of `sound_effect_set` and of a sound's effects field.
enum EffectBit : int32_t {
  kEffectChorus = 1,
  kEffectEcho = 2,
  kEffectFlanger = 4,
  kEffectGargle = 8,
  kEffectWavesReverb = 16,
  kEffectCompressor = 32,
  kEffectEqualizer = 64,
  kEffectDistortion = 128,
  kEffectI3DL2Reverb = 256,
};

enum class EffectKind { Chorus, Echo, Flanger, Gargle, ParamEq, WavesReverb, Compressor, Distortion, I3DL2Reverb };

// Waveforms of chorus and flanger (0 triangle, 1 sine); phase index 0..4 is -180, -90, 0, 90, 180
// degrees between the left and right modulation.
struct ChorusParameters {
  float wetDryMix = 50, depth = 10, feedback = 25, frequency = 1.1f;
  int32_t waveform = 1;
  float delay = 16;  // milliseconds
  int32_t phase = 3;
};
struct EchoParameters {
  float wetDryMix = 50, feedback = 50, leftDelay = 500, rightDelay = 500;  // delays in milliseconds
  int32_t panDelay = 0;  // 1: echoes alternate between the channels
};
struct FlangerParameters {
  float wetDryMix = 50, depth = 100, feedback = -50, frequency = 0.25f;
  int32_t waveform = 1;
  float delay = 2;
  int32_t phase = 2;
};
struct GargleParameters {
  int32_t rateHz = 20;
  int32_t waveShape = 0;  // 0 triangle, 1 square
};
struct WavesReverbParameters {
  float inGain = 0, reverbMix = 0;  // decibels
  float reverbTime = 1000;          // milliseconds
  float highFreqRTRatio = 0.001f;
};
struct CompressorParameters {
  float gain = 0, attack = 10, release = 200, threshold = -20, ratio = 3, predelay = 4;
};
struct ParamEqParameters {
  float center = 8000, bandwidth = 12, gain = 0;  // hertz, semitones, decibels
};
struct DistortionParameters {
  float gain = -18, edge = 15, postEQCenterFrequency = 2400, postEQBandwidth = 2400, preLowpassCutoff = 8000;
};
struct I3DL2ReverbParameters {
  int32_t room = -1000, roomHF = -100;
  float roomRolloffFactor = 0, decayTime = 1.49f, decayHFRatio = 0.83f;
  int32_t reflections = -2602;
  float reflectionsDelay = 0.007f;
  int32_t reverb = 200;
  float reverbDelay = 0.011f, diffusion = 100, density = 100, hfReference = 5000;
};

class Effect {
 public:
  explicit Effect(EffectKind kind) : kind_(kind) {}
  virtual ~Effect() = default;
  EffectKind kind() const { return kind_; }
  virtual void process(float* stereo, int frames) = 0;

 private:
  EffectKind kind_;
};

// Builds the chain for a bit set, in the fixed order chorus, echo, flanger, gargle, equalizer,
// Waves reverb, compressor, equalizer, distortion, I3DL2 reverb (bit 64 gives both equalizers).
std::vector<std::unique_ptr<Effect>> BuildEffectChain(int32_t bits, int sampleRate);

// Parameter setters: false (nothing changed) when the effect is of another kind or a value is out
// of its range.
bool SetChorusParameters(Effect& e, const ChorusParameters& p);
bool SetEchoParameters(Effect& e, const EchoParameters& p);
bool SetFlangerParameters(Effect& e, const FlangerParameters& p);
bool SetGargleParameters(Effect& e, const GargleParameters& p);
bool SetWavesReverbParameters(Effect& e, const WavesReverbParameters& p);
bool SetCompressorParameters(Effect& e, const CompressorParameters& p);
bool SetParamEqParameters(Effect& e, const ParamEqParameters& p);

}  // namespace qv::sound
