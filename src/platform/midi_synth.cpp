#include "platform/midi_synth.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace qv::platform {
namespace {

void silenceFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    // FluidSynth reports notes it cannot voice and similar details on stderr; the game never sees them.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
  });
}

// A synthesizer with the sound font loaded: the costly part (tens of milliseconds), kept in a
// pool between songs.
struct LoadedSynth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  std::string font;

  void destroy() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
    synth = nullptr;
    settings = nullptr;
  }
};

// Idle synthesizers ready for the next song. A song's end returns its synthesizer here (on the
// audio thread, hence the lock); at most kMaxIdle wait, each a few megabytes of voice state.
class SynthPool {
 public:
  static constexpr size_t kMaxIdle = 8;

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
    fluid_synth_system_reset(s.synth);  // all notes off, controllers and programs to their defaults
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
    fluid_settings_getnum(s.settings, "synth.sample-rate", &rate);
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
  s.settings = new_fluid_settings();
  if (s.settings == nullptr) return std::nullopt;
  fluid_settings_setnum(s.settings, "synth.sample-rate", sampleRate);
  // The player advances with the samples rendered, not with a wall-clock thread: no threads,
  // and the song stays in step with the mix whatever the device does.
  fluid_settings_setstr(s.settings, "player.timing-source", "sample");
  fluid_settings_setint(s.settings, "synth.lock-memory", 0);
  fluid_settings_setint(s.settings, "synth.cpu-cores", 1);
  s.synth = new_fluid_synth(s.settings);
  if (s.synth == nullptr || fluid_synth_sfload(s.synth, font.c_str(), 1) == FLUID_FAILED) {
    s.destroy();
    return std::nullopt;
  }
  return s;
}

class FluidMidiSynth final : public MidiSynth {
 public:
  explicit FluidMidiSynth(LoadedSynth s) : loaded_(s) {}
  ~FluidMidiSynth() override {
    if (player_ != nullptr) {
      fluid_player_stop(player_);
      delete_fluid_player(player_);
    }
    pool().give(loaded_);
  }

  bool init(std::span<const uint8_t> midi, bool loop, double tempo) {
    player_ = new_fluid_player(loaded_.synth);
    if (player_ == nullptr) return false;
    if (fluid_player_add_mem(player_, midi.data(), midi.size()) != FLUID_OK) return false;
    loop_ = loop;
    fluid_player_set_loop(player_, loop ? -1 : 1);
    setTempo(tempo);
    return fluid_player_play(player_) == FLUID_OK;
  }

  void render(float* out, int frames) override {
    fluid_synth_write_float(loaded_.synth, frames, out, 0, 2, out, 1, 2);
  }

  void setTempo(double factor) override {
    fluid_player_set_tempo(player_, FLUID_PLAYER_TEMPO_INTERNAL, factor);
  }

  // The player reports itself done some seconds after the last event; the song is over when its
  // position reaches its length.
  bool finished() const override {
    if (fluid_player_get_status(player_) == FLUID_PLAYER_DONE) return true;
    const int total = fluid_player_get_total_ticks(player_);
    return !loop_ && total > 0 && fluid_player_get_current_tick(player_) >= total;
  }

 private:
  LoadedSynth loaded_;
  fluid_player_t* player_ = nullptr;
  bool loop_ = false;
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
