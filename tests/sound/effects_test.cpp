// The effects' signal processing on synthetic signals, offline.
#include <gtest/gtest.h>

#include "sound/effects.h"
#include "sound_fixtures.h"

namespace qv::sound {
namespace {

using testing::Sine;

std::vector<float> impulse(size_t frames) {
  std::vector<float> s(2 * frames, 0.0f);
  s[0] = s[1] = 1.0f;
  return s;
}

std::vector<float> stereo(const std::vector<float>& mono) {
  std::vector<float> s(2 * mono.size());
  for (size_t i = 0; i < mono.size(); ++i) s[2 * i] = s[2 * i + 1] = mono[i];
  return s;
}

std::unique_ptr<Effect> only(int32_t bit) {
  auto chain = BuildEffectChain(bit, kMixRate);
  EXPECT_EQ(chain.size(), bit == kEffectEqualizer ? 2u : 1u);
  return std::move(chain.front());
}

void run(Effect& e, std::vector<float>& s) { e.process(s.data(), static_cast<int>(s.size() / 2)); }

TEST(EffectChain, FollowsTheFixedOrderWithTwoEqualizers) {
  using K = EffectKind;
  struct Case {
    int32_t bits;
    std::vector<K> kinds;
  };
  const Case cases[] = {
      {0, {}},
      {kEffectEcho, {K::Echo}},
      {kEffectEqualizer, {K::ParamEq, K::ParamEq}},
      {511, {K::Chorus, K::Echo, K::Flanger, K::Gargle, K::ParamEq, K::WavesReverb, K::Compressor, K::ParamEq, K::Distortion, K::I3DL2Reverb}},
      {kEffectCompressor | kEffectWavesReverb | kEffectEqualizer, {K::ParamEq, K::WavesReverb, K::Compressor, K::ParamEq}},
      {kEffectI3DL2Reverb | kEffectChorus, {K::Chorus, K::I3DL2Reverb}},
  };
  for (const Case& c : cases) {
    std::vector<K> got;
    for (auto& e : BuildEffectChain(c.bits, kMixRate)) got.push_back(e->kind());
    EXPECT_EQ(got, c.kinds) << "bits " << c.bits;
  }
}

TEST(Echo, RepeatsAfterEachChannelsDelayWithFeedback) {
  auto echo = only(kEffectEcho);
  // 50% wet, 50% feedback, left 100 ms, right 250 ms.
  ASSERT_TRUE(SetEchoParameters(*echo, EchoParameters{50, 50, 100, 250, 0}));
  auto s = impulse(kMixRate);
  run(*echo, s);
  const size_t l = kMixRate / 10, r = kMixRate / 4;
  EXPECT_NEAR(s[0], 0.5f, 1e-6);
  EXPECT_NEAR(s[2 * l], 0.5f, 1e-6);           // first left echo
  EXPECT_NEAR(s[2 * 2 * l], 0.25f, 1e-6);      // second, after feedback
  EXPECT_NEAR(s[2 * r + 1], 0.5f, 1e-6);       // first right echo
  EXPECT_NEAR(s[2 * l + 1], 0.0f, 1e-6);       // right is silent at the left delay
  EXPECT_NEAR(s[2 * (l - 1)], 0.0f, 1e-6);
}

TEST(Echo, PanDelaySendsEachRepeatToTheOtherChannel) {
  auto echo = only(kEffectEcho);
  ASSERT_TRUE(SetEchoParameters(*echo, EchoParameters{100, 50, 100, 100, 1}));
  std::vector<float> s(2 * kMixRate, 0.0f);
  s[0] = 1.0f;  // left only
  run(*echo, s);
  const size_t d = kMixRate / 10;
  EXPECT_NEAR(s[2 * d], 1.0f, 1e-6);          // first echo on the left
  EXPECT_NEAR(s[2 * 2 * d + 1], 0.5f, 1e-6);  // the repeat crosses to the right
  EXPECT_NEAR(s[2 * 2 * d], 0.0f, 1e-6);
}

TEST(Flanger, WithoutModulationIsAPlainDelay) {
  auto flanger = only(kEffectFlanger);
  ASSERT_TRUE(SetFlangerParameters(*flanger, FlangerParameters{100, 0, 0, 0, 1, 4, 2}));
  auto s = impulse(1000);
  run(*flanger, s);
  // 4 ms is 176.4 samples: the impulse is split between samples 176 and 177.
  EXPECT_NEAR(s[2 * 176], 0.6f, 1e-5);
  EXPECT_NEAR(s[2 * 177], 0.4f, 1e-5);
  EXPECT_NEAR(s[2 * 178], 0.0f, 1e-6);
  EXPECT_NEAR(s[0], 0.0f, 1e-6);
}

TEST(Chorus, ModulatesTheDelayAtTheGivenRate) {
  // A fully wet chorus of a steady tone: the modulated delay shifts the tone's phase back and
  // forth, so the output's short-time level stays while its phase follows the LFO: check that the
  // output differs from a fixed delay and that it stays bounded.
  auto chorus = only(kEffectChorus);
  ASSERT_TRUE(SetChorusParameters(*chorus, ChorusParameters{100, 100, 0, 5, 1, 10, 2}));
  auto s = stereo(Sine(1000, 1.0, 0.5));
  run(*chorus, s);
  const double rms = testing::ChannelRms(s, 0, kMixRate / 10, kMixRate);
  EXPECT_NEAR(rms, 0.5 / std::sqrt(2.0), 0.02);
  // A 5 Hz delay swing of +-10 ms moves the 1 kHz tone's phase: its correlation with the
  // unmodulated tone is far from 1 over a 200 ms window.
  const auto dry = Sine(1000, 1.0, 0.5);
  double dot = 0, n1 = 0, n2 = 0;
  for (size_t i = kMixRate / 2; i < kMixRate / 2 + kMixRate / 5; ++i) {
    dot += s[2 * i] * dry[i];
    n1 += s[2 * i] * s[2 * i];
    n2 += dry[i] * dry[i];
  }
  EXPECT_LT(std::fabs(dot / std::sqrt(n1 * n2)), 0.9);
}

TEST(Gargle, SquareWaveSilencesHalfOfEachPeriod) {
  auto gargle = only(kEffectGargle);
  ASSERT_TRUE(SetGargleParameters(*gargle, GargleParameters{10, 1}));
  std::vector<float> s(2 * kMixRate, 1.0f);
  run(*gargle, s);
  const size_t period = kMixRate / 10;
  EXPECT_EQ(s[2 * (period / 4)], 1.0f);
  EXPECT_EQ(s[2 * (3 * period / 4)], 0.0f);
  EXPECT_EQ(s[2 * (period + period / 4)], 1.0f);
}

TEST(Equalizer, BoostsTheCentreAndLeavesDistantFrequencies) {
  struct Case {
    double hz;
    double gain;
  };
  // +12 dB at 1 kHz, one octave wide.
  for (const Case c : {Case{1000, std::pow(10.0, 12.0 / 20)}, Case{12000, 1.0}, Case{80, 1.0}}) {
    auto eq = only(kEffectEqualizer);  // the chain holds two; the first suffices
    ASSERT_TRUE(SetParamEqParameters(*eq, ParamEqParameters{1000, 12, 12}));
    auto s = stereo(Sine(c.hz, 0.5, 0.05));
    run(*eq, s);
    EXPECT_NEAR(testing::ToneAmplitude(s, 0, c.hz, kMixRate / 4, kMixRate / 2) / 0.05, c.gain, 0.06 * c.gain) << c.hz;
  }
}

TEST(Compressor, ReducesLevelAboveThresholdByTheRatio) {
  auto comp = only(kEffectCompressor);
  // Threshold -20 dB, ratio 4, fast attack: a 0 dB tone (peak 1) comes out about 15 dB down.
  ASSERT_TRUE(SetCompressorParameters(*comp, CompressorParameters{0, 0.01f, 50, -20, 4, 0}));
  auto loud = stereo(Sine(100, 1.0, 1.0));
  run(*comp, loud);
  const double outDb = 20 * std::log10(testing::ToneAmplitude(loud, 0, 100, kMixRate / 2, kMixRate));
  EXPECT_NEAR(outDb, -15.0, 1.5);
  auto quiet = stereo(Sine(100, 1.0, 0.05));  // -26 dB: below the threshold, untouched
  auto comp2 = only(kEffectCompressor);
  ASSERT_TRUE(SetCompressorParameters(*comp2, CompressorParameters{0, 0.01f, 50, -20, 4, 0}));
  run(*comp2, quiet);
  EXPECT_NEAR(testing::ToneAmplitude(quiet, 0, 100, kMixRate / 2, kMixRate), 0.05, 0.002);
}

TEST(WavesReverb, LongerTimeLeavesMoreTail) {
  auto tailEnergy = [](float ms) {
    auto rev = only(kEffectWavesReverb);
    EXPECT_TRUE(SetWavesReverbParameters(*rev, WavesReverbParameters{0, 0, ms, 0.5f}));
    auto s = impulse(2 * kMixRate);
    run(*rev, s);
    return testing::ChannelRms(s, 0, kMixRate / 2, kMixRate);
  };
  const double shortTail = tailEnergy(200), longTail = tailEnergy(2500);
  EXPECT_GT(longTail, 0.0);
  EXPECT_GT(longTail, 20 * shortTail);
}

TEST(EffectParameters, OutOfRangeOrWrongKindChangesNothing) {
  auto echo = only(kEffectEcho);
  auto chorus = only(kEffectChorus);
  EXPECT_FALSE(SetEchoParameters(*chorus, EchoParameters{}));  // another kind
  EXPECT_FALSE(SetChorusParameters(*echo, ChorusParameters{}));
  struct Case {
    EchoParameters p;
    bool ok;
  };
  const Case cases[] = {
      {{50, 50, 500, 500, 0}, true},  {{0, 0, 1, 2000, 1}, true},     {{101, 50, 500, 500, 0}, false},
      {{50, -1, 500, 500, 0}, false}, {{50, 50, 0.5f, 500, 0}, false}, {{50, 50, 500, 2001, 0}, false},
      {{50, 50, 500, 500, 2}, false}, {{NAN, 50, 500, 500, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(SetEchoParameters(*echo, c.p), c.ok) << c.p.wetDryMix << " " << c.p.leftDelay;
  // A rejected record leaves the last accepted one: delay 1 ms left, 2000 ms right, crossing.
  auto s = impulse(kMixRate);
  ASSERT_TRUE(SetEchoParameters(*echo, EchoParameters{100, 0, 100, 100, 0}));
  EXPECT_FALSE(SetEchoParameters(*echo, EchoParameters{100, 0, 5000, 100, 0}));
  run(*echo, s);
  EXPECT_NEAR(s[2 * (kMixRate / 10)], 1.0f, 1e-6);

  auto gargle = only(kEffectGargle);
  EXPECT_FALSE(SetGargleParameters(*gargle, GargleParameters{0, 0}));
  EXPECT_FALSE(SetGargleParameters(*gargle, GargleParameters{-5, 0}));
  EXPECT_TRUE(SetGargleParameters(*gargle, GargleParameters{1000, 1}));
  auto rev = only(kEffectWavesReverb);
  EXPECT_FALSE(SetWavesReverbParameters(*rev, WavesReverbParameters{1, 0, 1000, 0.5f}));
  EXPECT_FALSE(SetWavesReverbParameters(*rev, WavesReverbParameters{0, 0, 1000, 1.0f}));
  auto comp = only(kEffectCompressor);
  EXPECT_FALSE(SetCompressorParameters(*comp, CompressorParameters{0, 10, 20, -20, 3, 4}));  // release < 50
  auto eq = only(kEffectEqualizer);
  EXPECT_FALSE(SetParamEqParameters(*eq, ParamEqParameters{20000, 12, 0}));
  EXPECT_FALSE(SetParamEqParameters(*eq, ParamEqParameters{8000, 12, 16}));
}

TEST(Effects, AllEffectsKeepSilenceSilentAndToneBounded) {
  auto chain = BuildEffectChain(511, kMixRate);
  std::vector<float> silence(2 * 4096, 0.0f);
  for (auto& e : chain) e->process(silence.data(), 4096);
  for (float v : silence) ASSERT_EQ(v, 0.0f);
  auto tone = stereo(Sine(440, 1.0, 0.9));
  for (auto& e : chain) e->process(tone.data(), static_cast<int>(tone.size() / 2));
  for (float v : tone) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 4.0f);
}

}  // namespace
}  // namespace qv::sound
