// Sound, room, timing and game actions: playing sounds, changing rooms, alarms and time lines,
// pausing, ending, restarting, saving and loading the game, the game information and CD audio.
#include <cstdint>
#include <filesystem>
#include <string>

#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/errors.h"
#include "code/rounding.h"
#include "graphics/display.h"
#include "sound/builtins.h"
#include "sound/sound.h"
#include "sound/sound_backend.h"
#include "system/file_builtins.h"
#include "system/secure_mode.h"
#include "windows/game_information.h"
#include "world/builtins.h"
#include "world/game_world.h"
#include "world/room.h"
#include "world/saved_game.h"
#include "world/time_line.h"
#include "world/transfer.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;
using world::CInstance;

bool (*gameSaver)(const std::string&) = nullptr;

sound::CSound* soundArg(const BuiltinCall& c, int i) { return sound::soundList().get(code::roundToInt64(c.real(i))); }

// ---- sound ----

void action_sound(BuiltinCall& c) {
  sound::CSound* s = soundArg(c, 0);
  if (!s) {
    code::ReportActionError("Trying to play non-existing sound.");
    return;
  }
  sound::soundBackend().Play(sound::SoundSlot(*s), c.truth(1));
}

void action_end_sound(BuiltinCall& c) {
  sound::CSound* s = soundArg(c, 0);
  if (!s) {
    code::ReportActionError("Trying to stop non-existing sound.");
    return;
  }
  sound::soundBackend().Stop(sound::SoundSlot(*s));
}

void action_if_sound(BuiltinCall& c) {
  sound::CSound* s = soundArg(c, 0);
  c.result = code::truthValue(s && sound::soundBackend().IsPlaying(sound::SoundSlot(*s)));
}

// The sound keeps its kind and preload setting; the file is a game path.
void action_replace_sound(BuiltinCall& c) {
  sound::CSound* s = soundArg(c, 0);
  if (!s) {
    code::ReportActionError("Trying to replace non-existing resource.");
    return;
  }
  const std::string host = sound::MapGamePath(c.string(1));
  std::error_code ec;
  if (!c.args[1].isString() || !std::filesystem::is_regular_file(host, ec)) {
    code::ReportActionError("File does not exist.");
    return;
  }
  sound::LoadSoundFromFile(*s, host, s->kind, s->preload);
}

// ---- rooms ----

void action_previous_room(BuiltinCall& c) { world::GotoPreviousRoom(IndexArgument(c, 0)); }
void action_next_room(BuiltinCall& c) { world::GotoNextRoom(IndexArgument(c, 0)); }
void action_current_room(BuiltinCall& c) { world::RequestRoom(world::CurrentRoomIndex(), IndexArgument(c, 0)); }
void action_another_room(BuiltinCall& c) { world::RequestRoom(IndexArgument(c, 0), IndexArgument(c, 1)); }

void action_if_previous_room(BuiltinCall& c) {
  c.result = code::truthValue(world::CurrentRoomIndex() != world::FirstRoom());
}
void action_if_next_room(BuiltinCall& c) {
  c.result = code::truthValue(world::CurrentRoomIndex() != world::LastRoom());
}

// ---- alarms and time lines ----

// Relative adds only to an alarm that is running (0 or more); a stopped one is set. An alarm
// number outside 0 to 11 names no alarm: nothing happens.
void action_set_alarm(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  const int64_t number = code::roundToInt64(c.real(1));
  if (!self || number < 0 || number >= world::kAlarmCount) return;
  int32_t& alarm = self->alarm[static_cast<size_t>(number)];
  const int32_t steps = c.integer(0);
  alarm = IsRelative() && alarm >= 0 ? alarm + steps : steps;
}

// Waits, processing window messages; with redraw the room is drawn and shown first.
void action_sleep(BuiltinCall& c) {
  if (c.truth(1)) graphics::display().redraw();
  world::SleepMilliseconds(code::roundToInt64(c.real(0)));
}

void action_set_timeline(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  self->timelineIndex = IndexArgument(c, 0);
  self->timelinePosition = c.real(1);
  self->timelineRunning = true;
}

// Start: 0 now, anything else later; loop only at exactly 1.
void action_timeline_set(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  self->timelineIndex = IndexArgument(c, 0);
  self->timelinePosition = c.real(1);
  self->timelineRunning = IndexArgument(c, 2) == 0;
  self->timelineLoop = c.real(3) == 1;
}

void action_timeline_start(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) self->timelineRunning = true;
}
void action_timeline_pause(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) self->timelineRunning = false;
}
void action_timeline_stop(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  self->timelinePosition = 0;
  self->timelineRunning = false;
}

void action_set_timeline_position(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  const double position = RelativeValue(self->timelinePosition, c.real(0));
  self->timelinePosition = static_cast<double>(code::roundToInt64(position));
}

void action_set_timeline_speed(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) self->timelineSpeed = RelativeValue(self->timelineSpeed, c.real(0));
}

// ---- the game ----

void action_end_game(BuiltinCall&) { world::transferRequest() = world::kTransferEnd; }
void action_restart_game(BuiltinCall&) { world::transferRequest() = world::kTransferRestart; }

void action_save_game(BuiltinCall& c) {
  if (gameSaver) gameSaver(c.string(0));
  else code::ReportActionError("action_save_game: saving games is not available here.");
}

void action_load_game(BuiltinCall& c) { world::RequestLoad(c.string(0)); }

void action_show_info(BuiltinCall&) { windows::ShowGameInformation(); }

void action_webpage(BuiltinCall& c) { OpenWebPage(c.string(0)); }

// ---- CD audio ----

void action_cd_play(BuiltinCall& c) { sound::CdPlay(code::roundToInt64(c.real(0)), code::roundToInt64(c.real(1))); }
void action_cd_stop(BuiltinCall&) { sound::CdStop(); }
void action_cd_pause(BuiltinCall&) { sound::CdPause(); }
void action_cd_resume(BuiltinCall&) { sound::CdResume(); }
void action_cd_present(BuiltinCall& c) { c.result = code::truthValue(sound::CdPresent()); }
void action_cd_playing(BuiltinCall& c) { c.result = code::truthValue(sound::CdPlaying()); }

constexpr code::BuiltinFunction kGameActions[] = {
    {"action_webpage", action_webpage, 1},
    {"action_sound", action_sound, 2},
    {"action_end_sound", action_end_sound, 1},
    {"action_if_sound", action_if_sound, 1},
    {"action_replace_sound", action_replace_sound, 2},
    {"action_previous_room", action_previous_room, 1},
    {"action_next_room", action_next_room, 1},
    {"action_current_room", action_current_room, 1},
    {"action_another_room", action_another_room, 2},
    {"action_if_previous_room", action_if_previous_room, 0},
    {"action_if_next_room", action_if_next_room, 0},
    {"action_set_alarm", action_set_alarm, 2},
    {"action_sleep", action_sleep, 2},
    {"action_set_timeline", action_set_timeline, 2},
    {"action_timeline_set", action_timeline_set, 4},
    {"action_timeline_start", action_timeline_start, 0},
    {"action_timeline_pause", action_timeline_pause, 0},
    {"action_timeline_stop", action_timeline_stop, 0},
    {"action_set_timeline_position", action_set_timeline_position, 1},
    {"action_set_timeline_speed", action_set_timeline_speed, 1},
    {"action_end_game", action_end_game, 0},
    {"action_restart_game", action_restart_game, 0},
    {"action_save_game", action_save_game, 1},
    {"action_load_game", action_load_game, 1},
    {"action_show_info", action_show_info, 0},
    {"action_cd_play", action_cd_play, 2},
    {"action_cd_stop", action_cd_stop, 0},
    {"action_cd_pause", action_cd_pause, 0},
    {"action_cd_resume", action_cd_resume, 0},
    {"action_cd_present", action_cd_present, 0},
    {"action_cd_playing", action_cd_playing, 0},
};

}  // namespace

// The address goes to the desktop's handler (xdg-open) as it is, never through a shell.
void OpenWebPage(const std::string& address) {
  if (system::SecureMode()) return code::ReportActionError("In secure mode you cannot open webpages.");
  if (!system::OpenWithDesktop(address)) code::ReportActionError("Failed to open the webpage.");
}

code::BuiltinFamily GameActions() { return kGameActions; }

void SetGameSaver(bool (*save)(const std::string& fname)) { gameSaver = save; }

}  // namespace qv::actions
