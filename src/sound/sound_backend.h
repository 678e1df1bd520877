// The sound back-end: the slot table over our own mixer, and the one multimedia player.
//
// A slot is what a prepared sound plays through: its decoded samples or MIDI song (the "music
// object") and its bus (the "audio path": volume, effects, pan, 3D placement). Slots of kinds 0
// (normal), 1 (background music) and 2 (3D) play on the mixer, any number at once; kind 3
// (multimedia) slots hold a file name for the multimedia player, which plays one file at a time.
//
// Units are those of the game's sound interface: volumes and pans in hundredths of a decibel
// with DirectSound's ranges, 3D values as 32-bit floats, tempo as a factor.
//
// Threading: game-thread calls and the audio thread's mixing share one lock; decoding and the
// start-up of MIDI synthesizers happen outside it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio_device.h"
#include "sound/effects.h"
#include "sound/mixer.h"
#include "sound/sound_stream.h"

namespace qv::sound {

inline constexpr int kKindNormal = 0;
inline constexpr int kKindBackground = 1;
inline constexpr int kKind3D = 2;
inline constexpr int kKindMultimedia = 3;

// Message texts of the back-end.
inline constexpr std::string_view kNoSoundDeviceMessage = "No sound device detected. Sounds might not play.";
inline constexpr std::string_view kFileNameTooLongMessage = "Music file name too long for player.";

// What the back-end holds for a slot, for tests and diagnostics.
struct SlotState {
  int kind = 0;
  int32_t volumeMb = 0;        // the path volume the last SetVolume asked for
  int32_t panMb = 0;
  std::vector<EffectKind> effects;
  Placement3D placement;
  size_t voices = 0;           // playing instances
  std::string fileName;        // multimedia slots
};

class SoundBackend final : public platform::AudioRenderer {
 public:
  SoundBackend();
  ~SoundBackend() override;

  // Where the back-end's messages go (a message box in the runner); by default stderr.
  void setMessageHandler(std::function<void(std::string_view)> handler);

  // Opens the device (SDL audio when none is given); on failure shows kNoSoundDeviceMessage and
  // answers false: every slot then becomes a multimedia slot.
  bool OpenSound(std::unique_ptr<platform::AudioDevice> device = nullptr);
  // Frees every slot, stops the multimedia player and closes the device.
  void CloseSound();
  bool hasPerformance() const { return device_ != nullptr; }
  // How long after the mixer renders a block it is heard (0 without a device).
  double outputLatencySeconds() const { return device_ ? device_->outputLatencySeconds() : 0; }

  int NewSlot(int kind);
  // A slot of `kind` holding the sound in `bytes`; -1 when it can only be played as multimedia.
  int LoadFromMemory(int kind, std::span<const uint8_t> bytes);
  // A slot for the file at `hostPath` (multimedia slots keep the path); -1 when it is missing.
  int LoadFromFile(int kind, const std::string& hostPath);
  void FreeSlot(int slot);

  void Play(int slot, bool loop);
  void Stop(int slot);
  void StopAll();
  bool IsPlaying(int slot);

  void SetVolume(int slot, double volume, int64_t durationMs);
  void SetPan(int slot, double pan);
  void SetEffects(int slot, int32_t bits);
  // Hands `apply` the first effect of the slot's chain; it answers false when the effect is of
  // another kind or refuses the values.
  bool SetFirstEffectParameters(int slot, const std::function<bool(Effect&)>& apply);

  void Set3DPosition(int slot, double x, double y, double z);
  void Set3DVelocity(int slot, double x, double y, double z);
  void Set3DDistance(int slot, double minDistance, double maxDistance);
  void Set3DCone(int slot, double x, double y, double z, double insideAngle, double outsideAngle, double outsideVolume);

  void SetGlobalVolume(double volume);
  // The player's own volume, above everything the game sets (its master volume and the multimedia
  // player alike): a linear gain, 1 leaves the game's mix as it is, 0 silences it.
  void SetPlayerGain(double gain);
  double playerGain() const { return playerGain_; }
  void SetTempo(double factor);
  void SetSearchDirectory(std::string directory);

  std::optional<SlotState> slotState(int slot) const;
  int32_t globalVolumeMb() const { return globalVolumeMb_; }
  float tempo() const { return tempo_; }
  const std::string& searchDirectory() const { return searchDirectory_; }
  // The multimedia player: the file it holds and whether it plays.
  std::string playerFileName() const;
  bool playerPlaying() const;

  // Streams of sound that arrive while they play (a video's sound), mixed apart from the
  // performance as the multimedia player is: no path or master volume, only the player's gain.
  // The back-end keeps a stream until it is removed or the sound closes.
  void AddStream(std::shared_ptr<SoundStream> stream);
  void RemoveStream(const SoundStream* stream);

  // Audio thread: mixes every bus, the multimedia player and the streams.
  void renderAudio(float* out, int frames) override;

 private:
  struct Slot {
    bool inUse = false;
    int kind = 0;
    SharedSamples samples;                                // sampled sound
    std::shared_ptr<const std::vector<uint8_t>> midi;     // MIDI song
    Bus bus;
    std::string fileName;
    int32_t requestedVolumeMb = 0;
  };
  struct Player {
    std::string fileName;
    Voice voice;
    bool active = false;
  };

  bool usable(int slot) const;  // caller holds the lock
  void showMessage(std::string_view text);

  mutable std::mutex lock_;
  std::unique_ptr<platform::AudioDevice> device_;
  std::vector<Slot> slots_;
  Player player_;
  std::vector<std::shared_ptr<SoundStream>> streams_;
  int32_t globalVolumeMb_ = 0;
  double playerGain_ = 1.0;
  float tempo_ = 1.0f;
  std::string searchDirectory_;
  std::function<void(std::string_view)> messageHandler_;
  std::vector<float> busBuffer_, scratch_;
};

// The runner's one back-end.
SoundBackend& soundBackend();

// Stereo float samples at the mixer rate from a decoded file (mono is doubled; of more channels
// the first two are kept; other rates are converted by a band-limited resampler; at most ten
// minutes).
std::vector<float> ToMixerFormat(const std::vector<float>& interleaved, int channels, int sampleRate);

}  // namespace qv::sound
