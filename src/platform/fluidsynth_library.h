// FluidSynth, opened the first time a game plays a MIDI sound (platform/late_library). Linked in at
// start it would bring GLib, JACK, PulseAudio's simple API, readline and libinstpatch into every
// run of the runner and of qvscript. The functions the MIDI synthesizer calls are looked up once.
#pragma once

#include <fluidsynth.h>

namespace qv::platform {

#define QV_FLUIDSYNTH_FUNCTIONS(X)                                                                      \
  X(delete_fluid_player) X(delete_fluid_settings) X(delete_fluid_synth) X(fluid_player_add_mem)        \
  X(fluid_player_get_current_tick) X(fluid_player_get_status) X(fluid_player_get_total_ticks)         \
  X(fluid_player_play) X(fluid_player_set_loop) X(fluid_player_set_tempo) X(fluid_player_stop)        \
  X(fluid_set_log_function) X(fluid_settings_getnum) X(fluid_settings_setint) X(fluid_settings_setnum) \
  X(fluid_settings_setstr) X(fluid_synth_all_sounds_off) X(fluid_synth_sfload) X(fluid_synth_system_reset) \
  X(fluid_synth_write_float) X(new_fluid_player) X(new_fluid_settings) X(new_fluid_synth)

// The functions, each with the type its header gives it.
struct FluidSynthLibrary {
#define QV_FLUIDSYNTH_POINTER(name) decltype(&::name) name = nullptr;
  QV_FLUIDSYNTH_FUNCTIONS(QV_FLUIDSYNTH_POINTER)
#undef QV_FLUIDSYNTH_POINTER
};

// The library, opened on the first call; nullptr (on every call) when it or one of the functions
// cannot be found.
const FluidSynthLibrary* FluidSynth();

}  // namespace qv::platform
