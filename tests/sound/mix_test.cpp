// Properties of the mixed output of a known tone: level, pan, echo delay, 3D placement, fades.
#include <gtest/gtest.h>

#include "sound_fixtures.h"

namespace qv::sound {
namespace {

using testing::Call;
using testing::ToneAmplitude;
using testing::ToneWav;

class Mix : public testing::SoundTest {
 protected:
  // Plays `snd` looping and returns the amplitude of its 1 kHz tone on both channels.
  std::pair<double, double> levels(int snd, size_t frames = 8192) {
    Call("sound_loop", {double(snd)});
    const auto out = device->pull(frames);
    Call("sound_stop", {double(snd)});
    return {ToneAmplitude(out, 0, 1000, 0, frames), ToneAmplitude(out, 1, 1000, 0, frames)};
  }
};

TEST_F(Mix, VolumePanAndGlobalVolumeScaleTheTone) {
  const int snd = addSound(ToneWav(1000, 1.0, 0.5), kKindNormal);
  struct Case {
    double volume, pan, global;
    double left, right;  // expected gains of the 0.5 tone
  };
  const Case cases[] = {
      {1, 0, 1, 1, 1},
      {0.75, 0, 1, std::pow(10, -2400 / 2000.0), std::pow(10, -2400 / 2000.0)},
      {1, -1, 1, 1, 0},
      {1, 1, 1, 0, 1},
      {1, 0.25, 1, std::pow(10, -2500 / 2000.0), 1},
      {1, 0, 0.9, std::pow(10, -1100 / 2000.0), std::pow(10, -1100 / 2000.0)},  // -100 mB below unity
      {1, 0, 0, 0, 0},
      {0, 0, 1, std::pow(10, -9600 / 2000.0), std::pow(10, -9600 / 2000.0)},
  };
  for (const Case& c : cases) {
    Call("sound_volume", {double(snd), c.volume});
    Call("sound_pan", {double(snd), c.pan});
    Call("sound_global_volume", {c.global});
    const auto [l, r] = levels(snd);
    EXPECT_NEAR(l, 0.5 * c.left, 0.01 * c.left + 1e-4) << c.volume << " " << c.pan << " " << c.global;
    EXPECT_NEAR(r, 0.5 * c.right, 0.01 * c.right + 1e-4) << c.volume << " " << c.pan << " " << c.global;
  }
}

// The player's volume scales the whole mix after the game's own volumes, whatever they are.
TEST_F(Mix, PlayerGainScalesTheWholeMix) {
  const int snd = addSound(ToneWav(1000, 1.0, 0.5), kKindNormal);
  Call("sound_global_volume", {0.9});
  const double game = std::pow(10, -1100 / 2000.0);  // the game's level: 0.9 is 100 mB below unity
  for (const double gain : {1.0, 0.25, 0.0}) {
    soundBackend().SetPlayerGain(gain);
    const auto [l, r] = levels(snd);
    EXPECT_NEAR(l, 0.5 * game * gain, 0.01 * game + 1e-4) << gain;
    EXPECT_NEAR(r, 0.5 * game * gain, 0.01 * game + 1e-4) << gain;
  }
  soundBackend().SetPlayerGain(1);
}

TEST_F(Mix, OverlappingPlaysAdd) {
  const int snd = addSound(ToneWav(1000, 1.0, 0.25), kKindNormal);
  Call("sound_play", {double(snd)});
  Call("sound_play", {double(snd)});
  const auto out = device->pull(4096);
  EXPECT_NEAR(ToneAmplitude(out, 0, 1000, 0, 4096), 0.5, 0.01);
}

TEST_F(Mix, EchoRepeatsTheBurstAfterEachChannelsDelay) {
  const int snd = addSound(ToneWav(1000, 0.01, 0.5), kKindNormal);  // a 10 ms burst
  Call("sound_effect_set", {double(snd), double(kEffectEcho)});
  Call("sound_effect_echo", {double(snd), 50.0, 0.0, 100.0, 200.0, 0.0});
  Call("sound_play", {double(snd)});
  const auto out = device->pull(kMixRate / 2);
  // The first sample above a small level after `from`, per channel.
  auto onset = [&](int ch, size_t from) {
    for (size_t i = from; i < out.size() / 2; ++i)
      if (std::fabs(out[2 * i + ch]) > 0.05f) return i;
    return size_t{0};
  };
  const size_t burst = onset(0, 0);
  const size_t gap = kMixRate / 50;  // past the burst
  EXPECT_NEAR(double(onset(0, burst + gap)) - double(burst), 0.1 * kMixRate, 3);
  EXPECT_NEAR(double(onset(1, burst + gap)) - double(burst), 0.2 * kMixRate, 3);
  // Half dry, half wet: the echo is as loud as the dry burst in the mix.
  EXPECT_NEAR(ToneAmplitude(out, 0, 1000, burst + 4410, burst + 4410 + 441), 0.25, 0.02);
}

TEST_F(Mix, ThreeDPlacementAttenuatesAndPans) {
  const int snd = addSound(ToneWav(1000, 1.0, 0.5), kKind3D);
  struct Case {
    double x, y, z;
    double left, right;
  };
  const Case cases[] = {
      {0, 0, 0.5, 1, 1},    // inside the minimum distance
      {0, 0, 2, 0.5, 0.5},  // in front at twice the minimum distance
      {-4, 0, 0, 0.25, 0},  // far left
      {3, 0, 0, 0, 1.0 / 3},
      {0, 10, 0, 0.1, 0.1},  // straight above: no side
  };
  for (const Case& c : cases) {
    Call("sound_3d_set_sound_position", {double(snd), c.x, c.y, c.z});
    const auto [l, r] = levels(snd);
    EXPECT_NEAR(l, 0.5 * c.left, 0.01) << c.x << "," << c.y << "," << c.z;
    EXPECT_NEAR(r, 0.5 * c.right, 0.01) << c.x << "," << c.y << "," << c.z;
  }
  // Maximum distance holds the level; a cone facing away gives the outside volume.
  Call("sound_3d_set_sound_distance", {double(snd), 1.0, 4.0});
  Call("sound_3d_set_sound_position", {double(snd), 0.0, 0.0, 8.0});
  EXPECT_NEAR(levels(snd).first, 0.5 * 0.25, 0.005);
  Call("sound_3d_set_sound_position", {double(snd), 0.0, 0.0, 2.0});
  Call("sound_3d_set_sound_cone", {double(snd), 0.0, 0.0, 1.0, 30.0, 90.0, 0.5});
  EXPECT_NEAR(levels(snd).first, 0.5 * 0.5 * std::pow(10, -5000 / 2000.0), 0.001);
  Call("sound_3d_set_sound_cone", {double(snd), 0.0, 0.0, -1.0, 30.0, 90.0, 0.5});  // facing the listener
  EXPECT_NEAR(levels(snd).first, 0.5 * 0.5, 0.01);
}

TEST_F(Mix, VelocityShiftsThePitchOfThreeDSounds) {
  const int snd = addSound(ToneWav(1000, 1.0, 0.5), kKind3D);
  Call("sound_3d_set_sound_distance", {double(snd), 100.0, 1000.0});  // keep the level at full
  Call("sound_3d_set_sound_position", {double(snd), 0.0, 0.0, 10.0});
  struct Case {
    double velocityZ;  // positive: moving away
    double heardHz;
  };
  for (const Case c : {Case{34.3, 1000 * 343 / 377.3}, Case{-34.3, 1000 * 343 / 308.7}, Case{0, 1000}}) {
    Call("sound_3d_set_sound_velocity", {double(snd), 0.0, 0.0, c.velocityZ});
    Call("sound_loop", {double(snd)});
    const auto out = device->pull(8192);
    Call("sound_stop", {double(snd)});
    EXPECT_NEAR(ToneAmplitude(out, 0, c.heardHz, 0, 8192), 0.5, 0.03) << c.velocityZ;
    if (c.velocityZ != 0) {
      EXPECT_LT(ToneAmplitude(out, 0, 1000, 0, 8192), 0.1) << c.velocityZ;
    }
  }
}

TEST_F(Mix, StartingToMoveShiftsTheSoundWithoutAClick) {
  // A 3D tone plays standing still, then starts to move away and comes back to rest: the output
  // runs on smoothly through both changes, and the shifted part carries the Doppler tone alone.
  const int snd = addSound(ToneWav(1000, 1.0, 0.5), kKind3D);
  Call("sound_3d_set_sound_distance", {double(snd), 100.0, 1000.0});
  Call("sound_3d_set_sound_position", {double(snd), 0.0, 0.0, 10.0});
  Call("sound_loop", {double(snd)});
  std::vector<float> out = device->pull(3010);  // the tone at its crest, where a jump shows most
  Call("sound_3d_set_sound_velocity", {double(snd), 0.0, 0.0, 34.3});
  const std::vector<float> moving = device->pull(8192);
  Call("sound_3d_set_sound_velocity", {double(snd), 0.0, 0.0, 0.0});
  const std::vector<float> still = device->pull(4096);
  out.insert(out.end(), moving.begin(), moving.end());
  out.insert(out.end(), still.begin(), still.end());
  // A 1 kHz sine of 0.5 bends by at most 0.5 (2 pi 1000 / 44100)^2 from frame to frame; twice that
  // allows for the converter starting a fraction of a frame ahead. A converter started without
  // the frames before it rings by ten times as much.
  const double maxBend = 2 * 0.5 * std::pow(2 * M_PI * 1000 / kMixRate, 2);
  for (size_t i = 1; i + 1 < out.size() / 2; ++i)
    ASSERT_LT(std::abs(out[2 * i + 2] - 2 * out[2 * i] + out[2 * i - 2]), maxBend) << "frame " << i;
  // After the converter's ramp from one rate to the other (one block), only the shifted tone.
  const double heard = 1000 * 343 / 377.3;
  EXPECT_NEAR(ToneAmplitude(moving, 0, heard, 2048, 8192), 0.5, 0.01);
  std::vector<float> rest(moving.begin() + 2 * 2048, moving.end());
  const double total = testing::ChannelRms(rest, 0, 0, rest.size() / 2) * std::sqrt(2.0);
  EXPECT_NEAR(total, 0.5, 0.01) << "no energy besides the shifted tone";
  EXPECT_NEAR(ToneAmplitude(still, 0, 1000, 1024, 4096), 0.5, 0.01);
}

TEST_F(Mix, FadeReachesItsVolumeAfterItsTime) {
  const int snd = addSound(ToneWav(1000, 2.0, 0.5), kKindNormal);
  Call("sound_volume", {double(snd), 0.0});
  Call("sound_loop", {double(snd)});
  Call("sound_fade", {double(snd), 1.0, 500.0});
  const auto out = device->pull(kMixRate * 3 / 4);
  const size_t ms = kMixRate / 1000;
  EXPECT_LT(ToneAmplitude(out, 0, 1000, 0, 20 * ms), 0.005);                   // starts from -9600
  EXPECT_LT(ToneAmplitude(out, 0, 1000, 200 * ms, 220 * ms), 0.5 * 0.1);        // -24 dB and below mid-way
  EXPECT_NEAR(ToneAmplitude(out, 0, 1000, 520 * ms, 700 * ms), 0.5, 0.01);      // full after 500 ms
  EXPECT_EQ(soundBackend().slotState(sound(snd).handle)->volumeMb, 0);
}

}  // namespace
}  // namespace qv::sound
