// Sample-rate conversion of whole sounds through libsamplerate's band-limited (sinc) converters.
//
// Straight-line interpolation between neighbouring samples lets the images of a sound's spectrum
// through when a low-rate sound is raised to the mixer's rate (a tone at 5 kHz in an 11 kHz sound
// also sounds at 6, 16 and 17 kHz); a band-limited converter removes them. Which quality the mixer
// uses was chosen by measuring the aliasing of a swept tone (docs/sound.md, bench/sound).
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace qv::platform {

// libsamplerate's converters, best first. The sinc ones are band-limited; kLinear is its own
// straight-line interpolator, kept for comparison in measurements.
enum class ResampleQuality { kSincBest, kSincMedium, kSincFastest, kLinear };

// Converts `interleaved` (frames of `channels` samples at `fromRate`) to `toRate`. The result holds
// round(frames * toRate / fromRate) frames, at most `maxFrames` (the rest of the sound is cut:
// sound data is untrusted and a tiny rate would otherwise ask for unbounded memory). Ratios beyond
// the converter's 1:256 are done in several passes. Empty when the arguments make no sense or the
// converter fails.
std::vector<float> ResampleFrames(std::span<const float> interleaved, int channels, double fromRate, double toRate,
                                  ResampleQuality quality, size_t maxFrames);

// A converter for one playing sound whose rate changes while it plays (the Doppler shift of a
// moving 3D sound). It keeps the last input frames it saw, so the sound may be fed in pieces and
// across a loop's seam; a change of ratio is spread over the next block of output.
class StreamResampler {
 public:
  virtual ~StreamResampler() = default;
  // Reads frames from `in` (at most `inFrames`; `endOfInput` when no more will follow) and writes
  // at most `outFrames` to `out`, at `ratio` output frames per input frame (1/256 to 256).
  // Answers false when the converter fails. Allocates nothing: safe on the audio thread.
  virtual bool process(const float* in, size_t inFrames, bool endOfInput, float* out, size_t outFrames,
                       double ratio, size_t& framesUsed, size_t& framesMade) = 0;
};

// A streaming converter of `channels` channels; nothing when libsamplerate cannot make one. It
// allocates its filter state: make it off the audio thread.
std::unique_ptr<StreamResampler> CreateStreamResampler(int channels, ResampleQuality quality);

}  // namespace qv::platform
