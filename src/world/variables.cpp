#include "world/variables.h"

#include <algorithm>

#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/rounding.h"
#include "graphics/transition.h"
#include "world/bounding_box.h"
#include "world/motion_setters.h"
#include "system/secure_mode.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/input.h"
#include "world/instances.h"
#include "world/saved_game.h"
#include "world/variable_binding.h"

namespace qv::world {

namespace {

using code::RValue;

// Setter conversions: integers are rounded into 32 bits, booleans are true when the rounded value
// is 1 or more, reals are stored unchanged.
int32_t toInteger(const RValue& v) { return code::roundToInt32(v.real); }
bool toBoolean(const RValue& v) { return code::roundToInt64(v.real) >= 1; }

// Instance reals stored unchanged.
#define QV_REAL_FIELD(name, field)                                                 \
  bool get_##name(CInstance* in, int32_t, RValue& out) {                          \
    out.setReal(in ? in->field : 0.0);                                             \
    return true;                                                                   \
  }                                                                                \
  bool set_##name(CInstance* in, int32_t, const RValue& v) {                      \
    if (in) in->field = v.real;                                                    \
    return true;                                                                   \
  }
#define QV_BOOL_FIELD(name, field)                                                 \
  bool get_##name(CInstance* in, int32_t, RValue& out) {                          \
    out.setReal(in && in->field ? 1.0 : 0.0);                                      \
    return true;                                                                   \
  }                                                                                \
  bool set_##name(CInstance* in, int32_t, const RValue& v) {                      \
    if (in) in->field = toBoolean(v);                                              \
    return true;                                                                   \
  }
#define QV_READ_ONLY(name, expression)                                             \
  bool get_##name([[maybe_unused]] CInstance* in, int32_t, RValue& out) {         \
    out.setReal(static_cast<double>(expression));                                  \
    return true;                                                                   \
  }
// Instance fields written through a setter function of their own.
#define QV_SETTER_FIELD(name, field, setter)                                       \
  bool get_##name(CInstance* in, int32_t, RValue& out) {                          \
    out.setReal(in ? static_cast<double>(in->field) : 0.0);                        \
    return true;                                                                   \
  }                                                                                \
  bool set_##name(CInstance* in, int32_t, const RValue& v) {                      \
    if (in) setter;                                                                \
    return true;                                                                   \
  }
// Real instance fields written through a setter function of their own: `setter` names the field's
// new value `value`; numeric assignments call the same setter through realSet_NAME.
#define QV_REAL_SETTER_FIELD(name, field, setter)                                  \
  void realSet_##name(code::CInstanceBase* base, double value) {                  \
    CInstance* in = AsInstance(base);                                              \
    setter;                                                                        \
  }                                                                                \
  QV_SETTER_FIELD(name, field, realSet_##name(in, v.real))

// The getters of the plain real fields for numeric forms: the same values as the getters above.
template <double CInstance::*Field>
double realField(code::CInstanceBase* in) {
  return AsInstance(in)->*Field;
}
template <bool CInstance::*Field>
double booleanField(code::CInstanceBase* in) {
  return AsInstance(in)->*Field ? 1.0 : 0.0;
}
template <int32_t CInstance::*Field>
double integerField(code::CInstanceBase* in) {
  return static_cast<double>(AsInstance(in)->*Field);
}
// The setter of a plain real field for numeric assignments: the value stored unchanged, as above.
template <double CInstance::*Field>
void setRealField(code::CInstanceBase* in, double value) {
  AsInstance(in)->*Field = value;
}
double idField(code::CInstanceBase* in) { return static_cast<double>(AsInstance(in)->id); }
double objectIndexField(code::CInstanceBase* in) { return static_cast<double>(AsInstance(in)->objectIndex); }

QV_REAL_SETTER_FIELD(x, x, world::SetPosition(*in, value, in->y))
QV_REAL_SETTER_FIELD(y, y, world::SetPosition(*in, in->x, value))
QV_REAL_FIELD(xprevious, xprevious)
QV_REAL_FIELD(yprevious, yprevious)
QV_REAL_FIELD(xstart, xstart)
QV_REAL_FIELD(ystart, ystart)
QV_REAL_SETTER_FIELD(hspeed, hspeed, world::SetHspeed(*in, value))
QV_REAL_SETTER_FIELD(vspeed, vspeed, world::SetVspeed(*in, value))
QV_REAL_SETTER_FIELD(direction, direction, world::SetDirection(*in, value))
QV_REAL_SETTER_FIELD(speed, speed, world::SetSpeed(*in, value))
QV_REAL_FIELD(friction, friction)
QV_REAL_FIELD(gravity, gravity)
QV_REAL_FIELD(gravity_direction, gravityDirection)
QV_READ_ONLY(object_index, in ? in->objectIndex : 0)
QV_READ_ONLY(id, in ? in->id : 0)
QV_BOOL_FIELD(solid, solid)
QV_BOOL_FIELD(visible, visible)
QV_BOOL_FIELD(persistent, persistent)
QV_REAL_FIELD(depth, depth)
QV_READ_ONLY(bbox_left, in ? in->bboxLeft : 0)
QV_READ_ONLY(bbox_right, in ? in->bboxRight : 0)
QV_READ_ONLY(bbox_top, in ? in->bboxTop : 0)
QV_READ_ONLY(bbox_bottom, in ? in->bboxBottom : 0)
QV_SETTER_FIELD(sprite_index, spriteIndex, if (toInteger(v) != in->spriteIndex) AssignSprite(*in, toInteger(v)))
QV_SETTER_FIELD(mask_index, maskIndex, world::SetMaskIndex(*in, toInteger(v)))
QV_REAL_FIELD(image_index, imageIndex)
QV_REAL_FIELD(image_speed, imageSpeed)
QV_REAL_FIELD(image_alpha, imageAlpha)
QV_REAL_SETTER_FIELD(image_xscale, imageXscale, world::SetImageXscale(*in, value))
QV_REAL_SETTER_FIELD(image_yscale, imageYscale, world::SetImageYscale(*in, value))
QV_REAL_SETTER_FIELD(image_angle, imageAngle, world::SetImageAngle(*in, value))
QV_SETTER_FIELD(timeline_index, timelineIndex, in->timelineIndex = toInteger(v))
QV_REAL_FIELD(timeline_position, timelinePosition)
QV_REAL_FIELD(timeline_speed, timelineSpeed)
QV_BOOL_FIELD(timeline_running, timelineRunning)
QV_BOOL_FIELD(timeline_loop, timelineLoop)

bool get_image_blend(CInstance* in, int32_t, RValue& out) {
  out.setReal(in ? static_cast<double>(static_cast<uint32_t>(in->imageBlend)) : 0.0);
  return true;
}
bool set_image_blend(CInstance* in, int32_t, const RValue& v) {
  if (in) in->imageBlend = toInteger(v);
  return true;
}

// alarm[0..11]; another index means alarm 0.
int32_t alarmSlot(int32_t index) { return index >= 0 && index < kAlarmCount ? index : 0; }
bool get_alarm(CInstance* in, int32_t index, RValue& out) {
  out.setReal(in ? in->alarm[static_cast<size_t>(alarmSlot(index))] : 0.0);
  return true;
}
bool set_alarm(CInstance* in, int32_t index, const RValue& v) {
  if (in) in->alarm[static_cast<size_t>(alarmSlot(index))] = toInteger(v);
  return true;
}

// ---- room and event state ----
QV_READ_ONLY(room_first, FirstRoom())
QV_READ_ONLY(room_last, LastRoom())
QV_READ_ONLY(room_width, CurrentRoom().width)
QV_READ_ONLY(room_height, CurrentRoom().height)
QV_READ_ONLY(instance_count, CurrentRoom().instances.size())
QV_READ_ONLY(event_type, eventContext().kind)
QV_READ_ONLY(event_number, eventContext().number)
QV_READ_ONLY(event_object, eventContext().object)
QV_READ_ONLY(event_action, eventContext().action)
QV_READ_ONLY(argument_relative, argumentRelative() ? 1 : 0)
QV_READ_ONLY(secure_mode, system::SecureMode() ? 1 : 0)
QV_READ_ONLY(fps, framesPerSecond())

// ---- input ----
QV_READ_ONLY(mouse_x, input().mouseX)
QV_READ_ONLY(mouse_y, input().mouseY)
#define QV_INPUT_INTEGER(name, field)                                   \
  bool get_##name(CInstance*, int32_t, RValue& out) {                   \
    out.setReal(input().field);                                         \
    return true;                                                        \
  }                                                                     \
  bool set_##name(CInstance*, int32_t, const RValue& v) {               \
    input().field = toInteger(v);                                       \
    return true;                                                        \
  }
QV_INPUT_INTEGER(mouse_button, mouseButton)
QV_INPUT_INTEGER(mouse_lastbutton, mouseLastButton)
QV_INPUT_INTEGER(keyboard_key, key)
QV_INPUT_INTEGER(keyboard_lastkey, lastKey)
#undef QV_INPUT_INTEGER
bool get_keyboard_lastchar(CInstance*, int32_t, RValue& out) {
  out.setString(input().lastChar);
  return true;
}
bool set_keyboard_lastchar(CInstance*, int32_t, const RValue& v) {
  // Only the first character is kept.
  input().lastChar = v.kind == code::ty_string ? v.str.substr(0, 1) : std::string();
  return true;
}
bool get_keyboard_string(CInstance*, int32_t, RValue& out) {
  out.setString(input().typed);
  return true;
}
bool set_keyboard_string(CInstance*, int32_t, const RValue& v) {
  input().typed = v.kind == code::ty_string ? v.str : std::string();
  return true;
}

bool get_room(CInstance*, int32_t, RValue& out) {
  out.setReal(CurrentRoomIndex());
  return true;
}
bool set_room(CInstance*, int32_t, const RValue& v) {
  RequestRoom(toInteger(v), transitionKind());
  return true;
}
bool get_transition_kind(CInstance*, int32_t, RValue& out) {
  out.setReal(transitionKind());
  return true;
}
bool set_transition_kind(CInstance*, int32_t, const RValue& v) {
  transitionKind() = toInteger(v);
  return true;
}
bool get_transition_steps(CInstance*, int32_t, RValue& out) {
  out.setReal(graphics::TransitionSteps());
  return true;
}
bool set_transition_steps(CInstance*, int32_t, const RValue& v) {
  graphics::SetTransitionSteps(v.real);
  return true;
}
bool get_room_speed(CInstance*, int32_t, RValue& out) {
  out.setReal(CurrentRoom().speed);
  return true;
}
bool set_room_speed(CInstance*, int32_t, const RValue& v) {
  const int32_t speed = toInteger(v);
  if (speed < 1) {
    code::HandleError("Trying to set the room speed to a value <= 0.", false);
    return false;
  }
  CurrentRoom().speed = speed;
  return true;
}
bool get_room_caption(CInstance*, int32_t, RValue& out) {
  out.setString(CurrentRoom().caption);
  return true;
}
bool set_room_caption(CInstance*, int32_t, const RValue& v) {
  CurrentRoom().caption = v.kind == code::ty_string ? v.str : std::string();
  return true;
}
bool get_room_persistent(CInstance*, int32_t, RValue& out) {
  out.setReal(CurrentRoom().persistent ? 1 : 0);
  return true;
}
bool set_room_persistent(CInstance*, int32_t, const RValue& v) {
  CurrentRoom().persistent = toBoolean(v);
  return true;
}
bool get_instance_id(CInstance*, int32_t index, RValue& out) {
  auto& list = CurrentRoom().instances;
  out.setReal(index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)]->id : -4);
  return true;
}

// The game-wide values saved with the game. Lives falling below 1 and health falling to 0 raise
// their events on every instance not marked destroyed (nothing while a transfer is pending, as for
// every event).
bool get_score(CInstance*, int32_t, RValue& out) {
  out.setReal(gameCounters().score);
  return true;
}
bool set_score(CInstance*, int32_t, const RValue& v) {
  gameCounters().score = toInteger(v);
  return true;
}
bool get_lives(CInstance*, int32_t, RValue& out) {
  out.setReal(gameCounters().lives);
  return true;
}
bool set_lives(CInstance*, int32_t, const RValue& v) {
  SetLives(toInteger(v));
  return true;
}
bool get_health(CInstance*, int32_t, RValue& out) {
  out.setReal(gameCounters().health);
  return true;
}
bool set_health(CInstance*, int32_t, const RValue& v) {
  SetHealth(v.real);
  return true;
}
bool get_cursor_sprite(CInstance*, int32_t, RValue& out) {
  out.setReal(gameCounters().cursorSprite);
  return true;
}
bool set_cursor_sprite(CInstance*, int32_t, const RValue& v) {
  gameCounters().cursorSprite = toInteger(v);
  return true;
}
QV_READ_ONLY(game_id, currentGameId())

// Binds the real getter of a real field and its real setter: the plain store unless the field has
// a setter function of its own.
template <double CInstance::*Field>
void BindRealField(code::BuiltinVariableId id, code::RealSetter setter = &setRealField<Field>) {
  code::BindRealGetter(id, &realField<Field>);
  code::BindRealSetter(id, setter);
}

}  // namespace

void BindWorldVariables() {
  using namespace code;
#define QV_BIND(name) BindBuiltinVariable(bv_##name, &ReadFor<&get_##name>, &WriteFor<&set_##name>)
#define QV_BIND_READ(name) BindBuiltinVariable(bv_##name, &ReadFor<&get_##name>, nullptr)
  QV_BIND(x); QV_BIND(y); QV_BIND(xprevious); QV_BIND(yprevious); QV_BIND(xstart); QV_BIND(ystart);
  QV_BIND(hspeed); QV_BIND(vspeed); QV_BIND(direction); QV_BIND(speed); QV_BIND(friction);
  QV_BIND(gravity); QV_BIND(gravity_direction); QV_BIND_READ(object_index); QV_BIND_READ(id);
  QV_BIND(alarm); QV_BIND(solid); QV_BIND(visible); QV_BIND(persistent); QV_BIND(depth);
  QV_BIND_READ(bbox_left); QV_BIND_READ(bbox_right); QV_BIND_READ(bbox_top); QV_BIND_READ(bbox_bottom);
  QV_BIND(sprite_index); QV_BIND(mask_index); QV_BIND(image_index); QV_BIND(image_speed);
  QV_BIND(image_alpha); QV_BIND(image_xscale); QV_BIND(image_yscale); QV_BIND(image_angle);
  QV_BIND(image_blend); QV_BIND(timeline_index); QV_BIND(timeline_position);
  QV_BIND(timeline_speed); QV_BIND(timeline_running); QV_BIND(timeline_loop);
  QV_BIND(room); QV_BIND_READ(room_first); QV_BIND_READ(room_last); QV_BIND(transition_kind); QV_BIND(transition_steps);
  QV_BIND_READ(room_width); QV_BIND_READ(room_height); QV_BIND(room_speed); QV_BIND(room_caption);
  QV_BIND(room_persistent); QV_BIND_READ(instance_count); QV_BIND_READ(instance_id);
  QV_BIND_READ(event_type); QV_BIND_READ(event_number); QV_BIND_READ(event_object);
  QV_BIND_READ(event_action); QV_BIND_READ(argument_relative); QV_BIND_READ(secure_mode);
  QV_BIND_READ(fps); QV_BIND(score); QV_BIND(lives); QV_BIND(health); QV_BIND(cursor_sprite);
  QV_BIND_READ(game_id);
  QV_BIND_READ(fps); QV_BIND_READ(mouse_x); QV_BIND_READ(mouse_y); QV_BIND(mouse_button);
  QV_BIND(mouse_lastbutton); QV_BIND(keyboard_key); QV_BIND(keyboard_lastkey);
  QV_BIND(keyboard_lastchar); QV_BIND(keyboard_string);
#undef QV_BIND
#undef QV_BIND_READ
  // The plain real fields among them, for the numeric forms of code compiled from now on, and
  // their setters for numeric assignments.
  BindRealField<&CInstance::x>(bv_x, &realSet_x);
  BindRealField<&CInstance::y>(bv_y, &realSet_y);
  BindRealField<&CInstance::xprevious>(bv_xprevious);
  BindRealField<&CInstance::yprevious>(bv_yprevious);
  BindRealField<&CInstance::xstart>(bv_xstart);
  BindRealField<&CInstance::ystart>(bv_ystart);
  BindRealField<&CInstance::hspeed>(bv_hspeed, &realSet_hspeed);
  BindRealField<&CInstance::vspeed>(bv_vspeed, &realSet_vspeed);
  BindRealField<&CInstance::direction>(bv_direction, &realSet_direction);
  BindRealField<&CInstance::speed>(bv_speed, &realSet_speed);
  BindRealField<&CInstance::friction>(bv_friction);
  BindRealField<&CInstance::gravity>(bv_gravity);
  BindRealField<&CInstance::gravityDirection>(bv_gravity_direction);
  BindRealField<&CInstance::depth>(bv_depth);
  BindRealField<&CInstance::imageIndex>(bv_image_index);
  BindRealField<&CInstance::imageSpeed>(bv_image_speed);
  BindRealField<&CInstance::imageAlpha>(bv_image_alpha);
  BindRealField<&CInstance::imageXscale>(bv_image_xscale, &realSet_image_xscale);
  BindRealField<&CInstance::imageYscale>(bv_image_yscale, &realSet_image_yscale);
  BindRealField<&CInstance::imageAngle>(bv_image_angle, &realSet_image_angle);
  BindRealGetter(bv_solid, &booleanField<&CInstance::solid>);
  BindRealGetter(bv_visible, &booleanField<&CInstance::visible>);
  BindRealGetter(bv_persistent, &booleanField<&CInstance::persistent>);
  BindRealGetter(bv_sprite_index, &integerField<&CInstance::spriteIndex>);
  BindRealGetter(bv_mask_index, &integerField<&CInstance::maskIndex>);
  BindRealGetter(bv_timeline_index, &integerField<&CInstance::timelineIndex>);
  BindRealGetter(bv_id, &idField);
  BindRealGetter(bv_object_index, &objectIndexField);
}

void SetLives(int32_t lives) {
  const int32_t before = gameCounters().lives;
  gameCounters().lives = lives;
  if (before >= 1 && gameCounters().lives < 1) PerformEventForAll(ev_other, ev_no_more_lives);
}

void SetHealth(double health) {
  const double before = gameCounters().health;
  gameCounters().health = health;
  if (before > 0 && gameCounters().health <= 0) PerformEventForAll(ev_other, ev_no_more_health);
}

}  // namespace qv::world
