// Sample-rate conversion of whole sounds through libsamplerate's band-limited (sinc) converters.
//
// Straight-line interpolation between neighbouring samples lets the images of a sound's spectrum
// through when a low-rate sound is raised to the mixer's rate (a tone at 5 kHz in an 11 kHz sound
// also sounds at 6, 16 and 17 kHz); a band-limited converter removes them. Which quality the mixer
// uses was chosen by measuring the aliasing of a swept tone (docs/sound.md, bench/sound).
#pragma once

#include <cstddef>
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

}  // namespace qv::platform
