// The cd_* functions and MCI_command: fixed sequences of command strings sent to the device alias
// "cdaudio", their replies parsed. No state persists between calls.
#include <string>

#include "code/rounding.h"
#include "sound/builtins.h"
#include "sound/mci.h"

namespace qv::sound {
namespace {

using code::BuiltinCall;

std::string send(std::string_view command) { return MciSendString(command); }
std::string num(int64_t v) { return std::to_string(v); }
// Characters from 1-based `first`, `count` of them, or fewer when the reply is shorter.
std::string_view chars(const std::string& s, size_t first, size_t count) {
  return first - 1 < s.size() ? std::string_view(s).substr(first - 1, count) : std::string_view{};
}

// "present": open, then ask whether a disc is in.
bool present() {
  send("open cdaudio");
  return send("status cdaudio media present") == "true";
}

int64_t cdNumber() {
  send("open cdaudio");
  if (!present()) return 0;
  return ParseMciNumber(send("status cdaudio number of tracks"));
}

bool cdPlaying() {
  send("open cdaudio");
  if (!present()) return false;
  return send("status cdaudio mode") == "playing";
}

int64_t cdTrack() {
  send("open cdaudio");
  send("set cdaudio time format tmsf wait");
  if (!present()) return 0;
  return ParseMciNumber(chars(send("status cdaudio position"), 1, 2));
}

void setReal(BuiltinCall& c, int64_t v) { c.result.setReal(static_cast<double>(v)); }

void cd_init(BuiltinCall&) {
  send("close cdaudio");
  send("open cdaudio");
}
void cd_present(BuiltinCall& c) { c.result.setReal(code::truthValue(present())); }
void cd_number(BuiltinCall& c) { setReal(c, cdNumber()); }
void cd_playing(BuiltinCall& c) { c.result.setReal(code::truthValue(cdPlaying())); }

void cd_paused(BuiltinCall& c) {
  send("open cdaudio");
  if (!present()) return;
  // A stopped disc counts as paused.
  const bool paused = send("status cdaudio mode") == "paused" || send("status cdaudio mode") == "stopped";
  c.result.setReal(code::truthValue(paused));
}

void cd_track(BuiltinCall& c) { setReal(c, cdTrack()); }

void cd_length(BuiltinCall& c) {
  send("open cdaudio");
  send("set cdaudio time format ms wait");
  if (present()) setReal(c, ParseMciNumber(send("status cdaudio length wait")));
  send("set cdaudio time format tmsf wait");
}

void cd_track_length(BuiltinCall& c) {
  send("open cdaudio");
  const int64_t n = code::roundToInt64(c.real(0));
  if (n <= 0 || n > cdNumber()) return;
  send("set cdaudio time format milliseconds wait");
  if (present()) setReal(c, ParseMciNumber(send("status cdaudio length track " + num(n))));
  send("set cdaudio time format tmsf wait");
}

void cd_position(BuiltinCall& c) {
  send("open cdaudio");
  send("set cdaudio time format milliseconds wait");
  if (present()) setReal(c, ParseMciNumber(send("status cdaudio position")));
  send("set cdaudio time format tmsf wait");
}

void cd_track_position(BuiltinCall& c) {
  send("open cdaudio");
  send("set cdaudio time format tmsf wait");
  if (!present()) return;
  const std::string pos = send("status cdaudio position");  // tt:mm:ss:ff
  setReal(c, ParseMciNumber(chars(pos, 4, 2)) * 60000 + ParseMciNumber(chars(pos, 7, 2)) * 1000);
}

void cd_play(BuiltinCall& c) { CdPlay(code::roundToInt64(c.real(0)), code::roundToInt64(c.real(1))); }
void cd_stop(BuiltinCall&) { CdStop(); }
void cd_pause(BuiltinCall&) { CdPause(); }
void cd_resume(BuiltinCall&) { CdResume(); }

void cd_set_position(BuiltinCall& c) {
  if (!present()) return;
  const int64_t pos = code::roundToInt64(c.real(0));
  send("set cdaudio time format milliseconds wait");
  send((cdPlaying() ? "play cdaudio from " : "seek cdaudio to ") + num(pos));
  send("set cdaudio time format tmsf");
}

void cd_set_track_position(BuiltinCall& c) {
  if (!present()) return;
  const int64_t t = cdTrack();
  if (t <= 0) return;
  const int64_t pos = code::roundToInt64(c.real(0));
  const std::string at = num(t) + ":" + num(pos / 60000) + ":" + num((pos % 60000) / 1000);
  send("set cdaudio time format tmsf wait");
  send((cdPlaying() ? "play cdaudio from " : "seek cdaudio to ") + at);
  send("set cdaudio time format tmsf");
}

void cd_open_door(BuiltinCall&) {
  send("open cdaudio");
  send("set cdaudio door open");
}
void cd_close_door(BuiltinCall&) {
  send("open cdaudio");
  send("set cdaudio door closed");
}

void MCI_command(BuiltinCall& c) { c.result.setString(MciSendString(c.string(0))); }

constexpr code::BuiltinFunction kCdFunctions[] = {
    {"cd_init", cd_init, 0},
    {"cd_present", cd_present, 0},
    {"cd_number", cd_number, 0},
    {"cd_playing", cd_playing, 0},
    {"cd_paused", cd_paused, 0},
    {"cd_track", cd_track, 0},
    {"cd_length", cd_length, 0},
    {"cd_track_length", cd_track_length, 1},
    {"cd_position", cd_position, 0},
    {"cd_track_position", cd_track_position, 0},
    {"cd_play", cd_play, 2},
    {"cd_stop", cd_stop, 0},
    {"cd_pause", cd_pause, 0},
    {"cd_resume", cd_resume, 0},
    {"cd_set_position", cd_set_position, 1},
    {"cd_set_track_position", cd_set_track_position, 1},
    {"cd_open_door", cd_open_door, 0},
    {"cd_close_door", cd_close_door, 0},
    {"MCI_command", MCI_command, 1},
};

}  // namespace

code::BuiltinFamily CdFunctions() { return kCdFunctions; }

bool CdPresent() { return present(); }
bool CdPlaying() { return cdPlaying(); }

void CdPlay(int64_t first, int64_t last) {
  if (!present()) return;
  send("set cdaudio time format tmsf wait");
  if (first > last) return;
  if (first < 1) first = 1;
  if (last >= cdNumber()) send("play cdaudio from " + num(first));
  else send("play cdaudio from " + num(first) + " to " + num(last + 1));
}

void CdStop() {
  if (present()) send("stop cdaudio");
}
void CdPause() {
  if (present()) send("pause cdaudio");
}
void CdResume() {
  if (present()) send("play cdaudio");
}

}  // namespace qv::sound
