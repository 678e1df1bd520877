// The built-in variables of the runner, the clock and the instance's sprite: directories, the
// debug flag, the current time and date, image_single, image_number and the scaled sprite sizes.
#include <chrono>
#include <filesystem>

#include "code/builtin_variables.h"
#include "code/date.h"
#include "code/rounding.h"
#include "graphics/sprite.h"
#include "platform/process.h"
#include "data/runner_state.h"
#include "data/temp_directory.h"
#include "world/instance.h"
#include "world/room_variables.h"
#include "world/variable_binding.h"

namespace qv::world {

namespace {

using code::RValue;

bool get_working_directory(CInstance*, int32_t, RValue& out) {
  std::error_code error;
  out.setString(std::filesystem::current_path(error).string());
  return true;
}
bool get_temp_directory(CInstance*, int32_t, RValue& out) {
  out.setString(data::TempDirectory());
  return true;
}
// The folder of the runner's executable, without a trailing separator.
bool get_program_directory(CInstance*, int32_t, RValue& out) {
  out.setString(std::filesystem::path(platform::executablePath()).parent_path().string());
  return true;
}
bool get_debug_mode(CInstance*, int32_t, RValue& out) {
  out.setReal(data::Runner().debug_mode ? 1 : 0);
  return true;
}
// Milliseconds since the system started: the monotonic clock counts from boot on the hosts we run on.
bool get_current_time(CInstance*, int32_t, RValue& out) {
  using namespace std::chrono;
  out.setReal(static_cast<double>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()));
  return true;
}

// Today's date is taken for the current moment plus 0.01 day.
code::DateParts today(double shift) {
  code::DateParts parts;
  code::DecodeDateTime(code::CurrentDateTime() + shift, parts);
  return parts;
}
#define QV_DATE_PART(name, shift, field)                  \
  bool get_##name(CInstance*, int32_t, RValue& out) {     \
    out.setReal(today(shift).field);                      \
    return true;                                          \
  }
QV_DATE_PART(current_year, 0.01, year)
QV_DATE_PART(current_month, 0.01, month)
QV_DATE_PART(current_day, 0.01, day)
QV_DATE_PART(current_weekday, 0.01, weekday)
QV_DATE_PART(current_hour, 0.0, hour)
QV_DATE_PART(current_minute, 0.0, minute)
QV_DATE_PART(current_second, 0.0, second)
#undef QV_DATE_PART

bool get_image_single(CInstance* in, int32_t, RValue& out) {
  out.setReal(!in ? 0.0 : in->imageSpeed != 0 ? -1.0 : in->imageIndex);
  return true;
}
bool set_image_single(CInstance* in, int32_t, const RValue& v) {
  if (!in) return true;
  if (v.real >= 0) {
    in->imageIndex = v.real;
    in->imageSpeed = 0;
  } else {
    in->imageSpeed = 1;
  }
  return true;
}

const graphics::CSprite* spriteOf(const CInstance* in) { return in ? graphics::sprites().get(in->spriteIndex) : nullptr; }

bool get_image_number(CInstance* in, int32_t, RValue& out) {
  const graphics::CSprite* s = spriteOf(in);
  out.setReal(s ? s->frameCount() : 0);
  return true;
}
// The sprite's size and origin times the instance's scales; 0 without a sprite.
#define QV_SCALED_SPRITE(name, value, scale)              \
  bool get_##name(CInstance* in, int32_t, RValue& out) {  \
    const graphics::CSprite* s = spriteOf(in);            \
    out.setReal(s ? (value) * in->scale : 0.0);           \
    return true;                                          \
  }
QV_SCALED_SPRITE(sprite_width, s->width(), imageXscale)
QV_SCALED_SPRITE(sprite_height, s->height(), imageYscale)
QV_SCALED_SPRITE(sprite_xoffset, s->xOrigin, imageXscale)
QV_SCALED_SPRITE(sprite_yoffset, s->yOrigin, imageYscale)
#undef QV_SCALED_SPRITE

}  // namespace

void BindRunnerVariables() {
  using namespace code;
#define QV_BIND_READ(name) BindBuiltinVariable(bv_##name, &ReadFor<&get_##name>, nullptr)
  QV_BIND_READ(working_directory); QV_BIND_READ(temp_directory); QV_BIND_READ(program_directory);
  QV_BIND_READ(debug_mode); QV_BIND_READ(current_time); QV_BIND_READ(current_year); QV_BIND_READ(current_month);
  QV_BIND_READ(current_day); QV_BIND_READ(current_weekday); QV_BIND_READ(current_hour);
  QV_BIND_READ(current_minute); QV_BIND_READ(current_second); QV_BIND_READ(image_number);
  QV_BIND_READ(sprite_width); QV_BIND_READ(sprite_height); QV_BIND_READ(sprite_xoffset);
  QV_BIND_READ(sprite_yoffset);
  BindBuiltinVariable(bv_image_single, &ReadFor<&get_image_single>, &WriteFor<&set_image_single>);
#undef QV_BIND_READ
}

}  // namespace qv::world
