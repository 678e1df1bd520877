#include "platform/resampler.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace qv::platform {
namespace {

// libsamplerate converts by at most this factor in one pass, either way.
constexpr double kMaxPassRatio = 256.0;

int converterOf(ResampleQuality q) {
  switch (q) {
    case ResampleQuality::kSincBest: return SRC_SINC_BEST_QUALITY;
    case ResampleQuality::kSincMedium: return SRC_SINC_MEDIUM_QUALITY;
    case ResampleQuality::kSincFastest: return SRC_SINC_FASTEST;
    case ResampleQuality::kLinear: return SRC_LINEAR;
  }
  return SRC_SINC_MEDIUM_QUALITY;
}

// One pass of at most kMaxPassRatio; `frames` of the result exactly (the converter's last few
// frames of filter tail are dropped, missing ones are silence).
std::vector<float> onePass(std::span<const float> in, int channels, double ratio, int converter, size_t frames) {
  const size_t inFrames = in.size() / static_cast<size_t>(channels);
  std::vector<float> out((frames + 64) * static_cast<size_t>(channels), 0.0f);
  SRC_DATA data{};
  data.data_in = in.data();
  data.input_frames = static_cast<long>(inFrames);
  data.data_out = out.data();
  data.output_frames = static_cast<long>(frames + 64);
  data.src_ratio = ratio;
  data.end_of_input = 1;
  if (src_simple(&data, converter, channels) != 0) return {};
  out.resize(frames * static_cast<size_t>(channels));
  return out;
}

}  // namespace

std::vector<float> ResampleFrames(std::span<const float> interleaved, int channels, double fromRate, double toRate,
                                  ResampleQuality quality, size_t maxFrames) {
  if (channels <= 0 || !(fromRate > 0) || !(toRate > 0) || !std::isfinite(fromRate) || !std::isfinite(toRate)) return {};
  size_t inFrames = interleaved.size() / static_cast<size_t>(channels);
  const double ratio = toRate / fromRate;
  // Only the input that reaches the first maxFrames output frames is converted.
  const double neededIn = std::ceil(static_cast<double>(maxFrames) / ratio) + 1;
  if (neededIn < static_cast<double>(inFrames)) inFrames = static_cast<size_t>(neededIn);
  const size_t outFrames =
      std::min<size_t>(maxFrames, static_cast<size_t>(std::llround(static_cast<double>(inFrames) * ratio)));
  if (inFrames == 0 || outFrames == 0) return {};

  const int converter = converterOf(quality);
  std::vector<float> stage(interleaved.begin(), interleaved.begin() + static_cast<std::ptrdiff_t>(inFrames * static_cast<size_t>(channels)));
  double rate = fromRate;
  while (rate != toRate) {
    const double next = std::clamp(toRate, rate / kMaxPassRatio, rate * kMaxPassRatio);
    const size_t stageFrames = stage.size() / static_cast<size_t>(channels);
    const size_t frames = next == toRate ? outFrames
                                         : static_cast<size_t>(std::llround(static_cast<double>(stageFrames) * (next / rate)));
    if (frames == 0) return {};
    stage = onePass(stage, channels, next / rate, converter, frames);
    if (stage.empty()) return {};
    rate = next;
  }
  if (stage.size() > outFrames * static_cast<size_t>(channels)) stage.resize(outFrames * static_cast<size_t>(channels));
  return stage;
}

namespace {

class SrcStreamResampler final : public StreamResampler {
 public:
  explicit SrcStreamResampler(SRC_STATE* state) : state_(state) {}
  ~SrcStreamResampler() override { src_delete(state_); }
  SrcStreamResampler(const SrcStreamResampler&) = delete;
  SrcStreamResampler& operator=(const SrcStreamResampler&) = delete;

  bool process(const float* in, size_t inFrames, bool endOfInput, float* out, size_t outFrames, double ratio,
               size_t& framesUsed, size_t& framesMade) override {
    SRC_DATA data{};
    data.data_in = in;
    data.input_frames = static_cast<long>(inFrames);
    data.data_out = out;
    data.output_frames = static_cast<long>(outFrames);
    data.src_ratio = ratio;
    data.end_of_input = endOfInput ? 1 : 0;
    const bool ok = src_process(state_, &data) == 0;
    framesUsed = ok ? static_cast<size_t>(data.input_frames_used) : 0;
    framesMade = ok ? static_cast<size_t>(data.output_frames_gen) : 0;
    return ok;
  }

 private:
  SRC_STATE* state_;
};

}  // namespace

std::unique_ptr<StreamResampler> CreateStreamResampler(int channels, ResampleQuality quality) {
  int error = 0;
  SRC_STATE* state = src_new(converterOf(quality), channels, &error);
  if (state == nullptr) return nullptr;
  return std::make_unique<SrcStreamResampler>(state);
}

}  // namespace qv::platform
