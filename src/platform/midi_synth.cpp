#include "platform/midi_synth.h"

#include "platform/fluidsynth_library.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace qv::platform {
namespace {

// The library's functions; only called once CreateMidiSynth or WarmMidiSynths has found them.
const FluidSynthLibrary& fluid() { return *FluidSynth(); }

void silenceFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    // FluidSynth reports notes it cannot voice and similar details on stderr; the game never sees them.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid().fluid_set_log_function(level, nullptr, nullptr);
  });
}

// The synthesizer's output gain. 1 passes every voice at the level its instrument sample, the
// sound font's attenuation and the MIDI velocity and volume curves give it, with no headroom of the
// synthesizer's own, as the General MIDI (DLS) synthesizers of the games' era played a note next to
// a wave file. FluidSynth's default of 0.2 (-14 dB) left MIDI music far below sampled sound.
// docs/sound.md gives the measured levels.
constexpr double kSynthGain = 1.0;

// A synthesizer with the sound font loaded: the costly part (tens of milliseconds), kept in a
// pool between songs.
struct LoadedSynth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  std::string font;

  void destroy() {
    if (synth != nullptr) fluid().delete_fluid_synth(synth);
    if (settings != nullptr) fluid().delete_fluid_settings(settings);
    synth = nullptr;
    settings = nullptr;
  }
};

// Idle synthesizers ready for the next song. A song's end returns its synthesizer here (on the
// audio thread, hence the lock); at most kMaxIdle wait, each a few megabytes of voice state.
class SynthPool {
 public:
  static constexpr size_t kMaxIdle = 8;
  static constexpr int kFlushFrames = 64;  // one of the synthesizer's own blocks

  std::optional<LoadedSynth> take(int sampleRate, const std::string& font) {
    std::lock_guard guard(lock_);
    for (auto it = idle_.begin(); it != idle_.end(); ++it) {
      if (it->font == font && rateOf(*it) == sampleRate) {
        LoadedSynth s = *it;
        idle_.erase(it);
        return s;
      }
    }
    return std::nullopt;
  }

  void give(LoadedSynth s) {
    // Controllers and programs to their defaults, then every voice off at once (in this order: a
    // reset after the sounds-off leaves the voices sounding). The synthesizer applies both when it
    // next renders, so one block is rendered here; otherwise the next song taking it would begin
    // with the tail of this one's notes.
    fluid().fluid_synth_system_reset(s.synth);
    fluid().fluid_synth_all_sounds_off(s.synth, -1);
    float flush[2 * kFlushFrames];
    fluid().fluid_synth_write_float(s.synth, kFlushFrames, flush, 0, 2, flush, 1, 2);
    {
      std::lock_guard guard(lock_);
      if (idle_.size() < kMaxIdle) {
        idle_.push_back(s);
        return;
      }
    }
    s.destroy();
  }

 private:
  static int rateOf(const LoadedSynth& s) {
    double rate = 0;
    fluid().fluid_settings_getnum(s.settings, "synth.sample-rate", &rate);
    return static_cast<int>(rate);
  }
  std::mutex lock_;
  std::vector<LoadedSynth> idle_;
};

SynthPool& pool() {
  static SynthPool* p = new SynthPool;  // never destroyed: songs may end during static teardown
  return *p;
}

std::optional<LoadedSynth> loadSynth(int sampleRate, const std::string& font) {
  if (auto s = pool().take(sampleRate, font)) return s;
  LoadedSynth s;
  s.font = font;
  s.settings = fluid().new_fluid_settings();
  if (s.settings == nullptr) return std::nullopt;
  fluid().fluid_settings_setnum(s.settings, "synth.sample-rate", sampleRate);
  fluid().fluid_settings_setnum(s.settings, "synth.gain", kSynthGain);
  // A MIDI sound plays on a plain stereo path, which has no reverb or chorus unit for the notes'
  // effect sends: a game adds reverb or chorus through the sound's effects, as for a wave.
  fluid().fluid_settings_setint(s.settings, "synth.reverb.active", 0);
  fluid().fluid_settings_setint(s.settings, "synth.chorus.active", 0);
  // The player advances with the samples rendered, not with a wall-clock thread: no threads,
  // and the song stays in step with the mix whatever the device does.
  fluid().fluid_settings_setstr(s.settings, "player.timing-source", "sample");
  fluid().fluid_settings_setint(s.settings, "synth.lock-memory", 0);
  fluid().fluid_settings_setint(s.settings, "synth.cpu-cores", 1);
  s.synth = fluid().new_fluid_synth(s.settings);
  if (s.synth == nullptr || fluid().fluid_synth_sfload(s.synth, font.c_str(), 1) == FLUID_FAILED) {
    s.destroy();
    return std::nullopt;
  }
  return s;
}

// FluidSynth's own looping is not used: when a song ends at once (a header and an empty track), its
// player reloads the song again and again inside one block and never returns, holding the audio
// thread and the sound lock. A looping song is restarted here instead, at most once for each
// piece of kLoopPiece frames; a song with no length plays on silently.
class FluidMidiSynth final : public MidiSynth {
 public:
  explicit FluidMidiSynth(LoadedSynth s) : loaded_(s) {}
  ~FluidMidiSynth() override {
    dropPlayer();
    pool().give(loaded_);
  }

  bool init(std::span<const uint8_t> midi, bool loop, double tempo) {
    loop_ = loop;
    tempo_ = tempo;
    if (loop) song_.assign(midi.begin(), midi.end());  // kept for the restarts
    return startPlayer(midi);
  }

  void render(float* out, int frames) override {
    if (!loop_) {
      fluid().fluid_synth_write_float(loaded_.synth, frames, out, 0, 2, out, 1, 2);
      return;
    }
    for (int done = 0; done < frames;) {
      if (reachedEnd() && !startPlayer(song_)) dropPlayer();
      const int n = std::min(kLoopPiece, frames - done);
      fluid().fluid_synth_write_float(loaded_.synth, n, out + 2 * done, 0, 2, out + 2 * done, 1, 2);
      done += n;
    }
  }

  void setTempo(double factor) override {
    tempo_ = factor;
    if (player_ != nullptr) fluid().fluid_player_set_tempo(player_, FLUID_PLAYER_TEMPO_INTERNAL, factor);
  }

  // The player reports itself done some seconds after the last event; the song is over when its
  // position reaches its length. A looping song is over only when its player could not be made.
  bool finished() const override {
    if (player_ == nullptr) return true;
    if (fluid().fluid_player_get_status(player_) == FLUID_PLAYER_DONE) return true;
    return !loop_ && reachedEnd();
  }

 private:
  // The synthesizer's sample timer moves the player on every 64 frames; a loop restarts within
  // one such piece of the song's end.
  static constexpr int kLoopPiece = 64;

  bool reachedEnd() const {
    if (player_ == nullptr) return false;
    const int total = fluid().fluid_player_get_total_ticks(player_);
    return total > 0 && fluid().fluid_player_get_current_tick(player_) >= total;
  }

  bool startPlayer(std::span<const uint8_t> midi) {
    dropPlayer();
    player_ = fluid().new_fluid_player(loaded_.synth);
    if (player_ == nullptr) return false;
    if (fluid().fluid_player_add_mem(player_, midi.data(), midi.size()) != FLUID_OK) return false;
    fluid().fluid_player_set_loop(player_, 1);
    fluid().fluid_player_set_tempo(player_, FLUID_PLAYER_TEMPO_INTERNAL, tempo_);
    return fluid().fluid_player_play(player_) == FLUID_OK;
  }

  void dropPlayer() {
    if (player_ == nullptr) return;
    fluid().fluid_player_stop(player_);
    fluid().delete_fluid_player(player_);
    player_ = nullptr;
  }

  LoadedSynth loaded_;
  fluid_player_t* player_ = nullptr;
  bool loop_ = false;
  double tempo_ = 1.0;
  std::vector<uint8_t> song_;
};

}  // namespace

std::string MidiSoundFontPath() {
  if (const char* env = std::getenv("QUORVANE_SOUNDFONT"); env != nullptr && *env != '\0') return env;
  for (const char* candidate : {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                                "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
    std::error_code ec;
    if (std::filesystem::exists(candidate, ec)) return candidate;
  }
  return {};
}

std::unique_ptr<MidiSynth> CreateMidiSynth(std::span<const uint8_t> midi, int sampleRate, bool loop, double tempo) {
  if (!FluidSynth()) return nullptr;  // FluidSynth is not installed: MIDI sounds stay silent
  silenceFluidLog();
  const std::string font = MidiSoundFontPath();
  if (font.empty() || midi.empty()) return nullptr;
  auto loaded = loadSynth(sampleRate, font);
  if (!loaded) return nullptr;
  auto synth = std::make_unique<FluidMidiSynth>(*loaded);
  if (!synth->init(midi, loop, tempo)) return nullptr;
  return synth;
}

void WarmMidiSynths(int sampleRate, size_t count) {
  if (!FluidSynth()) return;
  silenceFluidLog();
  const std::string font = MidiSoundFontPath();
  if (font.empty()) return;
  std::vector<LoadedSynth> made;
  for (size_t i = 0; i < count; ++i) {
    auto s = pool().take(sampleRate, font);
    if (!s) s = loadSynth(sampleRate, font);
    if (!s) break;
    made.push_back(*s);
  }
  for (auto& s : made) pool().give(s);
}

}  // namespace qv::platform
