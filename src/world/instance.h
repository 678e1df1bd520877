// CInstance: one instance of an object in the current room.
//
// Every field of the instance record, with its initial value. Field names follow the script
// variable names. Position, sprite, scale and angle are written through the setters of
// world/bounding_box.h and world/motion_setters.h so that the bounding box and the speed vector
// stay consistent; everything else is plain data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "code/builtin.h"
#include "code/instance_base.h"

namespace qv::world {

inline constexpr int kAlarmCount = 12;

// Id, object, marks and variables come from the language's base record.
class CInstance : public code::CInstanceBase {
 public:
  // The fields that every stage of a step reads or writes come first, so that a stage walking
  // thousands of instances touches as few cache lines of each as possible.
  double x = 0, y = 0;
  double xprevious = 0, yprevious = 0;
  double hspeed = 0, vspeed = 0;
  double friction = 0;
  double gravity = 0;
  double imageIndex = 0;
  double imageSpeed = 1;
  double pathPosition = 0, pathPositionprevious = 0;
  int32_t spriteIndex = -1;
  int32_t maskIndex = -1;
  int32_t pathIndex = -1;
  int32_t timelineIndex = -1;
  int32_t bboxLeft = 0, bboxTop = 0, bboxRight = 0, bboxBottom = 0;
  std::array<int32_t, kAlarmCount> alarm{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  double imageXscale = 1, imageYscale = 1;
  double imageAngle = 0;
  double speed = 0;
  double direction = 0;
  bool visible = true;
  bool solid = false;
  bool persistent = false;
  double imageAlpha = 1;
  int32_t imageBlend = 0xFFFFFF;
  double depth = 0;
  double xstart = 0, ystart = 0;
  double gravityDirection = 270;
  double pathSpeed = 0;
  double pathScale = 1;
  double pathOrientation = 0;
  int32_t pathEndaction = 0;
  double pathXorigin = 0, pathYorigin = 0;
  double timelinePosition = 0;
  double timelineSpeed = 1;
  bool timelineRunning = false;
  bool timelineLoop = false;
  std::string creationCode;
};

// Asks the processor to fetch the cache lines of an instance that the stages of a step read (the
// marks, and the step's fields from `x` to the alarms): the stages walk thousands of records one
// after another and would otherwise wait on each in turn.
inline void PrefetchStepFields(const CInstance* in) {
  __builtin_prefetch(in);
  __builtin_prefetch(&in->x);
  __builtin_prefetch(&in->alarm);
}

// The same for the first entries of its user variables, which event code reads: their storage is
// reached through the record, so this is asked once the record itself has been fetched.
inline void PrefetchVariables(const CInstance* in) {
  const auto& entries = in->variables.entries();
  if (entries.empty()) return;
  __builtin_prefetch(entries.data());
  __builtin_prefetch(reinterpret_cast<const char*>(entries.data()) + 64);
}

// The world instance behind a record the language hands over (a built-in's self or other, a
// built-in variable's instance). Every instance that game code runs for is a world instance.
inline CInstance* AsInstance(code::CInstanceBase* base) { return static_cast<CInstance*>(base); }
inline const CInstance* AsInstance(const code::CInstanceBase* base) { return static_cast<const CInstance*>(base); }
inline CInstance* Self(const code::BuiltinCall& call) { return AsInstance(call.self); }
inline CInstance* Other(const code::BuiltinCall& call) { return AsInstance(call.other); }

// Every field of `source` into `target`: id, object, marks, a deep copy of the variables and the
// creation code included.
inline void CopyFields(CInstance& target, const CInstance& source) { target = source; }

}  // namespace qv::world
