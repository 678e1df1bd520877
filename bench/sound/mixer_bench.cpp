// The mixer's cost per second of audio: 32 sounds playing at once, as a fraction of real time
// (the counter "realtime_fraction": 0.05 means one second of audio takes 50 ms to mix).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "platform/audio_device.h"
#include "sound/effects.h"
#include "sound/sound_backend.h"

namespace {

using namespace qv::sound;

// A device that mixes only when the benchmark pulls.
class PullDevice final : public qv::platform::AudioDevice {
 public:
  bool open(qv::platform::AudioRenderer* r, int) override {
    renderer = r;
    return true;
  }
  void close() override { renderer = nullptr; }
  bool isOpen() const override { return renderer != nullptr; }
  qv::platform::AudioRenderer* renderer = nullptr;
};

void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void tag(std::vector<uint8_t>& b, const char* t) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
}

// One second of a mono 16-bit tone as a wave file.
std::vector<uint8_t> toneWav(double hz) {
  const uint32_t n = kMixRate;
  std::vector<uint8_t> b;
  tag(b, "RIFF");
  put32(b, 36 + 2 * n);
  tag(b, "WAVE");
  tag(b, "fmt ");
  put32(b, 16);
  put16(b, 1);
  put16(b, 1);
  put32(b, kMixRate);
  put32(b, 2 * kMixRate);
  put16(b, 2);
  put16(b, 16);
  tag(b, "data");
  put32(b, 2 * n);
  for (uint32_t i = 0; i < n; ++i)
    put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(3000 * std::sin(2 * M_PI * hz * i / kMixRate)))));
  return b;
}

std::vector<uint8_t> midiSong() {
  // Four notes repeating on piano, eight beats.
  std::vector<uint8_t> track = {0x00, 0xC0, 0x00};
  for (int beat = 0; beat < 8; ++beat) {
    const uint8_t note = static_cast<uint8_t>(60 + (beat % 4) * 4);
    for (uint8_t v : {uint8_t{0x00}, uint8_t{0x90}, note, uint8_t{90}, uint8_t{0x60}, uint8_t{0x80}, note, uint8_t{0}}) track.push_back(v);
  }
  for (uint8_t v : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(v);
  std::vector<uint8_t> b;
  tag(b, "MThd");
  for (uint8_t v : {0, 0, 0, 6, 0, 0, 0, 1, 0, 96}) b.push_back(v);
  tag(b, "MTrk");
  const auto n = static_cast<uint32_t>(track.size());
  for (int shift : {24, 16, 8, 0}) b.push_back(static_cast<uint8_t>(n >> shift));
  b.insert(b.end(), track.begin(), track.end());
  return b;
}

constexpr int kSounds = 32;
constexpr int kBlock = 1024;

// Mixes one second of audio per iteration with `kSounds` sounds looping.
// `moving`: every sound is 3D and moves, so each voice reads through its Doppler converter.
void mixSecond(benchmark::State& state, int32_t effects, bool midi, bool moving = false) {
  SoundBackend backend;
  auto device = std::make_unique<PullDevice>();
  PullDevice* dev = device.get();
  backend.OpenSound(std::move(device));
  backend.SetGlobalVolume(1);
  const auto song = midiSong();
  for (int i = 0; i < kSounds; ++i) {
    const int kind = moving || i % 4 == 3 ? kKind3D : kKindNormal;
    const int slot = midi ? backend.LoadFromMemory(kind, song) : backend.LoadFromMemory(kind, toneWav(200 + 37 * i));
    if (slot < 0) {
      state.SkipWithError("sound did not load");
      return;
    }
    backend.SetEffects(slot, effects);
    backend.SetPan(slot, (i % 5 - 2) / 2.0);
    backend.Set3DPosition(slot, i % 7 - 3, 0, 2);
    if (moving) backend.Set3DVelocity(slot, 0, 0, 5 + i);
    backend.Play(slot, true);
  }
  std::vector<float> out(2 * kBlock);
  for (auto _ : state) {
    for (int done = 0; done < kMixRate; done += kBlock) dev->renderer->renderAudio(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  // Wall seconds per audio second.
  state.counters["realtime_fraction"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  backend.CloseSound();
}

void BM_Mix32Sounds_NoEffects(benchmark::State& s) { mixSecond(s, 0, false); }
void BM_Mix32Sounds_AllEffects(benchmark::State& s) { mixSecond(s, 511, false); }
void BM_Mix32Midi_AllEffects(benchmark::State& s) { mixSecond(s, 511, true); }
void BM_Mix32Sounds_AllMoving3D(benchmark::State& s) { mixSecond(s, 0, false, true); }

BENCHMARK(BM_Mix32Sounds_NoEffects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32Sounds_AllEffects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32Midi_AllEffects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32Sounds_AllMoving3D)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
