// The audio output device: one stereo stream of 32-bit floats that pulls its samples from a
// renderer on the device's own thread.
//
// Back-ends: SDL2 audio (any SDL driver, including the headless "dummy" and "disk" drivers) and a
// null device that opens nothing and never calls the renderer. The renderer must guard the state
// it shares with the game thread itself (the mixer holds its own lock).
#pragma once

#include <memory>

namespace qv::platform {

// Called on the audio thread for every block the device needs: writes `frames` stereo frames
// (interleaved left, right) into `out`.
class AudioRenderer {
 public:
  virtual ~AudioRenderer() = default;
  virtual void renderAudio(float* out, int frames) = 0;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Opens the device at `sampleRate` and starts pulling from `renderer`; false when no device.
  virtual bool open(AudioRenderer* renderer, int sampleRate) = 0;
  // Stops the stream; afterwards the renderer is never called again.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // How long after the renderer fills a block it is heard: the device's buffer, in seconds.
  virtual double outputLatencySeconds() const { return 0; }
};

// SDL2 audio on the driver named by SDL_AUDIODRIVER (or SDL's default choice).
std::unique_ptr<AudioDevice> CreateSdlAudioDevice();
// A device that never opens: the runner then has no sound device.
std::unique_ptr<AudioDevice> CreateNullAudioDevice();

}  // namespace qv::platform
