// CInstance: one instance of an object in the current room.
//
// Every field of the instance record, with its initial value. Field names follow the script
// variable names. Position, sprite, scale and angle are written through the setters of
// motion/bounding_box.h and motion/motion_setters.h so that the bounding box and the speed vector
// stay consistent; everything else is plain data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "code/variables.h"

namespace qv::world {

inline constexpr int kAlarmCount = 12;

class CInstance {
 public:
  int32_t id = 0;              // 100000 and above for instances of a room
  int32_t objectIndex = 0;     // `object_index`
  bool destroyed = false;      // marked as destroyed: skipped by variable access and `with`
  bool active = true;          // deactivated instances are not in the instance list walks
  code::CVariableList variables;  // user variables (ids of 100000 and above)

  int32_t spriteIndex = -1;
  double imageIndex = 0;
  double imageSpeed = 1;
  double imageXscale = 1, imageYscale = 1;
  double imageAngle = 0;
  double imageAlpha = 1;
  int32_t imageBlend = 0xFFFFFF;
  int32_t maskIndex = -1;
  double depth = 0;
  double x = 0, y = 0;
  double xstart = 0, ystart = 0;
  double xprevious = 0, yprevious = 0;
  double direction = 0;
  double speed = 0;
  double friction = 0;
  double gravityDirection = 270;
  double gravity = 0;
  double hspeed = 0, vspeed = 0;
  int32_t bboxLeft = 0, bboxTop = 0, bboxRight = 0, bboxBottom = 0;
  bool visible = true;
  bool solid = false;
  bool persistent = false;
  std::array<int32_t, kAlarmCount> alarm{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t pathIndex = -1;
  double pathPosition = 0, pathPositionprevious = 0;
  double pathSpeed = 0;
  double pathScale = 1;
  double pathOrientation = 0;
  int32_t pathEndaction = 0;
  double pathXorigin = 0, pathYorigin = 0;
  int32_t timelineIndex = -1;
  double timelinePosition = 0;
  double timelineSpeed = 1;
  bool timelineRunning = false;
  bool timelineLoop = false;
  std::string creationCode;
};

// Every field of `source` into `target`: id, object, marks, a deep copy of the variables and the
// creation code included.
inline void CopyFields(CInstance& target, const CInstance& source) { target = source; }

}  // namespace qv::world
