// Sections: conversions; opening and closing; slots and loading; playback; volume, pan and
// effects; 3D; globals; mixing.
#include "sound/sound_backend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "code/rounding.h"
#include "platform/resampler.h"
#include "platform/sound_decoder.h"
#include "sound/sound_format.h"

namespace qv::sound {
namespace {

// The longest sampled sound we decode: ten minutes at 48 kHz. Sound data is untrusted and the
// decoded form is about ten times the size of a compressed file; longer music belongs in a
// streamed format the game plays as multimedia.
constexpr size_t kMaxDecodedFrames = size_t{48000} * 60 * 10;
// The same ten minutes at the mixer's rate: a sound whose header claims a tiny rate is cut there
// rather than stretched without bound.
constexpr size_t kMaxMixerFrames = size_t{kMixRate} * 60 * 10;
// The converter that brings sounds to the mixer's rate, chosen by the aliasing of a swept tone
// and the cost of converting (docs/sound.md, "Sample-rate conversion").
constexpr platform::ResampleQuality kResampleQuality = platform::ResampleQuality::kSincMedium;
// The converter of a moving 3D sound's Doppler shift, run while it plays: the fastest sinc one
// (aliasing of a swept tone -102 dB or lower, at half the medium one's cost; docs/sound.md).
constexpr platform::ResampleQuality kDopplerQuality = platform::ResampleQuality::kSincFastest;
// Largest sound file read from disk, for the same reason.
constexpr size_t kMaxFileBytes = size_t{512} << 20;
// Instances of one sound playing at once: enough for rapid-fire effects, bounded so that a game
// that plays a sound every step cannot grow the mix without limit (the oldest makes room).
constexpr size_t kMaxVoicesPerSlot = 32;
// The multimedia player's file name buffer holds 127 characters and a terminator.
constexpr size_t kMaxPlayerFileName = 126;

int32_t clampMb(int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); }

// A sound the mixer plays: decoded samples or a checked MIDI song; neither when the data is
// something else or damaged.
struct LoadedSound {
  SharedSamples samples;
  std::shared_ptr<const std::vector<uint8_t>> midi;
  bool ok() const { return samples || midi; }
};

LoadedSound loadMixerSound(std::span<const uint8_t> bytes, bool anyFormat) {
  LoadedSound out;
  const auto smf = FindMidiData(bytes);
  if (!smf.empty()) {
    if (IsStandardMidiFile(smf) && !platform::MidiSoundFontPath().empty())
      out.midi = std::make_shared<const std::vector<uint8_t>>(smf.begin(), smf.end());
    return out;
  }
  // The mixer path takes complete wave files only; the multimedia player reads every format
  // libsndfile knows (and, like a media player, plays what there is of a wave cut short).
  if (!anyFormat && !IsCompleteWaveFile(bytes)) return out;
  if (auto pcm = platform::DecodeSoundData(bytes, kMaxDecodedFrames)) {
    out.samples = std::make_shared<const std::vector<float>>(ToMixerFormat(pcm->samples, pcm->channels, pcm->sampleRate));
  }
  return out;
}

Voice makeVoice(const SharedSamples& samples, std::unique_ptr<platform::MidiSynth> midi, bool loop) {
  Voice v;
  v.samples = samples;
  v.midi = std::move(midi);
  v.loop = loop;
  return v;
}

}  // namespace

// ---- conversions ----

std::vector<float> ToMixerFormat(const std::vector<float>& in, int channels, int sampleRate) {
  std::vector<float> stereo;
  if (channels <= 0 || sampleRate <= 0) return stereo;
  const size_t frames = in.size() / static_cast<size_t>(channels);
  const size_t second = channels > 1 ? 1 : 0;
  stereo.resize(2 * frames);
  for (size_t f = 0; f < frames; ++f) {
    stereo[2 * f] = in[f * static_cast<size_t>(channels)];
    stereo[2 * f + 1] = in[f * static_cast<size_t>(channels) + second];
  }
  if (sampleRate == kMixRate) return stereo;
  return platform::ResampleFrames(stereo, 2, sampleRate, kMixRate, kResampleQuality, kMaxMixerFrames);
}

// ---- opening and closing ----

SoundBackend::SoundBackend() = default;
SoundBackend::~SoundBackend() { CloseSound(); }

void SoundBackend::setMessageHandler(std::function<void(std::string_view)> handler) { messageHandler_ = std::move(handler); }

void SoundBackend::showMessage(std::string_view text) {
  if (messageHandler_) messageHandler_(text);
  else std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

bool SoundBackend::OpenSound(std::unique_ptr<platform::AudioDevice> device) {
  CloseSound();
  if (!device) device = platform::CreateSdlAudioDevice();
  if (!device->open(this, kMixRate)) {
    showMessage(kNoSoundDeviceMessage);
    return false;
  }
  std::lock_guard guard(lock_);
  device_ = std::move(device);
  return true;
}

void SoundBackend::CloseSound() {
  std::unique_ptr<platform::AudioDevice> device;
  {
    std::lock_guard guard(lock_);
    device = std::move(device_);
  }
  if (device) device->close();  // after this the audio thread no longer runs
  std::vector<Slot> slots;
  {
    std::lock_guard guard(lock_);
    slots.swap(slots_);
    player_ = Player{};
  }
}

// ---- slots and loading ----

bool SoundBackend::usable(int slot) const {
  return slot >= 0 && static_cast<size_t>(slot) < slots_.size() && slots_[static_cast<size_t>(slot)].inUse;
}

int SoundBackend::NewSlot(int kind) {
  std::lock_guard guard(lock_);
  if (!device_) kind = kKindMultimedia;
  size_t index = 0;
  while (index < slots_.size() && slots_[index].inUse) ++index;
  if (index == slots_.size()) slots_.emplace_back();
  Slot& s = slots_[index];
  s = Slot{};
  s.inUse = true;
  s.kind = kind;
  s.bus.is3D = kind == kKind3D;
  return static_cast<int>(index);
}

int SoundBackend::LoadFromMemory(int kind, std::span<const uint8_t> bytes) {
  const int slot = NewSlot(kind);
  LoadedSound loaded;
  {
    std::lock_guard guard(lock_);
    if (slots_[static_cast<size_t>(slot)].kind == kKindMultimedia) {
      slots_[static_cast<size_t>(slot)].inUse = false;
      return -1;
    }
  }
  loaded = loadMixerSound(bytes, false);
  if (loaded.midi) platform::WarmMidiSynths(kMixRate, 1);  // the first play starts at once
  std::lock_guard guard(lock_);
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (!loaded.ok()) {
    s = Slot{};  // failed: frees itself, the caller falls back to multimedia
    return -1;
  }
  s.samples = loaded.samples;
  s.midi = loaded.midi;
  return slot;
}

int SoundBackend::LoadFromFile(int kind, const std::string& hostPath) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(hostPath, ec)) return -1;
  int slot = NewSlot(kind);
  bool multimedia;
  {
    std::lock_guard guard(lock_);
    multimedia = slots_[static_cast<size_t>(slot)].kind == kKindMultimedia;
  }
  LoadedSound loaded;
  if (!multimedia) {
    if (auto bytes = platform::ReadHostFile(hostPath, kMaxFileBytes)) loaded = loadMixerSound(*bytes, false);
  }
  std::lock_guard guard(lock_);
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (!multimedia && loaded.ok()) {
    s.samples = loaded.samples;
    s.midi = loaded.midi;
  } else {
    s.kind = kKindMultimedia;
    s.bus.is3D = false;
    s.fileName = hostPath;
  }
  return slot;
}

void SoundBackend::FreeSlot(int slot) {
  Slot old;  // destroyed after the lock is released: synthesizers take a moment to tear down
  std::lock_guard guard(lock_);
  if (!usable(slot)) return;
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (s.kind == kKindMultimedia && player_.active && player_.fileName == s.fileName) player_.active = false;
  old = std::move(s);
  s = Slot{};
}

// ---- playback ----

void SoundBackend::Play(int slot, bool loop) {
  int kind;
  std::string fileName;
  SharedSamples samples;
  std::shared_ptr<const std::vector<uint8_t>> midi;
  float tempo;
  {
    std::lock_guard guard(lock_);
    if (!usable(slot)) return;
    const Slot& s = slots_[static_cast<size_t>(slot)];
    kind = s.kind;
    fileName = s.fileName;
    samples = s.samples;
    midi = s.midi;
    tempo = tempo_;
  }

  if (kind == kKindMultimedia) {
    if (fileName.size() > kMaxPlayerFileName) {
      showMessage(kFileNameTooLongMessage);
      return;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return;
    // Opening the file: any format the decoders read; a file they cannot read leaves the player
    // holding the name but silent, as a player that failed to open it.
    std::optional<Voice> voice;
    if (auto bytes = platform::ReadHostFile(fileName, kMaxFileBytes)) {
      LoadedSound loaded = loadMixerSound(*bytes, true);
      if (loaded.samples) voice = makeVoice(loaded.samples, nullptr, loop);
      else if (loaded.midi) {
        if (auto synth = platform::CreateMidiSynth(*loaded.midi, kMixRate, loop, 1.0)) voice = makeVoice(nullptr, std::move(synth), loop);
      }
    }
    Voice old;
    std::lock_guard guard(lock_);
    old = std::move(player_.voice);
    player_.fileName = fileName;
    player_.active = voice.has_value() && device_ != nullptr;
    if (player_.active) player_.voice = std::move(*voice);
    return;
  }

  std::unique_ptr<platform::MidiSynth> synth;
  if (midi) {
    synth = platform::CreateMidiSynth(*midi, kMixRate, loop, tempo);
    if (!synth) return;
  }
  std::unique_ptr<platform::StreamResampler> shifter;
  if (kind == kKind3D && samples) shifter = platform::CreateStreamResampler(2, kDopplerQuality);
  std::vector<Voice> stopped;
  std::lock_guard guard(lock_);
  if (!usable(slot) || slots_[static_cast<size_t>(slot)].midi != midi) return;  // freed meanwhile
  if (kind == kKindBackground) {
    // Background music is the one primary piece: a new one replaces whatever background plays.
    for (Slot& other : slots_) {
      if (other.inUse && other.kind == kKindBackground) {
        std::move(other.bus.voices.begin(), other.bus.voices.end(), std::back_inserter(stopped));
        other.bus.voices.clear();
      }
    }
  }
  Bus& bus = slots_[static_cast<size_t>(slot)].bus;
  if (bus.voices.size() >= kMaxVoicesPerSlot) {
    stopped.push_back(std::move(bus.voices.front()));
    bus.voices.erase(bus.voices.begin());
  }
  bus.voices.push_back(makeVoice(samples, std::move(synth), loop));
  bus.voices.back().shifter = std::move(shifter);
}

void SoundBackend::Stop(int slot) {
  std::vector<Voice> stopped;
  Voice playerVoice;
  std::lock_guard guard(lock_);
  if (!usable(slot)) return;
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (s.kind == kKindMultimedia) {
    if (player_.active && player_.fileName == s.fileName) {
      player_.active = false;
      playerVoice = std::move(player_.voice);
    }
    return;
  }
  stopped.swap(s.bus.voices);
}

void SoundBackend::StopAll() {
  int count;
  {
    std::lock_guard guard(lock_);
    count = static_cast<int>(slots_.size());
  }
  for (int i = 0; i < count; ++i) Stop(i);
}

bool SoundBackend::IsPlaying(int slot) {
  std::lock_guard guard(lock_);
  if (!usable(slot)) return false;
  const Slot& s = slots_[static_cast<size_t>(slot)];
  if (s.kind == kKindMultimedia) return player_.active && player_.fileName == s.fileName;
  return std::any_of(s.bus.voices.begin(), s.bus.voices.end(), [](const Voice& v) { return !v.ended; });
}

// ---- volume, pan and effects ----

void SoundBackend::SetVolume(int slot, double volume, int64_t durationMs) {
  std::lock_guard guard(lock_);
  if (!usable(slot)) return;
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (s.kind == kKindMultimedia) return;
  // round(v * 9600) - 9600 hundredths of a decibel, within DirectSound's -10000 (silence) to 0.
  const int64_t rounded = code::roundToInt64(volume * 9600.0);
  const int32_t mb = rounded == code::kIndefiniteInteger ? -10000 : clampMb(rounded - 9600, -10000, 0);
  s.requestedVolumeMb = mb;
  Bus& bus = s.bus;
  bus.targetMb = mb;
  const int64_t frames = durationMs > 0 ? durationMs * kMixRate / 1000 : 0;
  if (frames <= 0) {
    bus.volumeMb = mb;
    bus.rampFrames = 0;
  } else {
    bus.rampFrames = frames;
    bus.stepMb = (mb - bus.volumeMb) / static_cast<double>(frames);
  }
}

void SoundBackend::SetPan(int slot, double pan) {
  std::lock_guard guard(lock_);
  if (!usable(slot) || slots_[static_cast<size_t>(slot)].kind == kKindMultimedia) return;
  const int64_t rounded = code::roundToInt64(pan * 10000.0);
  slots_[static_cast<size_t>(slot)].bus.panMb = rounded == code::kIndefiniteInteger ? 0 : clampMb(rounded, -10000, 10000);
}

void SoundBackend::SetEffects(int slot, int32_t bits) {
  {
    std::lock_guard guard(lock_);
    if (!usable(slot) || slots_[static_cast<size_t>(slot)].kind == kKindMultimedia) return;
  }
  auto chain = bits == 0 ? std::vector<std::unique_ptr<Effect>>{} : BuildEffectChain(bits, kMixRate);
  std::lock_guard guard(lock_);
  if (!usable(slot)) return;
  slots_[static_cast<size_t>(slot)].bus.effects.swap(chain);
}

bool SoundBackend::SetFirstEffectParameters(int slot, const std::function<bool(Effect&)>& apply) {
  std::lock_guard guard(lock_);
  if (!usable(slot)) return false;
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (s.kind == kKindMultimedia || s.bus.effects.empty()) return false;
  return apply(*s.bus.effects.front());
}

// ---- 3D ----

void SoundBackend::Set3DPosition(int slot, double x, double y, double z) {
  std::lock_guard guard(lock_);
  if (!usable(slot) || slots_[static_cast<size_t>(slot)].kind != kKind3D) return;
  auto& p = slots_[static_cast<size_t>(slot)].bus.placement;
  p.position[0] = static_cast<float>(x);
  p.position[1] = static_cast<float>(y);
  p.position[2] = static_cast<float>(z);
}

void SoundBackend::Set3DVelocity(int slot, double x, double y, double z) {
  std::lock_guard guard(lock_);
  if (!usable(slot) || slots_[static_cast<size_t>(slot)].kind != kKind3D) return;
  auto& p = slots_[static_cast<size_t>(slot)].bus.placement;
  p.velocity[0] = static_cast<float>(x);
  p.velocity[1] = static_cast<float>(y);
  p.velocity[2] = static_cast<float>(z);
}

void SoundBackend::Set3DDistance(int slot, double minDistance, double maxDistance) {
  std::lock_guard guard(lock_);
  if (!usable(slot) || slots_[static_cast<size_t>(slot)].kind != kKind3D) return;
  auto& p = slots_[static_cast<size_t>(slot)].bus.placement;
  p.minDistance = minDistance < 0 ? 0.0f : static_cast<float>(minDistance);
  p.maxDistance = static_cast<float>(maxDistance);
}

void SoundBackend::Set3DCone(int slot, double x, double y, double z, double insideAngle, double outsideAngle,
                             double outsideVolume) {
  std::lock_guard guard(lock_);
  if (!usable(slot) || slots_[static_cast<size_t>(slot)].kind != kKind3D) return;
  auto& p = slots_[static_cast<size_t>(slot)].bus.placement;
  p.coneOrientation[0] = static_cast<float>(x);
  p.coneOrientation[1] = static_cast<float>(y);
  p.coneOrientation[2] = static_cast<float>(z);
  p.insideConeAngle = code::roundToInt32(insideAngle);
  p.outsideConeAngle = code::roundToInt32(outsideAngle);
  const int64_t rounded = code::roundToInt64(outsideVolume * 10000.0 - 10000.0);
  p.coneOutsideVolume = rounded == code::kIndefiniteInteger ? -10000 : clampMb(rounded, -10000, 0);
}

// ---- globals ----

void SoundBackend::SetGlobalVolume(double volume) {
  std::lock_guard guard(lock_);
  const int64_t rounded = code::roundToInt64(11000.0 * volume - 10000.0);
  globalVolumeMb_ = rounded == code::kIndefiniteInteger ? -10000 : clampMb(rounded, -10000, 1000);
}

void SoundBackend::SetPlayerGain(double gain) {
  std::lock_guard guard(lock_);
  playerGain_ = std::isfinite(gain) ? std::clamp(gain, 0.0, 1.0) : 1.0;
}

void SoundBackend::SetTempo(double factor) {
  std::lock_guard guard(lock_);
  auto f = static_cast<float>(factor);
  if (!(f >= 0.01f)) f = 0.01f;  // also NaN
  if (f > 100.0f) f = 100.0f;
  tempo_ = f;
  for (Slot& s : slots_) {
    for (Voice& v : s.bus.voices) {
      if (v.midi) v.midi->setTempo(f);
    }
  }
}

void SoundBackend::SetSearchDirectory(std::string directory) {
  std::lock_guard guard(lock_);
  searchDirectory_ = std::move(directory);
}

std::optional<SlotState> SoundBackend::slotState(int slot) const {
  std::lock_guard guard(lock_);
  if (!usable(slot)) return std::nullopt;
  const Slot& s = slots_[static_cast<size_t>(slot)];
  SlotState st;
  st.kind = s.kind;
  st.volumeMb = s.requestedVolumeMb;
  st.panMb = s.bus.panMb;
  for (const auto& e : s.bus.effects) st.effects.push_back(e->kind());
  st.placement = s.bus.placement;
  st.voices = s.bus.voices.size();
  st.fileName = s.fileName;
  return st;
}

std::string SoundBackend::playerFileName() const {
  std::lock_guard guard(lock_);
  return player_.fileName;
}

bool SoundBackend::playerPlaying() const {
  std::lock_guard guard(lock_);
  return player_.active;
}

// ---- mixing ----

void SoundBackend::renderAudio(float* out, int frames) {
  std::lock_guard guard(lock_);
  std::fill(out, out + 2 * static_cast<size_t>(frames), 0.0f);
  // The performance's master volume: +1000 (the level a game sets at start) is unity, so the
  // default mix does not clip; lower settings attenuate from there.
  const double master = MillibelToGain(globalVolumeMb_ - 1000.0);
  for (Slot& s : slots_) {
    if (!s.inUse) continue;
    if (s.bus.audible()) s.bus.mixInto(out, frames, master, busBuffer_, scratch_);
    else s.bus.advanceVolume(frames);
  }
  if (player_.active) {
    // The multimedia player is apart from the performance: no path volume, effects or master.
    if (scratch_.size() < 2 * static_cast<size_t>(frames)) scratch_.resize(2 * static_cast<size_t>(frames));
    player_.voice.mixInto(out, scratch_.data(), frames);
    if (player_.voice.ended) player_.active = false;
  }
  const auto gain = static_cast<float>(playerGain_);
  for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i] * gain, -1.0f, 1.0f);
}

SoundBackend& soundBackend() {
  static SoundBackend backend;
  return backend;
}

}  // namespace qv::sound
