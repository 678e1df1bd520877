// Fuzz entry for sounds as they play: the input's first four bytes choose how (kind, looping,
// effects, tempo and the path: the mixer from memory or the multimedia player from a file), the
// rest is the sound file. The sound is loaded through the real back-end, played and mixed for some
// blocks on the calling thread, as the audio thread would; MIDI songs go through the synthesizer,
// other formats through the decoders. Every block must come back: a song that never advances, a
// loop of nothing or a damaged file may not hold the mixer.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/stream.h"
#include "platform/audio_device.h"
#include "sound/sound.h"
#include "sound/sound_backend.h"

namespace {

// A device that mixes only when asked, on the caller's thread.
class PullDevice final : public qv::platform::AudioDevice {
 public:
  bool open(qv::platform::AudioRenderer* r, int) override {
    renderer_ = r;
    return true;
  }
  void close() override { renderer_ = nullptr; }
  bool isOpen() const override { return renderer_ != nullptr; }
  void pull(int blocks) {
    std::vector<float> out(2 * 1024);
    for (int i = 0; i < blocks && renderer_; ++i) renderer_->renderAudio(out.data(), 1024);
  }

 private:
  qv::platform::AudioRenderer* renderer_ = nullptr;
};

struct Mixer {
  qv::sound::SoundBackend backend;
  PullDevice* device = nullptr;
  Mixer() {
    backend.setMessageHandler([](std::string_view) {});
    auto d = std::make_unique<PullDevice>();
    device = d.get();
    backend.OpenSound(std::move(d));
  }
};

Mixer& mixer() {
  static Mixer* m = new Mixer;  // kept for the whole run: the synthesizers stay pooled
  return *m;
}

const std::string& filePath() {
  static const std::string path = "/tmp/qv_fuzz_sound_mix_" + std::to_string(getpid()) + ".snd";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  Mixer& m = mixer();
  const uint8_t how = data[0], effects = data[1], tempo = data[2], blocks = data[3];
  const std::span<const uint8_t> bytes(data + 4, size - 4);
  const bool loop = (how & 1) != 0;
  const bool fromFile = (how & 2) != 0;
  const int kind = (how >> 2) % 3;  // normal, background or 3D
  m.backend.SetTempo(0.25 + tempo / 32.0);

  int slot = -1;
  if (fromFile) {
    qv::data::CStream(std::vector<uint8_t>(bytes.begin(), bytes.end())).SaveToFile(filePath());
    slot = m.backend.LoadFromFile((how & 4) != 0 ? qv::sound::kKindMultimedia : kind, filePath());
  } else {
    slot = m.backend.LoadFromMemory(kind, bytes);
  }
  if (slot < 0) return 0;
  m.backend.SetEffects(slot, effects);
  m.backend.SetVolume(slot, 0.5, (how & 8) != 0 ? 100 : 0);
  if (kind == qv::sound::kKind3D) m.backend.Set3DVelocity(slot, 100, 0, 50);
  m.backend.Play(slot, loop);
  m.device->pull(4 + blocks % 16);
  m.backend.Stop(slot);
  m.device->pull(1);
  m.backend.FreeSlot(slot);
  return 0;
}
