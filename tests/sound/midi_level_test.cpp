// The level of MIDI music next to sampled sound: notes rendered through the mixer's whole path
// (slot, bus, master volume at the game's default) peak where docs/sound.md says, with the
// default General MIDI font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sound_fixtures.h"

namespace qv::sound::testing {
namespace {

// The levels docs/sound.md gives for a velocity-100 middle C at the default channel volume.
constexpr double kMedianProgramPeakDb = -13.7;  // the median of the 128 melodic programs
constexpr double kPianoPeakDb = -17.8;          // program 0, acoustic grand piano
constexpr double kToleranceDb = 3;

double PeakDb(const std::vector<float>& st) {
  float p = 0;
  for (float v : st) p = std::max(p, std::abs(v));
  return 20 * std::log10(std::max(p, 1e-9f));
}

class MidiLevelTest : public SoundTest {
 protected:
  // Peak of the first half second of middle C on `program` at `velocity`, played as a normal sound.
  double notePeakDb(uint8_t program, uint8_t velocity) {
    const int snd = addSound(MakeMidi(1, velocity, program), kKindNormal, ".mid");
    soundBackend().Play(sound(snd).handle, false);
    const double peak = PeakDb(device->pull(kMixRate / 2));
    soundBackend().Stop(sound(snd).handle);
    return peak;
  }
};

TEST_F(MidiLevelTest, VelocityHundredNotesPeakAtTheDocumentedLevels) {
  std::vector<double> peaks;
  for (int program = 0; program < 128; ++program) peaks.push_back(notePeakDb(static_cast<uint8_t>(program), 100));
  const double piano = peaks[0];

  std::nth_element(peaks.begin(), peaks.begin() + 64, peaks.end());
  std::printf("velocity-100 middle C: median of the programs %.1f dBFS, piano %.1f dBFS\n", peaks[64], piano);
  EXPECT_NEAR(peaks[64], kMedianProgramPeakDb, kToleranceDb);
  EXPECT_NEAR(piano, kPianoPeakDb, kToleranceDb);
  // Velocity follows the General MIDI curve 40 log10(v / 127); a note sounds alike however often
  // its synthesizer served other songs before.
  for (const int velocity : {127, 64, 100}) {
    EXPECT_NEAR(notePeakDb(0, static_cast<uint8_t>(velocity)) - piano, 40 * std::log10(velocity / 100.0), 0.5) << velocity;
  }
}

TEST_F(MidiLevelTest, SampledSoundAtFullScalePlaysAtFullScale) {
  // The other side of the comparison: a wave file's own level is what the mix gives, so a
  // full-scale tone peaks at 0 dBFS and MIDI stands the documented distance below it.
  const int snd = addSound(MakeWav(Sine(440, 0.5, 1.0), 1, kMixRate), kKindNormal);
  soundBackend().Play(sound(snd).handle, false);
  EXPECT_NEAR(PeakDb(device->pull(kMixRate / 2)), 0.0, 0.1);
}

}  // namespace
}  // namespace qv::sound::testing
