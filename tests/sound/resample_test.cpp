// Sample-rate conversion of loaded sounds: the aliasing of a swept tone, the length and level of
// converted sounds, and sounds whose rate would ask for unbounded memory.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/resampler.h"
#include "sound/sound_backend.h"
#include "sound_fixtures.h"
#include "support/sweep_aliasing.h"

namespace qv::sound::testing {
namespace {

using qv::testing::MeasureSweepAliasing;
using qv::testing::StraightLineResample;
using qv::testing::Sweep;

// The bound every converted rate must meet: what the mixer adds besides the sound stays 60 dB
// below it. Straight-line interpolation fails it at every rate below (the test shows that too, so
// the measure is known to see aliasing).
constexpr double kAliasingBoundDb = -60;

TEST(Resample, SweptToneKeepsItsAliasingBelowTheBound) {
  struct Case {
    double rate;  // the sound's own rate
    double f1;    // where the sweep ends
  };
  // Up to 90% of the sound's highest frequency; from 48 kHz the sweep runs past the mixer's
  // highest frequency, where the converter must remove it instead of folding it back.
  for (const Case c : {Case{8000, 3600}, Case{11025, 4961}, Case{22050, 9922}, Case{48000, 23000}}) {
    Sweep sweep;
    sweep.rate = c.rate;
    sweep.f1 = c.f1;
    sweep.seconds = 3;
    const std::vector<float> source = sweep.samples();
    const std::vector<float> mixed = ToMixerFormat(source, 1, static_cast<int>(c.rate));
    const auto ours = MeasureSweepAliasing(sweep, mixed, kMixRate, 2);
    const auto right = MeasureSweepAliasing(sweep, std::span(mixed).subspan(1), kMixRate, 2);
    const auto line = MeasureSweepAliasing(sweep, StraightLineResample(source, c.rate, kMixRate), kMixRate);
    std::printf("%6.0f Hz sweep to %5.0f Hz: straight line %6.1f dB (worst frame %6.1f), mixer %6.1f dB (worst %6.1f)\n",
                c.rate, c.f1, line.totalDb, line.worstDb, ours.totalDb, ours.worstDb);
    EXPECT_LT(ours.totalDb, kAliasingBoundDb) << c.rate;
    EXPECT_NEAR(ours.totalDb, right.totalDb, 1e-9) << "both channels carry the mono sound";
    EXPECT_GT(line.totalDb, kAliasingBoundDb) << c.rate;
  }
}

TEST(Resample, ConvertedSoundKeepsItsDurationAndLevel) {
  // A 1 kHz tone at 0.5 for one second at 11025 Hz: one second at the mixer's rate, same level.
  const std::vector<float> tone = Sine(1000, 1.0, 0.5, 11025);
  const std::vector<float> mixed = ToMixerFormat(tone, 1, 11025);
  ASSERT_EQ(mixed.size(), 2u * kMixRate);
  EXPECT_NEAR(ToneAmplitude(mixed, 0, 1000, 4410, 39690), 0.5, 0.005);
  EXPECT_NEAR(ToneAmplitude(mixed, 1, 1000, 4410, 39690), 0.5, 0.005);
  // Stereo keeps its channels apart.
  std::vector<float> stereo(2 * tone.size());
  for (size_t i = 0; i < tone.size(); ++i) stereo[2 * i] = tone[i];
  const std::vector<float> st = ToMixerFormat(stereo, 2, 22050);
  ASSERT_EQ(st.size(), tone.size() * 2 * 2);  // twice the frames: it was recorded at twice the rate
  EXPECT_NEAR(ToneAmplitude(st, 0, 2000, 2205, 19845), 0.5, 0.005);
  EXPECT_LT(ChannelRms(st, 1, 0, st.size() / 2), 1e-4);
}

TEST(Resample, TinyRatesAreConvertedInPassesAndCut) {
  // A header that claims 100 frames a second stretches the sound 441-fold, past the converter's
  // 1:256: two passes. The result is cut at the frame limit (the mixer's is ten minutes).
  const std::vector<float> level(2000, 0.25f);
  const std::vector<float> out = platform::ResampleFrames(level, 1, 100, kMixRate, platform::ResampleQuality::kSincMedium, 300000);
  ASSERT_EQ(out.size(), 300000u);
  EXPECT_NEAR(out[150000], 0.25f, 0.01f);
  // Uncut it keeps its length; a short sound through the mixer's conversion too.
  EXPECT_EQ(platform::ResampleFrames(level, 1, 100, kMixRate, platform::ResampleQuality::kSincMedium, SIZE_MAX).size(), 882000u);
  EXPECT_EQ(ToMixerFormat(std::vector<float>(100, 0.25f), 1, 100).size(), 2u * 44100);
  EXPECT_TRUE(ToMixerFormat(std::vector<float>(10, 0.25f), 1, 0).empty());
}

}  // namespace
}  // namespace qv::sound::testing
