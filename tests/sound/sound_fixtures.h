// Shared pieces of the sound tests: sound files generated in the test, a device the test pulls
// mixed audio from, and measurements of a mixed signal.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "sound/sound_backend.h"

namespace qv::sound::testing {

inline void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline void putTag(std::vector<uint8_t>& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

// A 16-bit PCM wave file of interleaved samples.
inline std::vector<uint8_t> MakeWav(const std::vector<float>& samples, int channels, int rate) {
  std::vector<uint8_t> b;
  const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
  putTag(b, "RIFF");
  put32(b, 36 + dataBytes);
  putTag(b, "WAVE");
  putTag(b, "fmt ");
  put32(b, 16);
  put16(b, 1);
  put16(b, static_cast<uint32_t>(channels));
  put32(b, static_cast<uint32_t>(rate));
  put32(b, static_cast<uint32_t>(rate * channels * 2));
  put16(b, static_cast<uint32_t>(channels * 2));
  put16(b, 16);
  putTag(b, "data");
  put32(b, dataBytes);
  for (float s : samples) put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32767.0f))));
  return b;
}

// Mono sine of `seconds` at `hz` and `amplitude`.
inline std::vector<float> Sine(double hz, double seconds, double amplitude, int rate = kMixRate) {
  std::vector<float> s(static_cast<size_t>(seconds * rate));
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
  return s;
}

inline std::vector<uint8_t> ToneWav(double hz, double seconds, double amplitude = 0.5) {
  return MakeWav(Sine(hz, seconds, amplitude), 1, kMixRate);
}

// A standard MIDI file of one track: piano (or `program`), middle C held for `beats` quarter
// notes at `velocity`, at 120 bpm, channel volume left at its default.
inline std::vector<uint8_t> MakeMidi(int beats = 2, uint8_t velocity = 100, uint8_t program = 0) {
  std::vector<uint8_t> track = {0x00, 0xC0, program, 0x00, 0x90, 60, velocity};
  const uint32_t ticks = 96u * static_cast<uint32_t>(beats);
  track.push_back(static_cast<uint8_t>(0x80 | (ticks >> 7)));
  track.push_back(static_cast<uint8_t>(ticks & 0x7F));
  for (uint8_t v : {0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00}) track.push_back(v);
  std::vector<uint8_t> b;
  putTag(b, "MThd");
  for (uint8_t v : {0, 0, 0, 6, 0, 0, 0, 1, 0, 96}) b.push_back(v);
  putTag(b, "MTrk");
  const auto n = static_cast<uint32_t>(track.size());
  for (int shift : {24, 16, 8, 0}) b.push_back(static_cast<uint8_t>(n >> shift));
  b.insert(b.end(), track.begin(), track.end());
  return b;
}

// A device that opens at once and mixes only when the test pulls.
class PullDevice final : public platform::AudioDevice {
 public:
  bool open(platform::AudioRenderer* r, int) override {
    renderer_ = r;
    return true;
  }
  void close() override { renderer_ = nullptr; }
  bool isOpen() const override { return renderer_ != nullptr; }
  // `frames` stereo frames, mixed in device-sized blocks.
  std::vector<float> pull(size_t frames) {
    std::vector<float> out(2 * frames);
    for (size_t done = 0; done < frames;) {
      const int n = static_cast<int>(std::min<size_t>(1024, frames - done));
      renderer_->renderAudio(out.data() + 2 * done, n);
      done += static_cast<size_t>(n);
    }
    return out;
  }

 private:
  platform::AudioRenderer* renderer_ = nullptr;
};

// Root mean square of one channel (0 left, 1 right) over frames [from, to).
inline double ChannelRms(const std::vector<float>& st, int channel, size_t from, size_t to) {
  to = std::min(to, st.size() / 2);
  if (to <= from) return 0;
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(st[2 * i + channel]) * st[2 * i + channel];
  return std::sqrt(sum / double(to - from));
}

// Amplitude of the `hz` component of one channel over frames [from, to) (Goertzel).
inline double ToneAmplitude(const std::vector<float>& st, int channel, double hz, size_t from, size_t to, int rate = kMixRate) {
  const double w = 2 * M_PI * hz / rate;
  double s1 = 0, s2 = 0;
  for (size_t i = from; i < to; ++i) {
    const double s = st[2 * i + channel] + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
  return 2 * std::sqrt(std::max(0.0, power)) / double(to - from);
}

// A clean game state: no sounds, the back-end open on a pull device, global volume 1.
class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    soundList().clear();
    auto dev = std::make_unique<PullDevice>();
    device = dev.get();
    messages.clear();
    soundBackend().setMessageHandler([this](std::string_view m) { messages.emplace_back(m); });
    ASSERT_TRUE(soundBackend().OpenSound(std::move(dev)));
    soundBackend().SetGlobalVolume(1);
  }
  void TearDown() override {
    CloseSounds();
    soundList().clear();
    soundBackend().setMessageHandler(nullptr);
  }
  // Adds a sound with these bytes to the list and prepares it; its index.
  int addSound(std::vector<uint8_t> bytes, int kind, const std::string& type = ".wav") {
    auto s = std::make_unique<CSound>();
    s->kind = kind;
    s->fileType = type;
    s->data = std::move(bytes);
    PrepareSound(*s);
    soundList().items.push_back(std::move(s));
    soundList().names.push_back("snd" + std::to_string(soundList().count() - 1));
    return soundList().count() - 1;
  }
  CSound& sound(int i) { return *soundList().get(i); }

  PullDevice* device = nullptr;
  std::vector<std::string> messages;
};

}  // namespace qv::sound::testing

#include "code/builtin.h"
#include "code/errors.h"
#include "sound/builtins.h"

namespace qv::sound::testing {

// Calls a sound or CD built-in by name, as the interpreter would.
inline code::RValue Call(const char* name, std::vector<code::RValue> args = {}) {
  code::RValue result;
  for (code::BuiltinFamily family : {SoundFunctions(), CdFunctions()}) {
    for (const code::BuiltinFunction& f : family) {
      if (std::strcmp(f.name, name) == 0) {
        EXPECT_TRUE(f.argumentCount == code::kAnyArguments || f.argumentCount == static_cast<int>(args.size())) << name;
        code::BuiltinCall call{nullptr, nullptr, static_cast<int>(args.size()), args.data(), result};
        f.handler(call);
        return result;
      }
    }
  }
  ADD_FAILURE() << "no built-in " << name;
  return result;
}

// The last error reported by game code, cleared.
inline std::string TakeError() {
  std::string last = code::errorState().occurred ? code::errorState().last : std::string{};
  code::errorState().occurred = false;
  code::errorState().last.clear();
  return last;
}

}  // namespace qv::sound::testing
