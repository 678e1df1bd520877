#include "platform/audio_device.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace qv::platform {
namespace {

// While an audio device opens, the sound libraries below SDL (ALSA, JACK, PulseAudio clients, SDL's
// own disk driver) write their diagnostics straight to the process's stderr: on a machine without a
// sound card ALSA alone prints a screen of lines. The player hears about a missing device once, in
// the game's own message; everything written to stderr meanwhile goes to /dev/null. Opening
// happens on the game thread at start, when nothing else of ours writes to stderr.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

// Samples per device block: about 23 ms at 44.1 kHz, short enough for game sounds to start
// promptly, long enough that the mixer's per-block cost stays small.
constexpr int kBlockFrames = 1024;

class SdlAudioDevice final : public AudioDevice {
 public:
  ~SdlAudioDevice() override { close(); }

  bool open(AudioRenderer* renderer, int sampleRate) override {
    close();
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    renderer_ = renderer;
    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBlockFrames;
    want.callback = &SdlAudioDevice::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants, so the mixer always sees
    // stereo floats at its own rate.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      renderer_ = nullptr;
      return false;
    }
    latency_ = have.freq > 0 ? static_cast<double>(have.samples) / have.freq : 0;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void close() override {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);  // waits for a running callback to return
    device_ = 0;
    renderer_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool isOpen() const override { return device_ != 0; }
  double outputLatencySeconds() const override { return device_ != 0 ? latency_ : 0; }

 private:
  static void SDLCALL callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioDevice*>(userdata);
    const int frames = len / static_cast<int>(2 * sizeof(float));
    self->renderer_->renderAudio(reinterpret_cast<float*>(stream), frames);
  }

  SDL_AudioDeviceID device_ = 0;
  AudioRenderer* renderer_ = nullptr;
  double latency_ = 0;
};

class NullAudioDevice final : public AudioDevice {
 public:
  bool open(AudioRenderer*, int) override { return false; }
  void close() override {}
  bool isOpen() const override { return false; }
};

}  // namespace

std::unique_ptr<AudioDevice> CreateSdlAudioDevice() { return std::make_unique<SdlAudioDevice>(); }
std::unique_ptr<AudioDevice> CreateNullAudioDevice() { return std::make_unique<NullAudioDevice>(); }

}  // namespace qv::platform
