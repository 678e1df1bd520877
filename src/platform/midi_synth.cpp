#include "platform/midi_synth.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace qv::platform {
namespace {

void silenceFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    // FluidSynth reports notes it cannot voice and similar details on stderr; the game never sees them.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
  });
}

class FluidMidiSynth final : public MidiSynth {
 public:
  ~FluidMidiSynth() override {
    if (player_ != nullptr) {
      fluid_player_stop(player_);
      delete_fluid_player(player_);
    }
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
  }

  bool init(std::span<const uint8_t> midi, int sampleRate, bool loop, double tempo, const std::string& font) {
    settings_ = new_fluid_settings();
    if (settings_ == nullptr) return false;
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    // The player advances with the samples rendered, not with a wall-clock thread: no threads,
    // and the song stays in step with the mix whatever the device does.
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) return false;
    if (fluid_synth_sfload(synth_, font.c_str(), 1) == FLUID_FAILED) return false;
    player_ = new_fluid_player(synth_);
    if (player_ == nullptr) return false;
    if (fluid_player_add_mem(player_, midi.data(), midi.size()) != FLUID_OK) return false;
    loop_ = loop;
    fluid_player_set_loop(player_, loop ? -1 : 1);
    setTempo(tempo);
    return fluid_player_play(player_) == FLUID_OK;
  }

  void render(float* out, int frames) override {
    fluid_synth_write_float(synth_, frames, out, 0, 2, out, 1, 2);
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
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
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
  auto synth = std::make_unique<FluidMidiSynth>();
  if (!synth->init(midi, sampleRate, loop, tempo, font)) return nullptr;
  return synth;
}

}  // namespace qv::platform
