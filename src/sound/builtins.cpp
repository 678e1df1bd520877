// The sound_* functions. A function that names a sound (marked "needs a sound" below) reports
// "Sound does not exist." when the index holds none and then does nothing; playback functions
// prepare an unprepared sound first.
#include "sound/builtins.h"

#include "code/errors.h"
#include "code/registry.h"
#include "sound/sound.h"
#include "sound/sound_backend.h"

namespace qv::sound {
namespace {

using code::BuiltinCall;

constexpr std::string_view kNoSound = "Sound does not exist.";

CSound* soundArg(const BuiltinCall& c, int i) { return soundList().get(code::roundToInt64(c.real(i))); }

// The sound named by argument 0, reporting the error when there is none.
CSound* needSound(const BuiltinCall& c) {
  CSound* s = soundArg(c, 0);
  if (s == nullptr) code::ReportActionError(kNoSound);
  return s;
}

// Its back-end slot, preparing the sound when it is not prepared; -1 when it cannot be.
int slotOf(CSound& s) { return SoundSlot(s); }

float f32(const BuiltinCall& c, int i) { return static_cast<float>(c.real(i)); }

// ---- playback ----

void sound_play(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().Play(slotOf(*s), false);
}
void sound_loop(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().Play(slotOf(*s), true);
}
void sound_stop(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().Stop(slotOf(*s));
}
void sound_stop_all(BuiltinCall&) { soundBackend().StopAll(); }
void sound_isplaying(BuiltinCall& c) {
  if (CSound* s = needSound(c)) c.result.setReal(code::truthValue(soundBackend().IsPlaying(slotOf(*s))));
}

// ---- volume, pan, globals ----

void sound_volume(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().SetVolume(slotOf(*s), c.real(1), 0);
}
void sound_fade(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().SetVolume(slotOf(*s), c.real(1), code::roundToInt64(c.real(2)));
}
void sound_pan(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().SetPan(slotOf(*s), c.real(1));
}
void sound_background_tempo(BuiltinCall& c) { soundBackend().SetTempo(c.real(0)); }
void sound_global_volume(BuiltinCall& c) { soundBackend().SetGlobalVolume(c.real(0)); }
void sound_set_search_directory(BuiltinCall& c) { soundBackend().SetSearchDirectory(MapGamePath(c.string(0))); }

// ---- effects ----

void sound_effect_set(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().SetEffects(slotOf(*s), c.integer(1));
}

// Hands the parameter record to the first effect of the sound's chain.
template <typename Params>
void setEffect(BuiltinCall& c, bool (*setter)(Effect&, const Params&), const Params& p) {
  if (CSound* s = needSound(c)) soundBackend().SetFirstEffectParameters(slotOf(*s), [&](Effect& e) { return setter(e, p); });
}

void sound_effect_chorus(BuiltinCall& c) {
  setEffect(c, SetChorusParameters, ChorusParameters{f32(c, 1), f32(c, 2), f32(c, 3), f32(c, 4), c.integer(5), f32(c, 6), c.integer(7)});
}
void sound_effect_echo(BuiltinCall& c) {
  setEffect(c, SetEchoParameters, EchoParameters{f32(c, 1), f32(c, 2), f32(c, 3), f32(c, 4), c.integer(5)});
}
void sound_effect_flanger(BuiltinCall& c) {
  setEffect(c, SetFlangerParameters, FlangerParameters{f32(c, 1), f32(c, 2), f32(c, 3), f32(c, 4), c.integer(5), f32(c, 6), c.integer(7)});
}
void sound_effect_gargle(BuiltinCall& c) { setEffect(c, SetGargleParameters, GargleParameters{c.integer(1), c.integer(2)}); }
void sound_effect_reverb(BuiltinCall& c) {
  setEffect(c, SetWavesReverbParameters, WavesReverbParameters{f32(c, 1), f32(c, 2), f32(c, 3), f32(c, 4)});
}
void sound_effect_compressor(BuiltinCall& c) {
  setEffect(c, SetCompressorParameters, CompressorParameters{f32(c, 1), f32(c, 2), f32(c, 3), f32(c, 4), f32(c, 5), f32(c, 6)});
}
void sound_effect_equalizer(BuiltinCall& c) {
  setEffect(c, SetParamEqParameters, ParamEqParameters{f32(c, 1), f32(c, 2), f32(c, 3)});
}

// ---- 3D ----

void sound_3d_set_sound_position(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().Set3DPosition(slotOf(*s), c.real(1), c.real(2), c.real(3));
}
void sound_3d_set_sound_velocity(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().Set3DVelocity(slotOf(*s), c.real(1), c.real(2), c.real(3));
}
void sound_3d_set_sound_distance(BuiltinCall& c) {
  if (CSound* s = needSound(c)) soundBackend().Set3DDistance(slotOf(*s), c.real(1), c.real(2));
}
void sound_3d_set_sound_cone(BuiltinCall& c) {
  if (CSound* s = needSound(c))
    soundBackend().Set3DCone(slotOf(*s), c.real(1), c.real(2), c.real(3), c.real(4), c.real(5), c.real(6));
}

// ---- resources ----

void sound_exists(BuiltinCall& c) { c.result.setReal(code::truthValue(soundArg(c, 0) != nullptr)); }
void sound_get_name(BuiltinCall& c) {
  const int64_t i = code::roundToInt64(c.real(0));
  c.result.setString(soundList().get(i) != nullptr ? soundList().names[static_cast<size_t>(i)] : std::string{});
}
void sound_get_kind(BuiltinCall& c) {
  const CSound* s = soundArg(c, 0);
  c.result.setReal(s != nullptr ? s->kind : -1);
}
void sound_get_preload(BuiltinCall& c) {
  const CSound* s = soundArg(c, 0);
  c.result.setReal(code::truthValue(s != nullptr && s->preload));
}
void sound_discard(BuiltinCall& c) {
  if (CSound* s = soundArg(c, 0)) DiscardSound(*s);
}
void sound_restore(BuiltinCall& c) {
  if (CSound* s = soundArg(c, 0)) PrepareSound(*s);
}

void sound_add(BuiltinCall& c) {
  SoundList& list = soundList();
  const int index = list.count();
  list.items.push_back(std::make_unique<CSound>());
  list.names.push_back("__newsound" + std::to_string(index));
  if (!LoadSoundFromFile(*list.items.back(), MapGamePath(c.string(0)), c.integer(1), c.truth(2))) {
    list.items.pop_back();
    list.names.pop_back();
    c.result.setReal(-1);
    return;
  }
  c.result.setReal(index);
}

void sound_replace(BuiltinCall& c) {
  CSound* s = soundArg(c, 0);
  if (s == nullptr) {
    code::ReportActionError("Trying to replace non-existing sound.");
    return;
  }
  c.result.setReal(code::truthValue(LoadSoundFromFile(*s, MapGamePath(c.string(1)), c.integer(2), c.truth(3))));
}

void sound_delete(BuiltinCall& c) {
  const int64_t i = code::roundToInt64(c.real(0));
  CSound* s = soundList().get(i);
  if (s == nullptr) {
    code::ReportActionError("Trying to delete non-existing sound.");
    return;
  }
  DiscardSound(*s);
  soundList().items[static_cast<size_t>(i)].reset();
}

constexpr code::BuiltinFunction kSoundFunctions[] = {
    {"sound_play", sound_play, 1},
    {"sound_loop", sound_loop, 1},
    {"sound_stop", sound_stop, 1},
    {"sound_stop_all", sound_stop_all, 0},
    {"sound_isplaying", sound_isplaying, 1},
    {"sound_volume", sound_volume, 2},
    {"sound_fade", sound_fade, 3},
    {"sound_pan", sound_pan, 2},
    {"sound_background_tempo", sound_background_tempo, 1},
    {"sound_global_volume", sound_global_volume, 1},
    {"sound_set_search_directory", sound_set_search_directory, 1},
    {"sound_effect_set", sound_effect_set, 2},
    {"sound_effect_chorus", sound_effect_chorus, 8},
    {"sound_effect_echo", sound_effect_echo, 6},
    {"sound_effect_flanger", sound_effect_flanger, 8},
    {"sound_effect_gargle", sound_effect_gargle, 3},
    {"sound_effect_reverb", sound_effect_reverb, 5},
    {"sound_effect_compressor", sound_effect_compressor, 7},
    {"sound_effect_equalizer", sound_effect_equalizer, 4},
    {"sound_3d_set_sound_position", sound_3d_set_sound_position, 4},
    {"sound_3d_set_sound_velocity", sound_3d_set_sound_velocity, 4},
    {"sound_3d_set_sound_distance", sound_3d_set_sound_distance, 3},
    {"sound_3d_set_sound_cone", sound_3d_set_sound_cone, 7},
    {"sound_exists", sound_exists, 1},
    {"sound_get_name", sound_get_name, 1},
    {"sound_name", sound_get_name, 1},
    {"sound_get_kind", sound_get_kind, 1},
    {"sound_get_preload", sound_get_preload, 1},
    {"sound_discard", sound_discard, 1},
    {"sound_restore", sound_restore, 1},
    {"sound_add", sound_add, 3},
    {"sound_replace", sound_replace, 4},
    {"sound_delete", sound_delete, 1},
};

}  // namespace

code::BuiltinFamily SoundFunctions() { return kSoundFunctions; }

int SoundSlot(CSound& s) {
  if (s.handle < 0) PrepareSound(s);
  return s.handle;
}

void InstallSoundNames() {
  code::SetResourceNameLookup(code::ResourceKind::Sound, [](std::string_view n) { return soundList().find(n); });
}

}  // namespace qv::sound
